#include "engine/ResultsTable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tagmill;

namespace {

ValueBatch batchOf(std::initializer_list<std::string_view> values) {
    ValueBatch batch;
    for (auto v : values)
        batch.append(v);
    return batch;
}

// A line read after a second byte-order mark starts with U+FEFF, which is part of the value.
TEST(ResultsTable, AValueKeepsTheUFeffItStartsWith) {
    struct Case {
        std::string_view utf8;
        std::u16string_view shown;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF<v>", u"\uFEFF<v>"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF", u"\uFEFF\uFEFF"},
        {"a\xEF\xBB\xBF", u"a\uFEFF"},
    };
    ResultsTable table;
    table.resetColumns(false);
    for (const Case& c : cases)
        table.appendValues("/data/a.xml", batchOf({c.utf8}));
    for (int row = 0; row < table.rowCount(); ++row) {
        const std::u16string_view shown = cases[row].shown;
        EXPECT_EQ(table.data(table.index(row, 0), Qt::DisplayRole).toString(),
                  QString(reinterpret_cast<const QChar*>(shown.data()), qsizetype(shown.size())))
            << row;
    }
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

std::string cellText(const ResultsSnapshot& snapshot, qsizetype row, int column) {
    return std::string(snapshot.cell(row, column));
}

// A writer reads a snapshot while the window goes on: whatever happens to the table afterwards,
// the snapshot keeps the rows, ticks and columns it was taken with.
TEST(ResultsTable, ASnapshotKeepsTheTableAsItStood) {
    ResultsTable table;
    table.resetColumns(true);
    ValueBatch many;
    for (int i = 0; i < 40000; ++i) { // more than one chunk of rows
        std::string value = "v";
        value += std::to_string(i);
        many.append(value);
    }
    table.appendValues("/data/a.xml", many);
    table.setData(table.index(5, 0), Qt::Checked, Qt::CheckStateRole);

    const ResultsSnapshot snapshot = table.snapshot();
    table.setData(table.index(5, 0), Qt::Unchecked, Qt::CheckStateRole);
    table.setData(table.index(39999, 0), Qt::Checked, Qt::CheckStateRole);
    table.appendValues("/data/b.xml", batchOf({"late"}));

    ASSERT_EQ(snapshot.rowCount(), 40000);
    ASSERT_EQ(snapshot.columnCount(), 2);
    EXPECT_EQ(snapshot.header(0), "Filename");
    EXPECT_EQ(snapshot.header(1), "Results");
    EXPECT_TRUE(snapshot.isTicked(5));
    EXPECT_FALSE(snapshot.isTicked(39999));
    EXPECT_EQ(cellText(snapshot, 39999, 0), "/data/a.xml");
    EXPECT_EQ(cellText(snapshot, 39999, 1), "v39999");
    EXPECT_FALSE(table.isChecked(5));
    EXPECT_TRUE(table.isChecked(39999));
    EXPECT_EQ(table.value(40000), "late");

    table.resetColumns(false);
    EXPECT_EQ(snapshot.rowCount(), 40000);
    EXPECT_EQ(cellText(snapshot, 0, 1), "v0");
}

// The same while another thread reads the snapshot: the values it reads never change under it.
TEST(ResultsTable, ASnapshotCanBeReadOnAnotherThreadWhileTheTableGrows) {
    ResultsTable table;
    table.resetColumns(false);
    ValueBatch first;
    for (int i = 0; i < 20000; ++i)
        first.append(std::to_string(i));
    table.appendValues("a.xml", first);

    const ResultsSnapshot snapshot = table.snapshot();
    bool same = true;
    std::thread reader([&] {
        for (int round = 0; round < 20; ++round)
            for (qsizetype row = 0; row < snapshot.rowCount(); ++row)
                same =
                    same && snapshot.cell(row, 0) == std::to_string(row) && !snapshot.isTicked(row);
    });
    for (int i = 0; i < 200; ++i) {
        table.appendValues("b.xml", batchOf({"more", "rows"}));
        table.setData(table.index(i * 97, 0), Qt::Checked, Qt::CheckStateRole);
    }
    table.clearRows();
    reader.join();
    EXPECT_TRUE(same);
}

// The writers' column widths come from the store: every row counts, ticked or not, in UTF-16
// units, and a file that gave no row does not widen the file name column.
TEST(RowStore, KnowsItsLongestValueAndPath) {
    RowStore rows;
    rows.startFile("a.xml");
    rows.append("\xF0\x9F\x98\x80x", false); // three units, five bytes
    rows.startFile("a-file-that-gave-no-row.xml");
    rows.startFile("bb.xml");
    rows.append("\xC3\xA9", true);
    EXPECT_EQ(rows.longestValue(), 3);
    EXPECT_EQ(rows.longestPath(), 6);
    const ResultsSnapshot snapshot(true, rows);
    EXPECT_EQ(snapshot.longestCell(0), 6);
    EXPECT_EQ(snapshot.longestCell(1), 3);
    rows.clear();
    EXPECT_EQ(rows.longestValue(), 0);
    EXPECT_EQ(rows.longestPath(), 0);
}

} // namespace
