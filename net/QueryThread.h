// QueryThread: the worker thread that owns the network engine and runs its
// receive loop for the life of the program. Constructed, started and
// destroyed on the user-interface thread; run() is the worker thread.
#pragma once

#include "EndpointSettings.h"
#include "NxNetControl.h"

#include <QThread>

#include <mutex>

class QueryThread : public QThread {
    Q_OBJECT

public:
    // Builds the engine and opens its socket on settings.localPort; whether
    // that worked is engine()->IsOpen().
    explicit QueryThread(const EndpointSettings& settings = EndpointSettings());
    // Ends the receive loop if it still runs and waits for it, so the engine
    // is never destroyed under a running loop.
    ~QueryThread() override;

    NxNetControl* engine();

protected:
    void run() override;

private:
    NxNetControl control;
    // Held by run() for its whole length and taken by the destructor after
    // wait(): the loop's last touches visibly precede the engine's end, also
    // for tools that cannot see Qt's own locking (ThreadSanitizer).
    std::mutex running;
};
