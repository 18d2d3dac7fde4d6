#include "ReplyCollector.h"

namespace {

std::mutex mutex;
std::condition_variable grew;
std::vector<TerminalParam> received;

}  // namespace

namespace ReplyCollector {

void collect(TerminalParam* record)
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        received.push_back(*record);
    }
    grew.notify_all();
}

void reset()
{
    std::lock_guard<std::mutex> guard(mutex);
    received.clear();
}

std::vector<TerminalParam> replies()
{
    std::lock_guard<std::mutex> guard(mutex);
    return received;
}

bool waitFor(const std::function<bool(const std::vector<TerminalParam>&)>& done, int timeoutMs)
{
    std::unique_lock<std::mutex> guard(mutex);
    return grew.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return done(received); });
}

}  // namespace ReplyCollector

int countCSeq(const std::vector<TerminalParam>& replies, uint16_t cseq)
{
    int count = 0;
    for (const TerminalParam& r : replies)
        count += r.CSeq == cseq;
    return count;
}
