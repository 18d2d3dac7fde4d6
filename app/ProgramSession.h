// ProgramSession: one run of the program between start-up and exit. Owns
// the worker thread (and through it the engine) and the main window, and
// takes them down in order: the receive loop ends and the thread is joined
// before the window goes, so no reply can reach a destroyed window; the
// engine goes last. User-interface thread only.
#pragma once

#include "net/EndpointSettings.h"
#include "net/QueryThread.h"

#include <memory>

class QueryTool;
struct WindowConfig;

// What the window takes from config.ini.
WindowConfig windowConfigFromFile();

class ProgramSession {
public:
    // Opens the engine's port, starts the receive loop and builds the window
    // (which starts the first search).
    explicit ProgramSession(const EndpointSettings& settings);
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    // Shows the window; when the port could not be opened, the window's first
    // search says so as soon as the event loop runs.
    void show();

    QueryTool* window();
    NxNetControl* engine();

private:
    QueryThread thread;
    std::unique_ptr<QueryTool> mainWindow;
};
