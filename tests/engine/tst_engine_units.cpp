// The engine's building blocks on their own: the recursive lock, and the
// timer schedule's due times across the 32-bit counter's wrap and its
// withdrawal of one registration. Test thread, and two helper threads.
#include "net/NxSchedule.h"
#include "net/RecursiveLock.h"

#include <QtTest>

#include <atomic>
#include <thread>

namespace {

uint32_t fakeNow = 0;  // the schedule's millisecond counter

// Counts its calls and asks to be called again after `result` ms.
struct Probe {
    int32_t result = 0;
    int calls = 0;
};

int32_t probeCallback(void* user)
{
    auto* probe = static_cast<Probe*>(user);
    ++probe->calls;
    return probe->result;
}

}  // namespace

class EngineUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void lockIsHeldUntilItsOwnersLastUnlock()
    {
        RecursiveLock lock;
        lock.lock();
        lock.lock();
        std::thread([&lock] { lock.unlock(); }).join();  // not the owner's: changes nothing
        std::atomic<bool> entered{false};
        std::thread other([&] {
            lock.lock();
            entered = true;
            lock.unlock();
        });
        lock.unlock();
        QTest::qSleep(100);
        const bool enteredWhileHeld = entered;
        lock.unlock();
        other.join();
        QVERIFY(!enteredWhileHeld);
        QVERIFY(entered);
    }

    // A callback added at `start` with `delay` is due at start + delay and
    // again `result` ms later; deadlines count on past the counter's wrap.
    void scheduleDueTimes_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("result");
        QTest::newRow("negative delay and result: every pass") << 1000u << -50 << -1;
        QTest::newRow("armed before the wrap: not due early") << 0xFFFFFF00u << 500 << 0;
        QTest::newRow("re-armed across the wrap: not due early") << 0xFFFFFFF0u << 0 << 100;
    }
    void scheduleDueTimes()
    {
        QFETCH(uint, start);
        QFETCH(int, delay);
        QFETCH(int, result);
        fakeNow = start;
        NxSchedule schedule([] { return fakeNow; });
        Probe probe{result};
        schedule.Add(probeCallback, &probe, delay);
        const auto callsAt = [&](uint32_t now) {
            fakeNow = now;
            schedule.RunDue();
            return probe.calls;
        };
        const uint32_t due = start + uint32_t(std::max(delay, 0));
        const uint32_t again = due + uint32_t(std::max(result, 0));
        if (due != start)
            QCOMPARE(callsAt(due - 1), 0);
        QCOMPARE(callsAt(due), 1);
        if (again != due)
            QCOMPARE(callsAt(again - 1), 1);
        QCOMPARE(callsAt(again), 2);
    }

    void removeWithdrawsEveryRegistrationOfItsPairOnly()
    {
        NxSchedule schedule([] { return fakeNow; });
        Probe twice, sameUserOtherCallback, otherUser;
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add(probeCallback, &twice, 0);
        schedule.Add([](void* user) { return probeCallback(user); }, &sameUserOtherCallback, 0);
        schedule.Add(probeCallback, &otherUser, 0);
        schedule.Remove(probeCallback, &twice);
        schedule.Remove(probeCallback, &sameUserOtherCallback);
        schedule.RunDue();
        QCOMPARE(twice.calls, 0);
        QCOMPARE(sameUserOtherCallback.calls, 1);
        QCOMPARE(otherUser.calls, 1);
    }
};

QTEST_GUILESS_MAIN(EngineUnitsTest)
#include "tst_engine_units.moc"
