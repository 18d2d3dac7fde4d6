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
#include <vector>

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
    std::vector<std::string>* order = nullptr;
};

int32_t probeCallback(void* user)
{
    auto* probe = static_cast<Probe*>(user);
    ++probe->calls;
    if (probe->order)
        probe->order->push_back(probe->name);
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
    void init() { fakeNow = 1000; }

    void negativeDelayIsDueAtTheNextPass()
    {
        NxSchedule schedule(fakeClock);
        Probe probe;
        schedule.Add(probeCallback, &probe, -50);
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
    }

    void notDueBeforeItsDeadline()
    {
        NxSchedule schedule(fakeClock);
        Probe probe;
        schedule.Add(probeCallback, &probe, 100);
        fakeNow = 1099;
        schedule.RunDue();
        QCOMPARE(probe.calls, 0);
        fakeNow = 1100;
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
    }

    void callbackResultRearmsTheNode_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("delay");
        QTest::newRow("negative runs at the next pass") << -1 << 0;
        QTest::newRow("zero runs at the next pass") << 0 << 0;
        QTest::newRow("positive waits that long") << 30 << 30;
    }
    void callbackResultRearmsTheNode()
    {
        QFETCH(int, result);
        QFETCH(int, delay);
        NxSchedule schedule(fakeClock);
        Probe probe;
        probe.result = result;
        schedule.Add(probeCallback, &probe, 0);
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
        if (delay > 0) {
            fakeNow += uint32_t(delay) - 1;
            schedule.RunDue();
            QCOMPARE(probe.calls, 1);
            fakeNow += 1;
        }
        schedule.RunDue();
        QCOMPARE(probe.calls, 2);
    }

    void newestRegistrationRunsFirst()
    {
        NxSchedule schedule(fakeClock);
        std::vector<std::string> order;
        Probe a{"a", 0, 0, &order};
        Probe b{"b", 0, 0, &order};
        schedule.Add(probeCallback, &a, 0);
        schedule.Add(probeCallback, &b, 0);
        schedule.RunDue();
        QCOMPARE(order, (std::vector<std::string>{"b", "a"}));
    }

    void removeWithdrawsEveryRegistrationOfThePair()
    {
        NxSchedule schedule(fakeClock);
        Probe twice;
        Probe sameUserOtherCallback;
        Probe otherUser;
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add(otherCallback, &sameUserOtherCallback, 0);
        schedule.Add(probeCallback, &otherUser, 0);
        schedule.Remove(probeCallback, &twice);
        schedule.Remove(probeCallback, &sameUserOtherCallback);
        schedule.RunDue();  // frees the withdrawn nodes
        schedule.RunDue();
        QCOMPARE(twice.calls, 0);
        QCOMPARE(sameUserOtherCallback.calls, 2);
        QCOMPARE(otherUser.calls, 2);
    }

    void nodeWithoutCallbackOrUserIsNeverCalled()
    {
        NxSchedule schedule(fakeClock);
        Probe probe;
        schedule.Add(nullptr, &probe, 0);
        schedule.Add(probeCallback, nullptr, 0);
        schedule.Add(probeCallback, &probe, 0);
        schedule.RunDue();
        schedule.RunDue();
        QCOMPARE(probe.calls, 2);
    }

    void deadlinePastTheCounterRangeBecomesDueAfterTheWrap_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("delay");
        QTest::addColumn<uint>("notYet");
        QTest::addColumn<uint>("due");
        QTest::newRow("carry into the next round") << 0xFFFFFFF0u << 100 << 0x00000053u << 0x00000054u;
        QTest::newRow("carry just at the wrap") << 0xFFFFFFFFu << 1 << 0xFFFFFFFFu << 0x00000000u;
        QTest::newRow("long delay across the wrap") << 0xFFFFFF00u << 100000 << 0x0001859Fu << 0x000185A0u;
        QTest::newRow("no carry") << 0x10u << 5 << 0x14u << 0x15u;
    }
    void deadlinePastTheCounterRangeBecomesDueAfterTheWrap()
    {
        QFETCH(uint, start);
        QFETCH(int, delay);
        QFETCH(uint, notYet);
        QFETCH(uint, due);
        fakeNow = start;
        NxSchedule schedule(fakeClock);
        Probe probe;
        probe.result = 1000000;
        schedule.Add(probeCallback, &probe, delay);
        // The counter passes the top of its range, then comes round.
        if (notYet < start) {
            fakeNow = 0xFFFFFFFFu;
            schedule.RunDue();
            QCOMPARE(probe.calls, 0);
        }
        fakeNow = notYet;
        schedule.RunDue();
        QCOMPARE(probe.calls, 0);
        fakeNow = due;
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
    }

    void nodeArmedBeforeTheWrapIsNotDueEarly()
    {
        fakeNow = 0xFFFFFF00u;
        NxSchedule schedule(fakeClock);
        Probe probe;
        schedule.Add(probeCallback, &probe, 500);
        fakeNow = 0x00000005u;  // wrapped, but only 0x105 ms have passed
        schedule.RunDue();
        QCOMPARE(probe.calls, 0);
        fakeNow = 0x000001F4u;
        schedule.RunDue();
        QCOMPARE(probe.calls, 1);
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
