#include "CommandsFixture.h"

#include <QEventLoop>
#include <QTimer>

#include <latch>

using namespace tagmill;

namespace {

class WorkQueueTest : public CommandsFixture {};

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
        [&] { seen.append("first done at " + m_list.entries().join(',')); });
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, {"4"}); });
    finishLoading();
    EXPECT_EQ(m_list.entries(), QStringList({"1", "2", "3", "4"}));
    EXPECT_EQ(other.entries(), QStringList{"x"});
    EXPECT_EQ(seen, QStringList({"action after 1,2", "first done at 1,2,3"}));
}

TEST_F(WorkQueueTest, CancelStopsTheRunningJobAndDropsWhatItFound) {
    std::latch started(1);
    bool stopped = false;
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
        [&] { finishedRan = true; });
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, {"queued"}); });
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
    m_loader.start([&](WorkQueue::Output& output) { output.add(m_list, million); },
                   [&] { loop.quit(); });
    loop.exec();
    EXPECT_EQ(m_list.rowCount(), 1'000'000);
    EXPECT_EQ(m_list.entries().last(), "999999");
    EXPECT_GE(ticksWhileFilling, 1) << "the event loop turned between slices";
}

} // namespace
