#include "shell/EntryListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

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

} // namespace
