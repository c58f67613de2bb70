#include "lists/EntryListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace tagmill;

namespace {

TEST(EntryListModel, OneHeadedColumnOfEntries) {
    EntryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy headerChanged(&model, &QAbstractItemModel::headerDataChanged);
    model.setHeader("XML File(s)");
    EXPECT_EQ(headerChanged.size(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "XML File(s)");

    model.append({"a.xml", "", "b.xml"});
    model.append({});
    model.append({"a.xml"});
    EXPECT_EQ(model.entries(), QStringList({"a.xml", "", "b.xml", "a.xml"}));
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), "b.xml");

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "XML File(s)");
}

TEST(EntryListModel, EntriesAreRemovedAndExchangedInPlace) {
    EntryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.append({"a", "b", "c", "d"});
    model.swapEntries(0, 2);
    EXPECT_EQ(model.entries(), QStringList({"c", "b", "a", "d"}));
    EXPECT_EQ(changed.size(), 2) << "both rows repaint";
    model.removeEntry(1);
    EXPECT_EQ(model.entries(), QStringList({"c", "a", "d"}));
    model.removeEntry(2);
    EXPECT_EQ(model.entries(), QStringList({"c", "a"}));
}

TEST(EntryListModel, ListContainsTextComparesWholeTextsWithCase) {
    const QStringList list{"td", "/data/a.xml", ""};
    EXPECT_TRUE(ListContainsText(list, "td"));
    EXPECT_TRUE(ListContainsText(list, ""));
    EXPECT_FALSE(ListContainsText(list, "TD"));
    EXPECT_FALSE(ListContainsText(list, "t"));
    EXPECT_FALSE(ListContainsText(list, "/data/a.xml "));
    EXPECT_FALSE(ListContainsText({}, ""));
}

} // namespace
