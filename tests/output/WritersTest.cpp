#include "output/ClipboardText.h"
#include "output/DelimitedText.h"
#include "output/TextReport.h"

#include "QtPrinters.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using namespace tagmill;

namespace {

struct Row {
    const char* path;
    const char* value;
    bool ticked;
};

ResultsSnapshot tableOf(bool withFilename, std::initializer_list<Row> rows) {
    RowStore store;
    for (const Row& row : rows) {
        store.startFile(row.path);
        store.append(row.value, row.ticked);
    }
    return {withFilename, store};
}

// The worked example: the unticked row holds the longest result.
ResultsSnapshot workedExample(bool withFilename) {
    return tableOf(
        withFilename,
        {{"a.xml", "12", true}, {"b.xml", "abcdefghij", false}, {"long_name.xml", "7", true}});
}

// The delimited example: a value holding a comma, in an unticked row.
ResultsSnapshot commaExample(bool withFilename) {
    return tableOf(withFilename,
                   {{"a.xml", "12", true}, {"b.xml", "x,y", false}, {"c.xml", "7", true}});
}

using Writer = std::function<bool(const ResultsSnapshot&, QIODevice&, std::stop_token)>;

QByteArray written(const Writer& writer, const ResultsSnapshot& table) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer(table, buffer, {}));
    return buffer.data();
}

const Writer report = SaveListviewProperlySpaced;
const Writer comma = SaveListviewAsCommaDelimToFile;
const Writer tab = writeTabDelimited;

struct WriterCase {
    const char* name;
    Writer writer;
    ResultsSnapshot table;
    QByteArray expected;
};

TEST(Writers, WriteTheirFormatsByteForByte) {
    const ResultsSnapshot emptyPair = tableOf(true, {});
    const ResultsSnapshot emptySingle = tableOf(false, {});
    const ResultsSnapshot untickedOnly =
        tableOf(true, {{"a.xml", "1", false}, {"a_much_longer_name.xml", "", false}});
    const ResultsSnapshot special = tableOf(
        true, {{"q.xml", "say \"hi\", then\tgo\r\nnext", true}, {"q.xml", "trailing  ", true}});
    // "é" is one unit though two bytes, "😀" two units and four bytes.
    const ResultsSnapshot wide = tableOf(
        false,
        {{"w.xml", "\xC3\xA9", true}, {"w.xml", "\xF0\x9F\x98\x80", true}, {"w.xml", "abc", true}});
    const WriterCase cases[] = {
        {"report, worked example", report, workedExample(true),
         "Filename     \tResults   \t\r\n"
         "a.xml        \t12        \t\r\n"
         "long_name.xml\t7         \t\r\n"},
        {"report, one column", report, workedExample(false),
         "Results   \t\r\n12        \t\r\n7         \t\r\n"},
        {"report, no rows: the headers set the widths", report, emptyPair,
         "Filename\tResults\t\r\n"},
        {"report, nothing ticked: unticked rows still widen", report, untickedOnly,
         "Filename              \tResults\t\r\n"},
        {"report, cells written as they are", report, special,
         "Filename\tResults" + QByteArray(16, ' ') + "\t\r\n" +
             "q.xml   \tsay \"hi\", then\tgo\r\nnext\t\r\n" + "q.xml   \ttrailing  " +
             QByteArray(13, ' ') + "\t\r\n"},
        {"report, widths in UTF-16 units", report, wide,
         "Results\t\r\n\xC3\xA9      \t\r\n\xF0\x9F\x98\x80     \t\r\nabc    \t\r\n"},
        {"comma, worked example", comma, commaExample(true),
         "Filename,Results,\r\na.xml,12\r\nb.xml,x,y\r\nc.xml,7\r\n"},
        {"comma, one column: no header, no comma after the last row", comma, commaExample(false),
         "12,\r\nx,y,\r\n7\r\n"},
        {"comma, no rows, two columns", comma, emptyPair, "Filename,Results,\r\n"},
        {"comma, no rows, one column", comma, emptySingle, ""},
        {"comma, one row, one column", comma, tableOf(false, {{"a.xml", "v", false}}), "v\r\n"},
        {"comma, nothing quoted", comma, special,
         "Filename,Results,\r\nq.xml,say \"hi\", then\tgo\r\nnext\r\nq.xml,trailing  \r\n"},
        {"tab, file names only", tab, commaExample(true), "a.xml\tb.xml\tc.xml\t\r\n"},
        {"tab, one column", tab, commaExample(false), "12\tx,y\t7\t\r\n"},
        {"tab, no rows", tab, emptyPair, "\r\n"},
        {"tab, characters beyond the BMP", tab, wide, "\xC3\xA9\t\xF0\x9F\x98\x80\tabc\t\r\n"},
    };
    for (const WriterCase& c : cases)
        EXPECT_EQ(written(c.writer, c.table), c.expected) << c.name;
}

// The report lays out batches of rows side by side; the lines must still come whole and in
// order across batches and files, whatever rows are ticked.
TEST(Writers, ReportOfManyRowsKeepsEveryTickedLineInOrder) {
    RowStore store;
    std::vector<std::pair<std::string, std::string>> cells;
    for (int i = 0; i < 150000; ++i) {
        if (i % 1000 == 0)
            store.startFile("file" + std::to_string(i / 1000) + (i % 7000 == 0 ? "-long" : ""));
        std::string value(std::size_t(i % 13), char('a' + i % 26));
        value += i % 11 == 0 ? "\xC3\xA9" : "";
        store.append(value, i % 3 != 1);
        if (i % 3 != 1)
            cells.emplace_back(std::string(store.currentPath()), value);
    }
    const ResultsSnapshot table(true, store);
    const std::size_t pathWidth = std::string("file149-long").size();
    const std::size_t valueWidth = 13; // twelve letters and "é"
    QByteArray expected = "Filename" + QByteArray(int(pathWidth - 8), ' ') + "\tResults" +
                          QByteArray(int(valueWidth - 7), ' ') + "\t\r\n";
    for (const auto& [path, value] : cells) {
        const std::size_t length = QString::fromStdString(value).size();
        expected +=
            QByteArray::fromStdString(path) + QByteArray(int(pathWidth - path.size()), ' ') + "\t" +
            QByteArray::fromStdString(value) + QByteArray(int(valueWidth - length), ' ') + "\t\r\n";
    }
    EXPECT_TRUE(written(report, table) == expected); // megabytes: not worth printing
}

TEST(Writers, ReportAFailingDeviceAndAStop) {
    for (const Writer& writer : {report, comma, tab}) {
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        EXPECT_FALSE(writer(workedExample(true), readOnly, {}));

        std::stop_source stop;
        stop.request_stop();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_FALSE(writer(workedExample(true), buffer, stop.get_token()));
    }
}

TEST(Writers, CommaLinesStreamRowByRow) {
    CommaDelimitedLines lines(1);
    std::string out;
    for (std::string_view value : {"1", "2"}) {
        lines.appendRow(out, std::span(&value, 1));
        EXPECT_EQ(out.back(), value.back()) << "a line waits to learn whether it is the last";
    }
    lines.finish(out);
    EXPECT_EQ(out, "1,\r\n2\r\n");
}

// Rows made apart, each as it reads after another, then joined in order, must read exactly as
// rows streamed one by one: the comma ending a line of one column comes with the next row, and
// the first row of all has no line before it to end, however the rows were grouped.
TEST(Writers, CommaLinesMadeApartJoinAsStreamed) {
    const std::vector<std::vector<std::string_view>> rows{
        {"a.xml", "1"}, {"b,c.xml", "x,y"}, {"d.xml", ""}, {"e.xml", "say \"hi\"\r\n"}};
    for (const int columns : {1, 2}) {
        auto cellsOf = [&](const std::vector<std::string_view>& row) {
            return columns == 1 ? std::span(row).subspan(1) : std::span(row);
        };
        for (std::size_t count = 0; count <= rows.size(); ++count) {
            CommaDelimitedLines streamed(columns);
            std::string expected;
            streamed.appendHeader(expected, {"Filename", "Results"});
            for (std::size_t r = 0; r < count; ++r)
                streamed.appendRow(expected, cellsOf(rows[r]));
            streamed.finish(expected);
            // Bit r of the grouping starts a new group before row r; groups without rows come
            // first, between and last.
            for (unsigned grouping = 0; grouping < (1u << count); ++grouping) {
                const CommaDelimitedLines maker(columns);
                std::vector<std::string> groups(1);
                for (std::size_t r = 0; r < count; ++r) {
                    if (grouping & (1u << r))
                        groups.emplace_back();
                    maker.appendFollowingRow(groups.back(), cellsOf(rows[r]));
                    if (r == 1)
                        groups.emplace_back();
                }
                groups.emplace_back();
                CommaDelimitedLines joiner(columns);
                std::string joined;
                joiner.appendHeader(joined, {"Filename", "Results"});
                for (const std::string& group : groups)
                    joined.append(joiner.joinRows(group));
                joiner.finish(joined);
                EXPECT_EQ(joined, expected)
                    << columns << " columns, " << count << " rows, grouping " << grouping;
            }
        }
    }
}

struct ClipboardCase {
    const char* name;
    ResultsSnapshot table;
    QString expected;
};

TEST(ClipboardText, LinesOfTickedRowsTrimmedAtTheEnd) {
    const ClipboardCase cases[] = {
        {"worked example: the header does not count", workedExample(true),
         "a.xml        \t12\r\nlong_name.xml\t7\r\n"},
        {"one column: no TAB, no fill", workedExample(false), "12\r\n7\r\n"},
        {"nothing ticked empties the clipboard", tableOf(true, {{"a.xml", "1", false}}), ""},
        {"a header longer than every cell does not widen", tableOf(true, {{"a", "1", true}}),
         "a\t1\r\n"},
        {"the last cell loses its spaces, others keep them",
         tableOf(true, {{"a ", "b  ", true}, {"c", "  ", true}}), "a \tb\r\nc \t\r\n"},
        {"an empty last cell leaves its TAB", tableOf(true, {{"a.xml", "", true}}), "a.xml\t\r\n"},
        {"an empty single cell leaves an empty line", tableOf(false, {{"a", "   ", true}}), "\r\n"},
        {"a mark that starts the first cell stays", tableOf(false, {{"a", "\xEF\xBB\xBFx", true}}),
         QString(QChar(0xFEFF)) + "x\r\n"},
        {"widths in UTF-16 units",
         tableOf(true, {{"\xF0\x9F\x98\x80", "x", true}, {"abc", "y", true}}),
         QString::fromUtf8("\xF0\x9F\x98\x80 \tx\r\nabc\ty\r\n")},
    };
    for (const ClipboardCase& c : cases) {
        const auto text = clipboardText(c.table);
        ASSERT_TRUE(text.has_value()) << c.name;
        EXPECT_EQ(*text, c.expected) << c.name;
    }
    EXPECT_FALSE(clipboardText(tableOf(true, {})).has_value())
        << "an empty table leaves the clipboard alone";
}

} // namespace
