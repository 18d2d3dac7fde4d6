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
}

NxNetControl* QueryThread::engine()
{
    return &control;
}

void QueryThread::run()
{
    control.RunReceiveLoop();
}
