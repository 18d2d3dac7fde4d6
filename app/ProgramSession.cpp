#include "app/ProgramSession.h"

#include "app/ConfigStore.h"
#include "ui/main/QueryTool.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

ProgramSession::ProgramSession(const EndpointSettings& settings)
    : thread(settings)
{
    thread.start(QThread::InheritPriority);
    WindowConfig config;
    config.mode = ConfigStore::value(ConfigStore::Mode).toInt(nullptr, 10);
    mainWindow = std::make_unique<QueryTool>(thread.engine(), config);
}

ProgramSession::~ProgramSession()
{
    thread.engine()->Close();
    thread.wait();
    mainWindow.reset();
}

void ProgramSession::show()
{
    mainWindow->show();
    NxNetControl* control = thread.engine();
    if (!control->IsOpen()) {
        QueryTool* parent = mainWindow.get();
        const uint16_t port = control->Settings().localPort;
        QTimer::singleShot(0, parent, [parent, port] { warnPortUnavailable(parent, port); });
    }
}

QueryTool* ProgramSession::window()
{
    return mainWindow.get();
}

NxNetControl* ProgramSession::engine()
{
    return thread.engine();
}

void warnPortUnavailable(QWidget* parent, uint16_t port)
{
    QMessageBox::warning(parent, QCoreApplication::translate("QueryTool", "错误"),
                         QCoreApplication::translate(
                             "QueryTool", "无法打开UDP端口%1，该端口可能已被其他程序占用。")
                             .arg(port));
}
