// DiscoveryRig: the real engine on its worker thread, a main window on it
// and a simulated fleet, all on loopback; tests build one per case. Also the
// fleet, settings and label texts the window tests share. User-interface
// thread only.
#pragma once

#include "net/QueryThread.h"
#include "platform/SocketLayer.h"
#include "tests/ui/ScratchFolder.h"
#include "tests/support/RecordText.h"
#include "tools/terminal-sim/TerminalSimulator.h"
#include "ui/main/QueryTool.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

// What a test object that opens sockets holds for its whole run: the socket
// layer, started, in a scratch working folder.
struct LoopbackEnvironment : ScratchFolder {
    LoopbackEnvironment() { SocketLayerStartup(); }
    ~LoopbackEnvironment() { SocketLayerShutdown(); }
};

// A terminal of the test fleets: number n (1 to 99) answers from 127.1.0.n.
inline TerminalParam testTerminal(int n, const char* type, const char* name)
{
    return record(QString("ID=%1; Ver=V2.%1; IP=127.1.0.%1; MAC=00-12-37-00-00-%2; Type=%3; Name=%4; Mode=Normal; "
                          "ServerPort=7900")
                      .arg(n)
                      .arg(n, 2, 10, QChar('0'))
                      .arg(type, name)
                      .toUtf8());
}

// Engine settings that reach the simulator on `port` and nothing else: any
// free local port, 127.255.255.255 for broadcasts, 1 s for a reply, one
// GET per search.
inline EndpointSettings loopbackSettings(uint16_t port)
{
    EndpointSettings settings{0, port, 0x7FFFFFFFu, 1};
    settings.searchSendsMs = {0};
    return settings;
}

// The label's text after a search that found `count` terminals.
inline QString foundText(int count)
{
    return QString::fromUtf8("找到%1个设备").arg(count);
}

// Opens the context menu of `row` in `table` and chooses the entry `text`
// with the keyboard, as a user would; `meanwhile` runs while the menu is up.
inline void chooseFromMenu(
    QTableWidget* table, int row, const QString& text, const std::function<void()>& meanwhile = nullptr)
{
    QTimer::singleShot(0, [text, meanwhile] {
        if (meanwhile)
            meanwhile();
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu->actions())
            menu->setActiveAction(action->text() == text ? action : menu->activeAction());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
    QApplication::sendEvent(table->viewport(), &event);
}

// Members go in reverse: the window first, then the thread, then the simulator.
struct DiscoveryRig {
    std::unique_ptr<TerminalSimulator> sim;
    std::unique_ptr<QueryThread> thread;
    std::unique_ptr<QueryTool> window;

    // Starts the fleet, then the engine, then the window (whose first search
    // goes out at once). False when the simulator or the engine cannot start.
    bool start(const std::vector<TerminalParam>& fleet, const SimConfig& config = SimConfig(),
        const std::vector<int>& searchSendsMs = {0})
    {
        sim = std::make_unique<TerminalSimulator>(config, fleet);
        if (!sim->start())
            return false;
        EndpointSettings settings = loopbackSettings(sim->port());
        settings.searchSendsMs = searchSendsMs;
        thread = std::make_unique<QueryThread>(settings);
        thread->start();
        window = std::make_unique<QueryTool>(thread->engine());
        return thread->engine()->IsOpen();
    }
};
