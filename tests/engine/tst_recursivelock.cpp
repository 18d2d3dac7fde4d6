// RecursiveLock: re-entry by its owner, no effect of a stray unlock, and
// mutual exclusion between threads.
#include "net/RecursiveLock.h"

#include <QtTest>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

class RecursiveLockTest : public QObject {
    Q_OBJECT

private slots:
    void ownerUnlocksAsOftenAsItLockedAndStrayUnlocksChangeNothing()
    {
        RecursiveLock lock;
        lock.unlock();  // while free
        lock.lock();
        lock.lock();
        lock.lock();
        std::thread([&lock] { lock.unlock(); }).join();  // by a stranger
        auto other = std::async(std::launch::async, [&lock] {
            lock.lock();
            lock.unlock();
        });
        lock.unlock();
        lock.unlock();
        QVERIFY(other.wait_for(std::chrono::milliseconds(150)) == std::future_status::timeout);
        lock.unlock();
        QVERIFY(other.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
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
