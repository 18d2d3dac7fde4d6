// QueryTool's entry point: socket layer, display scaling, application,
// translation, worker thread and main window up in this order, and down in
// reverse.
#include "app/ProgramSession.h"
#include "app/Translation.h"
#include "core/endpoint/EndpointOverrides.h"
#include "platform/SocketLayer.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (!SocketLayerStartup())
        return -1;

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 5 grows only the fonts on a 150 % or 200 % display, so fixed sizes
    // crowd and clip their texts; scaled as a whole, the window keeps its
    // proportions. Qt 6 always scales.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    // 150 % stays 150 %: Qt 5 would round it up to 200 %, a third larger than
    // the display asks for.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
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
