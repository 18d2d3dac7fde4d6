// NxSchedule: when callbacks are due, re-arming, withdrawal (also while a
// callback runs), the counter's wrap-around, and the engine's registration
// with gSchedule.
#include "net/NxNetControl.h"
#include "net/NxSchedule.h"
#include "platform/Clock.h"
#include "platform/SocketLayer.h"

#include <QtTest>

#include <atomic>
#include <future>
#include <string>

namespace {

uint32_t fakeNow = 0;
uint32_t fakeClock()
{
    return fakeNow;
}

// What a callback does when called: count, note its name, return a delay.
struct Probe {
    std::string name;
    int32_t result = 0;
    int calls = 0;
    std::string* order = nullptr;
};

int32_t probeCallback(void* user)
{
    auto* probe = static_cast<Probe*>(user);
    ++probe->calls;
    if (probe->order)
        *probe->order += probe->name;
    return probe->result;
}

int32_t otherCallback(void* user)
{
    return probeCallback(user);
}

// Registers a follower and withdraws itself from inside its own call.
struct SelfRemoving {
    NxSchedule* schedule;
    Probe follower;
    int calls;
};

int32_t selfRemovingCallback(void* user)
{
    auto* c = static_cast<SelfRemoving*>(user);
    ++c->calls;
    c->schedule->Add(probeCallback, &c->follower, 0);
    c->schedule->Remove(selfRemovingCallback, c);
    return 0;
}

}  // namespace

class ScheduleTest : public QObject {
    Q_OBJECT

private slots:
    // When a node added at `start` with `delay` is first due, and when again
    // after its callback returned `result`.
    void dueTime_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("delay");
        QTest::addColumn<uint>("due");
        QTest::addColumn<int>("result");
        QTest::addColumn<uint>("again");
        QTest::newRow("negative delay and result: the next pass") << 1000u << -50 << 1000u << -1 << 1000u;
        QTest::newRow("no carry, positive result") << 1000u << 100 << 1100u << 30 << 1130u;
        QTest::newRow("carry into the next round") << 0xFFFFFFF0u << 100 << 0x00000054u << 0 << 0x00000054u;
        QTest::newRow("carry just at the wrap") << 0xFFFFFFFFu << 1 << 0x00000000u << 0 << 0x00000000u;
        QTest::newRow("armed before the wrap, not due early") << 0xFFFFFF00u << 500 << 0x000000F4u << 0 << 0x000000F4u;
        QTest::newRow("long delay across the wrap") << 0xFFFFFF00u << 100000 << 0x000185A0u << 0 << 0x000185A0u;
    }
    void dueTime()
    {
        QFETCH(uint, start);
        QFETCH(int, delay);
        QFETCH(uint, due);
        QFETCH(int, result);
        QFETCH(uint, again);
        fakeNow = start;
        NxSchedule schedule(fakeClock);
        Probe probe;
        probe.result = result;
        schedule.Add(probeCallback, &probe, delay);
        if (due < start) {  // the counter passes the top of its range first
            fakeNow = 0xFFFFFFFFu;
            schedule.RunDue();
        }
        if (due != start) {
            fakeNow = due - 1;
            schedule.RunDue();
        }
        QCOMPARE(probe.calls, 0);
        fakeNow = due;
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
        if (again != due) {
            fakeNow = again - 1;
            schedule.RunDue();
            QCOMPARE(probe.calls, 1);
        }
        fakeNow = again;
        schedule.RunDue();
        QCOMPARE(probe.calls, 2);
    }

    void removeWithdrawsEveryRegistrationOfThePairOnly()
    {
        NxSchedule schedule(fakeClock);
        std::string order;
        Probe twice{"t", 0, 0, &order};
        Probe sameUserOtherCallback{"s", 0, 0, &order};
        Probe otherUser{"o", 0, 0, &order};
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add(otherCallback, &sameUserOtherCallback, 0);
        schedule.Add(probeCallback, &otherUser, 0);
        schedule.Add(nullptr, &otherUser, 0);  // nodes without callback or user are never called
        schedule.Add(probeCallback, nullptr, 0);
        schedule.Remove(probeCallback, &twice);
        schedule.Remove(probeCallback, &sameUserOtherCallback);
        schedule.RunDue();  // frees the withdrawn nodes
        schedule.RunDue();
        QCOMPARE(order, std::string("osos"));  // newest registration first
        QCOMPARE(twice.calls, 0);
    }

    void removeWaitsForARunningCallback()
    {
        NxSchedule schedule;
        struct Blocking {
            std::atomic<bool> started{false};
            std::atomic<bool> release{false};
            std::atomic<int> calls{0};
        } blocking;
        auto callback = [](void* user) -> int32_t {
            auto* b = static_cast<Blocking*>(user);
            ++b->calls;
            b->started = true;
            while (!b->release)
                SleepMs(1);
            return 0;
        };
        schedule.Add(callback, &blocking, 0);
        auto pass = std::async(std::launch::async, [&schedule] { schedule.RunDue(); });
        while (!blocking.started)
            SleepMs(1);
        auto removal = std::async(std::launch::async, [&] { schedule.Remove(callback, &blocking); });
        QVERIFY(removal.wait_for(std::chrono::milliseconds(150)) == std::future_status::timeout);
        // Registering meanwhile is not held up by the waiting Remove.
        Probe late;
        schedule.Add(probeCallback, &late, 0);
        blocking.release = true;
        QVERIFY(removal.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        QVERIFY(pass.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        schedule.RunDue();
        QCOMPARE(blocking.calls.load(), 1);
        QCOMPARE(late.calls, 1);
    }

    void callbackMayRegisterAndWithdraw()
    {
        NxSchedule schedule(fakeClock);
        SelfRemoving context{&schedule, {}, 0};
        schedule.Add(selfRemovingCallback, &context, 0);
        schedule.RunDue();
        schedule.RunDue();
        QCOMPARE(context.calls, 1);
        QCOMPARE(context.follower.calls, 1);
    }

    void engineRunsItsLoopThroughTheGlobalScheduleUntilDestroyed()
    {
        SocketLayerStartup();
        static std::atomic<int> replies{0};
        {
            EndpointSettings settings;
            settings.localPort = 0;
            NxNetControl engine(settings);
            QVERIFY(engine.Open(0));
            engine.replyCallback = [](TerminalParam*) { ++replies; };
            // Its registration is due at once: the pass runs the receive loop.
            auto pass = std::async(std::launch::async, [] { gSchedule.RunDue(); });
            UdpSocket peer;
            QVERIFY(peer.Open(0));
            const std::string reply = "DBP/1.0 200 OK\r\nCSeq: 9\r\n\r\n";
            QTRY_VERIFY_WITH_TIMEOUT(
                (peer.SendTo(reply.data(), int(reply.size()), 0x7F000001u, engine.LocalPort()), replies > 0), 5000);
            engine.Close();
            QVERIFY(pass.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
        }
        // Withdrawn: later passes free the node and never call the engine.
        SleepMs(2);
        gSchedule.RunDue();
        gSchedule.RunDue();
        SocketLayerShutdown();
    }
};

QTEST_GUILESS_MAIN(ScheduleTest)
#include "tst_schedule.moc"
