// QueryTool's entry point: socket layer, application, translation, worker
// thread and main window up in this order, and down in reverse.
#include "app/ProgramSession.h"
#include "app/Translation.h"
#include "core/endpoint/EndpointOverrides.h"
#include "platform/SocketLayer.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (!SocketLayerStartup())
        return -1;

    QApplication application(argc, argv);
    installTranslation();

    ProgramSession session(endpointSettingsFromEnvironment());
    session.show();
    const int result = application.exec();

    // Closing the socket layer ends the receive loop; the session then joins
    // the thread before it destroys the window and the engine.
    SocketLayerShutdown();
    return result;
}
