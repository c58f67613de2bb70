#include "engine/ResultsTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

ValueBatch batchOf(std::initializer_list<std::string_view> values) {
    ValueBatch batch;
    for (auto v : values)
        batch.append(v);
    return batch;
}

TEST(ResultsTable, ColumnLayouts) {
    ResultsTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.resetColumns(true);
    ASSERT_EQ(table.columnCount(), 2);
    EXPECT_EQ(table.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Filename");
    EXPECT_EQ(table.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Results");
    EXPECT_EQ(table.columnWidthTwips(0), 3500);
    EXPECT_EQ(table.columnWidthTwips(1), 3500);
    table.resetColumns(false);
    ASSERT_EQ(table.columnCount(), 1);
    EXPECT_EQ(table.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Results");
    EXPECT_EQ(table.columnWidthTwips(0), 7000);
}

TEST(ResultsTable, RowsKeepPathValueAndAnUntickedCheckState) {
    ResultsTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.resetColumns(true);
    table.appendValues("/data/a.xml", batchOf({"1", "", "caf\xC3\xA9\r\nx"}));
    table.appendValues("/data/b.xml", batchOf({"2"}));
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.data(table.index(0, 0), Qt::DisplayRole).toString(), "/data/a.xml");
    EXPECT_EQ(table.data(table.index(2, 1), Qt::DisplayRole).toString(),
              QString::fromUtf8("café\r\nx"));
    EXPECT_EQ(table.data(table.index(1, 1), Qt::DisplayRole).toString(), "");
    EXPECT_EQ(table.path(3), "/data/b.xml");
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(table.data(table.index(row, 0), Qt::CheckStateRole), Qt::Unchecked);

    EXPECT_TRUE(table.setData(table.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(table.isChecked(2));
    EXPECT_FALSE(table.isChecked(1));
    EXPECT_FALSE(table.setData(table.index(2, 1), Qt::Checked, Qt::CheckStateRole));

    table.clearRows();
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.columnCount(), 2);
}

TEST(ResultsTable, ValuesOnlyLayoutShowsTheValueInTheFirstColumn) {
    ResultsTable table;
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.resetColumns(false);
    table.appendValues("a.xml", batchOf({"v"}));
    EXPECT_EQ(table.data(table.index(0, 0), Qt::DisplayRole).toString(), "v");
    EXPECT_EQ(table.data(table.index(0, 0), Qt::CheckStateRole), Qt::Unchecked);
    EXPECT_TRUE(table.flags(table.index(0, 0)).testFlag(Qt::ItemIsUserCheckable));
}

TEST(ResultsTable, AppendingABatchIsOneInsertion) {
    ResultsTable table;
    table.resetColumns(false);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    table.appendValues("a.xml", batchOf({"1", "2", "3"}));
    table.appendValues("a.xml", ValueBatch());
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
}

// Values are kept in blocks of about a megabyte; every value must come back whole, whether it
// shares a block, starts a new one, or is larger than a block by itself.
TEST(ResultsTable, ValuesOfEverySizeComeBackWhole) {
    ResultsTable table;
    table.resetColumns(false);
    std::vector<std::string> expected;
    ValueBatch batch;
    for (int i = 0; i < 5000; ++i) {
        const std::size_t size = i % 1000 == 999 ? 3u << 20 : std::size_t(i % 700);
        expected.push_back(std::string(size, char('a' + i % 26)) + std::to_string(i));
        batch.append(expected.back());
    }
    table.appendValues("big.xml", batch);
    ASSERT_EQ(table.rowCount(), 5000);
    for (int row = 0; row < 5000; ++row)
        ASSERT_EQ(table.value(row).toStdString(), expected[std::size_t(row)]) << row;
}

} // namespace
