#include "QueryThread.h"

QueryThread::QueryThread(const EndpointSettings& settings)
    : QThread(nullptr)
    , control(settings)
{
    control.Open(settings.localPort);
}

QueryThread::~QueryThread()
{
    control.Close();
    wait();
    std::lock_guard<std::mutex> ended(running);
}

NxNetControl* QueryThread::engine()
{
    return &control;
}

void QueryThread::run()
{
    std::lock_guard<std::mutex> loop(running);
    control.RunReceiveLoop();
}
