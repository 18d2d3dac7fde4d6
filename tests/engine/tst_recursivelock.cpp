// RecursiveLock: re-entry by its owner, no effect of a stranger's unlock,
// and mutual exclusion between threads.
#include "net/RecursiveLock.h"

#include <QtTest>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace {

// Locks on another thread and reports when it got in; unlocks at the end.
std::future<void> lockInBackground(RecursiveLock& lock)
{
    return std::async(std::launch::async, [&lock] {
        lock.lock();
        lock.unlock();
    });
}

bool finishes(std::future<void>& f, int ms)
{
    return f.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}

}  // namespace

class RecursiveLockTest : public QObject {
    Q_OBJECT

private slots:
    void ownerMustUnlockAsOftenAsItLocked()
    {
        RecursiveLock lock;
        lock.lock();
        lock.lock();
        lock.lock();
        auto other = lockInBackground(lock);
        lock.unlock();
        lock.unlock();
        QVERIFY(!finishes(other, 150));
        lock.unlock();
        QVERIFY(finishes(other, 5000));
    }

    void unlockByAnotherThreadChangesNothing()
    {
        RecursiveLock lock;
        lock.lock();
        std::thread([&lock] { lock.unlock(); }).join();
        auto other = lockInBackground(lock);
        QVERIFY(!finishes(other, 150));
        lock.unlock();
        QVERIFY(finishes(other, 5000));
    }

    void unlockWhenFreeChangesNothing()
    {
        RecursiveLock lock;
        lock.unlock();
        lock.lock();
        auto other = lockInBackground(lock);
        QVERIFY(!finishes(other, 100));
        lock.unlock();
        QVERIFY(finishes(other, 5000));
    }

    void excludesOtherThreads()
    {
        RecursiveLock lock;
        long counter = 0;
        std::atomic<int> inside{0};
        std::atomic<bool> overlapped{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 20000; ++i) {
                    lock.lock();
                    lock.lock();
                    if (inside.fetch_add(1) != 0)
                        overlapped = true;
                    ++counter;
                    inside.fetch_sub(1);
                    lock.unlock();
                    lock.unlock();
                }
            });
        }
        for (std::thread& t : threads)
            t.join();
        QVERIFY(!overlapped);
        QCOMPARE(counter, 80000L);
    }
};

QTEST_GUILESS_MAIN(RecursiveLockTest)
#include "tst_recursivelock.moc"
