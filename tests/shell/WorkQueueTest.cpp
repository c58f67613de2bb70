#include "CommandsFixture.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <latch>
#include <memory>
#include <new>

using namespace tagmill;

namespace {

class WorkQueueTest : public CommandsFixture {
protected:
    /// For jobs that must not fail.
    static WorkQueue::Failed unexpected() {
        return [](const QString& description) { ADD_FAILURE() << description.toStdString(); };
    }
};

TEST_F(WorkQueueTest, EntriesAndActionsArriveInTheOrderHandedOver) {
    EntryListModel other;
    QStringList seen;
    m_loader.start(
        [&](WorkQueue::Output& output) {
            output.add(m_list, {"1", "2"});
            output.add(other, {"x"});
            output.post([&] { seen.append("action after " + m_list.entries().join(',')); });
            output.add(m_list, {"3"});
        },
        unexpected(), [&] { seen.append("first done at " + m_list.entries().join(',')); });
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, {"4"}); }, unexpected());
    finishLoading();
    EXPECT_EQ(m_list.entries(), QStringList({"1", "2", "3", "4"}));
    EXPECT_EQ(other.entries(), QStringList{"x"});
    EXPECT_EQ(seen, QStringList({"action after 1,2", "first done at 1,2,3"}));
}

TEST_F(WorkQueueTest, CancelStopsTheRunningJobAndDropsWhatItFound) {
    std::latch started(1);
    std::atomic<bool> stopped = false;
    bool finishedRan = false;
    m_loader.start(
        [&](WorkQueue::Output& output) {
            output.add(m_list, {"early"});
            started.count_down();
            while (!output.stopToken().stop_requested())
                std::this_thread::yield();
            stopped = true;
            output.add(m_list, {"late"});
        },
        unexpected(), [&] { finishedRan = true; });
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, {"queued"}); },
                   unexpected());
    started.wait();
    m_loader.cancel();
    finishLoading();
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(finishedRan);
    EXPECT_TRUE(m_list.entries().isEmpty()) << m_list.entries().join(',').toStdString();
}

TEST_F(WorkQueueTest, AMillionEntriesArriveInSlicesWhileTheWindowTicks) {
    QStringList million;
    million.reserve(1'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        million.append(QString::number(i));
    m_view.show();
    int ticksWhileFilling = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (m_list.rowCount() > 0 && m_list.rowCount() < 1'000'000)
            ++ticksWhileFilling;
    });
    timer.start(0);
    QEventLoop loop;
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, million); }, unexpected(),
                   [&] { loop.quit(); });
    loop.exec();
    EXPECT_EQ(m_list.rowCount(), 1'000'000);
    EXPECT_EQ(m_list.entries().last(), "999999");
    EXPECT_GE(ticksWhileFilling, 1) << "the event loop turned between slices";
}

TEST_F(WorkQueueTest, AJobThatThrowsIsReportedAndTheWorkGoesOn) {
    QStringList seen;
    m_loader.start(
        [&](WorkQueue::Output& output) {
            output.add(m_list, {"before"});
            throw std::bad_alloc();
        },
        [&](const QString& description) {
            seen.append("failed at " + m_list.entries().join(',') + ": " + description);
        },
        [&] { seen.append("first done"); });
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, {"next"}); }, unexpected());
    finishLoading();
    EXPECT_EQ(seen, QStringList({"failed at before: std::bad_alloc", "first done"}));
    EXPECT_EQ(m_list.entries(), QStringList({"before", "next"}));
}

// Entries added directly join after those a job still at work hands over, and a wait for the
// queue ends only once everything queued before it is in.
TEST_F(WorkQueueTest, AppendsKeepTheirPlaceBehindWorkStillGoing) {
    m_loader.append(m_list, {"idle"}, unexpected());
    EXPECT_EQ(m_list.entries(), QStringList{"idle"}) << "an idle queue appends at once";
    EXPECT_TRUE(m_loader.isIdle());

    std::latch release(1);
    m_loader.start(
        [&](WorkQueue::Output& output) {
            output.add(m_list, {"scan 1"});
            release.wait();
            output.add(m_list, {"scan 2"});
        },
        unexpected());
    m_loader.append(m_list, {"added"}, unexpected());
    QStringList atWait;
    m_loader.whenDone([&] { atWait = m_list.entries(); });
    m_loader.append(m_list, {"after the wait"}, unexpected());
    EXPECT_FALSE(m_loader.isIdle());
    QTest::qWait(20);
    EXPECT_FALSE(m_list.entries().contains("added"));
    release.count_down();
    finishLoading();
    EXPECT_EQ(atWait, QStringList({"idle", "scan 1", "scan 2", "added"}));
    EXPECT_EQ(m_list.entries(),
              QStringList({"idle", "scan 1", "scan 2", "added", "after the wait"}));
    EXPECT_TRUE(m_loader.isIdle());
}

TEST_F(WorkQueueTest, ACancelLeavesTheQueueIdle) {
    auto release = std::make_shared<std::latch>(1); // the job may still wait on it at the end
    m_loader.start([release](WorkQueue::Output&) { release->wait(); }, unexpected());
    m_loader.append(m_list, {"dropped"}, unexpected());
    EXPECT_FALSE(m_loader.isIdle());
    m_loader.cancel();
    EXPECT_TRUE(m_loader.isIdle());
    m_loader.append(m_list, {"kept"}, unexpected());
    EXPECT_EQ(m_list.entries(), QStringList{"kept"});
    release->count_down();
}

// A job stuck in the system (a read on a network mount that never answers) must not keep the
// program from ending: the queue goes without it, and the job, once free, hands over nothing.
TEST_F(WorkQueueTest, TheEndOfTheQueueDoesNotWaitForAStuckJob) {
    auto release = std::make_shared<std::latch>(1);
    auto ended = std::make_shared<std::latch>(1);
    EntryListModel list;
    {
        WorkQueue queue;
        std::latch started(1);
        queue.start(
            [&started, &list, release, ended](WorkQueue::Output& output) {
                started.count_down();
                release->wait(); // deaf to the stop
                output.add(list, {"too late"});
                output.post([] { ADD_FAILURE() << "an action reached a queue that is gone"; });
                ended->count_down();
            },
            unexpected());
        started.wait();
    } // must return although the job goes on
    release->count_down();
    ended->wait();
    QTest::qWait(20);
    EXPECT_TRUE(list.entries().isEmpty());
}

} // namespace
