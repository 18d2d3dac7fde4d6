#include "app/ProgramSession.h"

#include "app/ConfigStore.h"
#include "ui/main/QueryTool.h"
#include "ui/main/WindowLayoutMemory.h"

ProgramSession::ProgramSession(const EndpointSettings& settings)
    : thread(settings)
{
    thread.start(QThread::InheritPriority);
    mainWindow = std::make_unique<QueryTool>(thread.engine(), windowConfigFromFile());
    WindowLayoutMemory::restore(mainWindow.get(), mainWindow->terminalTable());
}

ProgramSession::~ProgramSession()
{
    WindowLayoutMemory::save(mainWindow.get(), mainWindow->terminalTable());
    thread.engine()->Close();
    thread.wait();
    mainWindow.reset();
}

void ProgramSession::show()
{
    mainWindow->show();
}

QueryTool* ProgramSession::window()
{
    return mainWindow.get();
}

NxNetControl* ProgramSession::engine()
{
    return thread.engine();
}

WindowConfig windowConfigFromFile()
{
    WindowConfig config;
    config.mode = ConfigStore::value(ConfigStore::Mode).toInt(nullptr, 10);
    return config;
}
