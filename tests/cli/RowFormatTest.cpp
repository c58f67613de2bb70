#include "cli/RowFormat.h"
#include "cli/JsonRows.h"
#include "engine/ExtractionRun.h"

#include "cli/JsonReference.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tagmill;
using namespace tagmill::cli;
using tagmill::test::jsonEscapedByteByByte;

namespace {

std::string csvField(std::string_view text) {
    std::string out;
    appendCsvField(out, text);
    return out;
}

std::string jsonEscaped(std::string_view text) {
    std::string out;
    appendJsonEscaped(out, text);
    return out;
}

std::string csvFieldByteByByte(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::vector<char> jsonSpecialBytes() {
    std::vector<char> bytes{'"', '\\'};
    for (int c = 0; c < 0x20; ++c)
        bytes.push_back(char(c));
    return bytes;
}

const char CsvSpecialBytes[] = {',', '"', '\r', '\n'};

// Values shorter than a block of 16, of one block, of one block and a byte, and longer than two
// blocks with 1, 9 or no bytes after the last whole one.
const std::size_t LongLengths[] = {15, 16, 17, 33, 41, 48};

// The escapes look at 16 bytes at a time, and on from just after each special byte: every
// special byte must be found wherever it stands, alone or after another.
TEST(JsonEscape, EverySpecialByteInEveryPlaceAloneAndInPairs) {
    const std::vector<char> specials = jsonSpecialBytes();
    for (const std::size_t length : LongLengths) {
        for (const char special : specials) {
            for (std::size_t at = 0; at < length; ++at) {
                std::string value(length, 'x');
                value[at] = special;
                ASSERT_EQ(jsonEscaped(value), jsonEscapedByteByByte(value))
                    << int(special) << " at " << at << " of " << length;
            }
        }
        for (std::size_t first = 0; first < length; ++first) {
            for (std::size_t second = first + 1; second < length; ++second) {
                std::string value(length, '\xC3'); // bytes of characters beyond ASCII stay
                value[first] = specials[(first + second) % specials.size()];
                value[second] = specials[(first * 7 + second) % specials.size()];
                ASSERT_EQ(jsonEscaped(value), jsonEscapedByteByByte(value))
                    << first << " and " << second << " of " << length;
            }
        }
    }
    EXPECT_EQ(jsonEscaped(""), "");
    EXPECT_EQ(jsonEscaped(std::string(41, '\x7F')), std::string(41, '\x7F')) << "DEL stays";
    // The escapes' growth is summed a byte at a time over many blocks: a long run of the
    // longest escapes must not overflow the sums.
    for (const char longest : {'\x01', '\v', '\x1F'}) {
        const std::string run(16 * 120 + 7, longest);
        EXPECT_EQ(jsonEscaped(run), jsonEscapedByteByByte(run)) << int(longest);
    }
}

ValueBatch batchOf(const std::vector<std::string>& values) {
    ValueBatch batch;
    for (const std::string& value : values)
        batch.append(value);
    return batch;
}

// Rows of a batch copy each value 16 bytes at a time from the batch's text, testing them in the
// same load, and the bytes near the text's end one by one; each prefix goes in whole blocks and
// the value writes over what the padding left. Whatever the value's place, length and special
// bytes, and whatever the buffer held before, the rows must read as if written byte by byte.
TEST(JsonRows, EveryValueOfABatchIsEscapedWhereverItStands) {
    const std::vector<char> specials = jsonSpecialBytes();
    std::vector<std::string> values;
    for (std::size_t length = 0; length <= 40; ++length) {
        values.push_back(std::string(length, 'v'));
        for (std::size_t at = 0; at < length; ++at) {
            std::string value(length, '\xC3');
            value[at] = specials[(length + at) % specials.size()];
            values.push_back(value);
        }
    }
    const std::string prefixes[] = {"", "{\"value\":\"", std::string(16, 'p'), std::string(17, 'p'),
                                    std::string(70, 'p')};
    for (const std::string& prefix : prefixes) {
        // The whole list, and its last few values alone, whose text is shorter than a block.
        for (const std::size_t from : {std::size_t(0), values.size() - 3, values.size() - 1}) {
            const std::vector<std::string> batch(values.begin() + std::ptrdiff_t(from),
                                                 values.end());
            std::string expected = "kept";
            for (const std::string& value : batch)
                expected += prefix + jsonEscapedByteByByte(value) + "\"}\n";
            for (const std::size_t before : {std::size_t(4), expected.size() + 100}) {
                std::string out = "kept" + std::string(before - 4, '#');
                writeJsonRows(out, 4, prefix, batchOf(batch));
                ASSERT_EQ(out, expected) << prefix.size() << "-byte prefix, values from " << from
                                         << ", buffer of " << before;
            }
        }
    }
}

// Rows are written into room for their values as they stand and a little more, which grows only
// when a value's escapes could run past it: values made of the longest escapes, wherever they
// stand in a batch and however long the buffer was before, must still come out whole.
TEST(JsonRows, ValuesOfLongEscapesGrowTheRoomWhereverTheyStand) {
    const std::string plain = "plain value";
    const std::vector<std::vector<std::string>> batches = {
        {std::string(1, '\x01')},
        {std::string(200, '\x1F')},
        {plain, plain, plain, std::string(300, '\x02')},
        {std::string(64, '\x01'), plain, std::string(17, '\v'), "", std::string(1000, '\x03')},
        std::vector<std::string>(500, std::string(33, '\x04')),
    };
    const std::string prefix = "{\"file\":\"a.xml\",\"value\":\"";
    for (std::size_t b = 0; b < batches.size(); ++b) {
        std::string expected = "kept";
        for (const std::string& value : batches[b])
            expected += prefix + jsonEscapedByteByByte(value) + "\"}\n";
        for (const std::size_t before :
             {std::size_t(4), std::size_t(100), expected.size() / 2, expected.size()}) {
            std::string out = "kept" + std::string(before - 4, '#');
            writeJsonRows(out, 4, prefix, batchOf(batches[b]));
            ASSERT_EQ(out, expected) << "batch " << b << ", buffer of " << before;
        }
    }
}

// The check looks at 16 bytes at a time: a comma, quote, CR or LF must be seen wherever it
// stands, in a block or in the bytes after the last one.
TEST(CsvField, IsQuotedWhateverPlaceTheSpecialCharacterHas) {
    for (const char special : {',', '"', '\r', '\n'}) {
        for (std::size_t at = 0; at < 41; ++at) {
            std::string value(41, 'x');
            value[at] = special;
            std::string quoted(1, '"');
            quoted.append(value, 0, at);
            quoted.append(special == '"' ? 2 : 1, special);
            quoted.append(value, at + 1);
            quoted += '"';
            EXPECT_EQ(csvField(value), quoted) << int(special) << " at " << at;
        }
    }
    EXPECT_EQ(csvField(std::string(41, 'x')), std::string(41, 'x'));
    EXPECT_EQ(csvField("\"\""), "\"\"\"\"\"\"");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("caf\xC3\xA9\t;'"), "caf\xC3\xA9\t;'") << "TAB, semicolon: as they are";
}

// A quoted field doubles each quotation mark, found 16 bytes at a time: marks next to each
// other, at the ends, and in a field quoted for another byte must all come out doubled.
TEST(CsvField, EveryQuotationMarkIsDoubledWhereverItStands) {
    for (const std::size_t length : LongLengths) {
        for (const char special : CsvSpecialBytes) {
            for (std::size_t at = 0; at < length; ++at) {
                std::string value(length, 'x');
                value[at] = special;
                ASSERT_EQ(csvField(value), csvFieldByteByByte(value))
                    << int(special) << " at " << at << " of " << length;
            }
        }
        for (std::size_t first = 0; first < length; ++first) {
            for (std::size_t second = first + 1; second < length; ++second) {
                std::string value(length, 'x');
                value[first] = CsvSpecialBytes[(first + second) % std::size(CsvSpecialBytes)];
                value[second] = '"';
                ASSERT_EQ(csvField(value), csvFieldByteByByte(value))
                    << first << " and " << second << " of " << length;
            }
        }
        const std::string quotes(length, '"');
        EXPECT_EQ(csvField(quotes), '"' + std::string(2 * length, '"') + '"');
    }
}

const OutputFormat StreamingFormats[] = {OutputFormat::Jsonl, OutputFormat::Csv,
                                         OutputFormat::Comma, OutputFormat::Tab};

const char* nameOf(OutputFormat format) {
    switch (format) {
    case OutputFormat::Jsonl:
        return "jsonl";
    case OutputFormat::Csv:
        return "csv";
    case OutputFormat::Comma:
        return "comma";
    case OutputFormat::Tab:
        return "tab";
    case OutputFormat::Report:
    case OutputFormat::Xlsx:
        break;
    }
    return "other";
}

struct FileBatches {
    std::string entry;
    std::vector<std::vector<std::string>> batches;
};

// Rows one at a time, in order, on one thread.
std::string rowsOneByOne(OutputFormat format, bool withFilename,
                         const std::vector<FileBatches>& files) {
    RowFormat rows(format, withFilename);
    std::string out;
    rows.appendHeader(out);
    for (const FileBatches& file : files) {
        rows.setFile(file.entry);
        for (const auto& batch : file.batches)
            for (const std::string& value : batch)
                rows.appendRow(out, value);
    }
    rows.finish(out);
    return out;
}

// Each batch made apart from the rest, then all joined in order.
std::string rowsJoined(OutputFormat format, bool withFilename,
                       const std::vector<FileBatches>& files) {
    const RowFormat maker(format, withFilename);
    std::vector<std::string> made;
    for (const FileBatches& file : files) {
        for (const auto& batch : file.batches) {
            made.emplace_back();
            maker.appendRows(made.back(), file.entry, batchOf(batch));
        }
    }
    RowFormat joiner(format, withFilename);
    std::string out;
    joiner.appendHeader(out);
    for (const std::string& rows : made)
        out.append(joiner.joinRows(rows));
    joiner.finish(out);
    return out;
}

// The first row of all may come in any file and any batch, after files with none.
TEST(RowFormat, BatchesMadeApartJoinToTheRowsMadeOneByOne) {
    const std::vector<FileBatches> files{
        {"none.xml", {}},
        {"empty batch.xml", {{}}},
        {"a,b \"c\".xml", {{"1", "x,y", "say \"hi\""}, {"", "l1\r\nl2"}}},
        {"caf\xC3\xA9\t.xml", {{"\t", "\\", std::string(40, '"')}}},
        {"none again.xml", {}},
        {"last.xml", {{"z"}, {}, {"", ""}}},
    };
    for (std::size_t from = 0; from <= files.size(); ++from) {
        const std::vector<FileBatches> tail(files.begin() + std::ptrdiff_t(from), files.end());
        for (const OutputFormat format : StreamingFormats) {
            for (const bool withFilename : {false, true}) {
                SCOPED_TRACE(std::string(nameOf(format)) +
                             (withFilename ? " with file names" : "") + ", from file " +
                             std::to_string(from));
                EXPECT_EQ(rowsJoined(format, withFilename, tail),
                          rowsOneByOne(format, withFilename, tail));
            }
        }
    }
    EXPECT_EQ(rowsJoined(OutputFormat::Comma, false, files), "1,\r\nx,y,\r\nsay \"hi\",\r\n,\r\n"
                                                             "l1\r\nl2,\r\n\t,\r\n\\,\r\n" +
                                                                 std::string(40, '"') +
                                                                 ",\r\nz,\r\n,\r\n\r\n");
}

class ParallelRows : public test::TempFiles {};

// Where the first bytes of two long outputs part; printing megabytes would help nobody.
std::string firstDifference(const std::string& actual, const std::string& expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const std::size_t at = std::size_t(a - actual.begin());
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(at) + ": \"" + actual.substr(at, 40) +
           "\" instead of \"" + expected.substr(at, 40) + "\"";
}

// Many files of many short rows: their rows, made on several workers at once, must join into
// the very bytes one thread makes of them row by row, whatever file comes first with a row.
TEST_F(ParallelRows, RowsMadeOnWorkersEqualTheRowsMadeOneByOne) {
    RunInput input{{}, {"v"}, ExtractionOption::ValueOnly};
    for (int f = 0; f < 300; ++f) {
        QByteArray bytes;
        // Files without rows first and here and there; a few with several batches of values.
        const int values = f < 3 || f % 17 == 0 ? 0 : f % 50 == 7 ? 60000 : (f * 37) % 400;
        for (int v = 0; v < values; ++v) {
            bytes += "<v>" + QByteArray::number(f) + "." + QByteArray::number(v);
            bytes += v % 11 == 0 ? ",\"q\"\t\\" : v % 13 == 0 ? "\r\n" : "";
            bytes += "</v>\n";
        }
        if (values == 0)
            bytes = "<w>no rows</w>";
        const QString name = QString(f % 3 == 0 ? "f%1,\"q\".xml" : "f%1.xml").arg(f);
        input.entries.append(f % 61 == 30 ? pathOf("missing.xml") : write(name, bytes));
    }
    std::vector<std::string> entries;
    for (const QString& entry : input.entries)
        entries.push_back(entry.toUtf8().toStdString());

    for (const OutputFormat format : StreamingFormats) {
        for (const bool withFilename : {false, true}) {
            SCOPED_TRACE(std::string(nameOf(format)) + (withFilename ? " with file names" : ""));
            // One worker, and every row made on the one thread that takes the values.
            std::string oneByOne;
            {
                RowFormat rows(format, withFilename);
                rows.appendHeader(oneByOne);
                ExtractionRun run(input, {}, 1);
                RunEvent event;
                qsizetype file = -1;
                while (run.next(event)) {
                    if (event.isFailure())
                        continue;
                    if (event.fileIndex != file)
                        rows.setFile(entries[std::size_t(file = event.fileIndex)]);
                    for (std::size_t i = 0; i < event.values.count(); ++i)
                        rows.appendRow(oneByOne, event.values.value(i));
                }
                rows.finish(oneByOne);
            }
            // Several workers, each making the rows of the values it finds.
            std::string joined;
            {
                const RowFormat maker(format, withFilename);
                RowFormat joiner(format, withFilename);
                joiner.appendHeader(joined);
                ExtractionRun run(input, {}, 4, [&](qsizetype file, const ValueBatch& values) {
                    const std::string_view entry = entries[std::size_t(file)];
                    if (file % 2 == 0) {
                        std::string rows;
                        maker.appendRows(rows, entry, values);
                        return rows;
                    }
                    // A buffer used before: shorter or longer than the rows it takes now.
                    std::string rows(file % 4 == 1 ? 5 : 8 << 20, '#');
                    maker.writeRows(rows, entry, values);
                    return rows;
                });
                RunEvent event;
                int failures = 0;
                while (run.next(event)) {
                    failures += event.isFailure();
                    EXPECT_TRUE(event.values.empty()) << "the rows come instead of the values";
                    joined.append(joiner.joinRows(event.formatted));
                }
                joiner.finish(joined);
                EXPECT_EQ(failures, 5);
            }
            ASSERT_GT(oneByOne.size(), 2u << 20) << "many rows, several batches";
            EXPECT_TRUE(joined == oneByOne) << firstDifference(joined, oneByOne);
        }
    }
}

} // namespace
