// Reading a file in pieces: what waits for its turn, what is read again, and a file that
// changes meanwhile.

#include "engine/FileExtractor.h"
#include "engine/HeldValues.h"
#include "engine/Searches.h"
#include "TempFiles.h"
#include "textio/FileBytes.h"
#include "textio/FileError.h"

#include <gtest/gtest.h>

using namespace tagmill;
using namespace tagmill::test;

namespace {

struct Collected : FileSink {
    QStringList found;
    QStringList failures;
    bool proceed() override { return true; }
    void values(ValueBatch&& b) override {
        for (std::size_t i = 0; i < b.count(); ++i)
            found.append(QString::fromUtf8(b.value(i).data(), qsizetype(b.value(i).size())));
    }
    void failure(const QString& description) override { failures.append(description); }
};

QStringList extractFile(ExtractionOption option, const QString& path, const QStringList& tags,
                        std::size_t pieceSize = FileExtractor::DefaultPieceSize) {
    Collected sink;
    FileStream file(path);
    FileExtractor(option, tags, pieceSize).extract(file, sink);
    return sink.found;
}

using Held = std::vector<std::pair<HeldValues::Kind, std::string>>;

Held drained(HeldValues& held, std::size_t stream) {
    Held out;
    held.drain(
        stream,
        [&](HeldValues::Kind kind, std::string_view bytes) {
            out.emplace_back(kind, std::string(bytes));
        },
        [&](ValueBatch& values) {
            for (std::size_t i = 0; i < values.count(); ++i)
                out.emplace_back(HeldValues::Kind::Value, std::string(values.value(i)));
        });
    return out;
}

} // namespace

TEST(HeldValues, KeepEachStreamInOrderWhenTheyMoveToTheTemporaryFile) {
    // A budget of a few records sends most of them to the temporary file, in several pieces.
    HeldValues held(3, 64);
    Held expected[3];
    for (int i = 0; i < 200; ++i) {
        const std::size_t stream = std::size_t(i % 3);
        const auto kind = i % 7 == 0   ? HeldValues::Kind::Failure
                          : i % 5 == 0 ? HeldValues::Kind::Undecided
                                       : HeldValues::Kind::Value;
        const std::string bytes =
            i % 11 == 0 ? std::string() : std::string(std::size_t(i), 'a' + i % 26);
        held.add(stream, kind, bytes);
        expected[stream].emplace_back(kind, bytes);
    }
    for (std::size_t stream : {2, 0, 1}) {
        EXPECT_FALSE(held.empty(stream));
        EXPECT_EQ(drained(held, stream), expected[stream]) << "stream " << stream;
        EXPECT_TRUE(held.empty(stream));
    }
}

// Plain values in memory go on as one batch, uncopied; a stream with anything else among its
// values, or with more values than a batch, goes record by record, in order. The memory is
// used again after each drain and clear.
TEST(HeldValues, HandPlainValuesOnWholeAndTheRestRecordByRecord) {
    HeldValues held(3);
    const std::string large(HeldValues::LargestBatch / 2 + 1, 'L');
    for (int round = 0; round < 3; ++round) {
        held.add(0, HeldValues::Kind::Value, "a");
        held.add(0, HeldValues::Kind::Value, "");
        held.add(1, HeldValues::Kind::Value, "b");
        held.add(1, HeldValues::Kind::Failure, "failed");
        held.add(1, HeldValues::Kind::Undecided, "c");
        held.add(2, HeldValues::Kind::Value, large);
        held.add(2, HeldValues::Kind::Value, large);
        int whole = 0;
        Held visited;
        const auto visit = [&](HeldValues::Kind kind, std::string_view bytes) {
            visited.emplace_back(kind, std::string(bytes));
        };
        held.drain(0, visit, [&](ValueBatch& values) {
            ++whole;
            EXPECT_EQ(values.count(), 2u);
            EXPECT_EQ(values.value(0), "a");
            EXPECT_EQ(values.value(1), "");
        });
        EXPECT_EQ(whole, 1) << "round " << round;
        EXPECT_TRUE(visited.empty());
        const auto noBatch = [&](ValueBatch&) { ADD_FAILURE() << "a batch in round " << round; };
        held.drain(1, visit, noBatch);
        held.drain(2, visit, noBatch);
        EXPECT_EQ(visited, (Held{{HeldValues::Kind::Value, "b"},
                                 {HeldValues::Kind::Failure, "failed"},
                                 {HeldValues::Kind::Undecided, "c"},
                                 {HeldValues::Kind::Value, large},
                                 {HeldValues::Kind::Value, large}}));
        held.clear();
    }
}

// Undecided values go on with the plain ones in one batch once it is known that they stand as
// they are; otherwise each goes to be decoded.
TEST(HeldValues, HandUndecidedValuesOnWholeOnlyWhenTheyStandAsTheyAre) {
    for (const bool asTheyStand : {true, false}) {
        HeldValues held(1);
        held.add(0, HeldValues::Kind::Value, "a");
        held.add(0, HeldValues::Kind::Undecided, "\xE9");
        held.add(0, HeldValues::Kind::Value, "b");
        Held visited;
        Held whole;
        held.drain(
            0,
            [&](HeldValues::Kind kind, std::string_view bytes) {
                visited.emplace_back(kind, std::string(bytes));
            },
            [&](ValueBatch& values) {
                for (std::size_t i = 0; i < values.count(); ++i)
                    whole.emplace_back(HeldValues::Kind::Value, std::string(values.value(i)));
            },
            asTheyStand);
        const Held asValues{{HeldValues::Kind::Value, "a"},
                            {HeldValues::Kind::Value, "\xE9"},
                            {HeldValues::Kind::Value, "b"}};
        const Held asRecords{{HeldValues::Kind::Value, "a"},
                             {HeldValues::Kind::Undecided, "\xE9"},
                             {HeldValues::Kind::Value, "b"}};
        EXPECT_EQ(whole, asTheyStand ? asValues : Held());
        EXPECT_EQ(visited, asTheyStand ? Held() : asRecords);
    }
}

class Streaming : public TempFiles {};

TEST_F(Streaming, LaterTagsComeAfterTheFirstWhateverTheirPlace) {
    const QString path = write("order.xml", "<b>1</b><a>2</a><b>3</b><a>4</a>\n<b>5</b>");
    for (std::size_t pieceSize : {1, 4, 1024}) {
        EXPECT_EQ(extractFile(ExtractionOption::ValueOnly, path, {"a", "b"}, pieceSize),
                  (QStringList{"2", "4", "1", "3", "5"}));
        EXPECT_EQ(extractFile(ExtractionOption::WholeLine, path, {"b", "a"}, pieceSize),
                  (QStringList{"<b>1</b><a>2</a><b>3</b><a>4</a>", "<b>5</b>",
                               "<b>1</b><a>2</a><b>3</b><a>4</a>"}));
    }
}

// Without a mark, "é" is UTF-8 only if the whole file is; a byte that is no UTF-8 at its very
// end makes every value Windows-1252, also those found long before it, and a last line found
// only once the file has ended.
TEST_F(Streaming, MarklessValuesWaitForTheEncodingOfTheWholeFile) {
    const QByteArray body = "<v>caf\xC3\xA9</v><v>plain</v>" + QByteArray(5000, ' ');
    const QString utf8 = write("utf8.xml", body);
    const QString legacy = write("legacy.xml", body + "\xE9");
    for (std::size_t pieceSize : {3, 64, 1 << 20}) {
        EXPECT_EQ(extractFile(ExtractionOption::ValueOnly, utf8, {"v"}, pieceSize),
                  (QStringList{QString::fromUtf8("caf\xC3\xA9"), "plain"}));
        EXPECT_EQ(extractFile(ExtractionOption::ValueOnly, legacy, {"v"}, pieceSize),
                  (QStringList{QString::fromUtf8("caf\xC3\x83\xC2\xA9"), "plain"}));
        EXPECT_EQ(extractFile(ExtractionOption::WholeLine, legacy, {"v"}, pieceSize),
                  QStringList{QString::fromUtf8("<v>caf\xC3\x83\xC2\xA9</v><v>plain</v>") +
                              QString(5000, ' ') + QString::fromUtf8("\xC3\xA9")});
    }
}

// A line is not kept while it holds no pattern, however long it grows; when one follows, the
// line is read again from the file.
TEST_F(Streaming, ALongLineHoldingNoPatternIsReadAgainWhenOneFollows) {
    const QByteArray longStart(20 * 1024 * 1024, 'x');
    const QString path = write("long.xml", "\xEF\xBB\xBFhead\n" + longStart + "<td>v</td>\r\n" +
                                               longStart + "\nlast <td>");
    const QStringList lines = extractFile(ExtractionOption::WholeLine, path, {"td"});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::fromLatin1(longStart + "<td>v</td>"));
    EXPECT_EQ(lines[1], "last <td>");
}

namespace {

// Reading again finds the file cut short.
struct CutShortOnRereading : detail::FileCalls {
    ssize_t pread(int, void*, std::size_t, off_t) override { return 0; }
};

} // namespace

TEST_F(Streaming, AFileCutShortBeforeItIsReadAgainIsReported) {
    const QString path = write("cut.xml", QByteArray(17 * 1024 * 1024, 'x') + "<td>\n");
    CutShortOnRereading calls;
    detail::setFileCalls(&calls);
    try {
        extractFile(ExtractionOption::WholeLine, path, {"td"});
        ADD_FAILURE() << "no failure";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "The file changed while it was read");
    }
    detail::setFileCalls(nullptr);
}

// Stretches without a "<" are passed over several vectors at a time: an element must be found
// wherever it starts within or after such a stretch, for one tag and for several, and a "<"
// that begins no tag must not hide one that follows.
TEST_F(Streaming, ElementsAreFoundWhereverTheyStandInTextWithoutMarkup) {
    const QByteArray element = "<Price a=\"1\">v</PRICE>";
    const QList<QStringList> tagLists{{"price"}, {"name", "price"}, {"a", "b", "price"}};
    for (const QStringList& tags : tagLists) {
        for (int at = 0; at < 300; ++at) {
            const QByteArray filler(at, at % 2 ? ' ' : '\0');
            const QByteArray bytes = filler + element + QByteArray(300 - at, '\0') + "<p>" +
                                     QByteArray(130, ' ') + "<prize>" + filler + element;
            const QString path = write("sparse.xml", bytes);
            ASSERT_EQ(extractFile(ExtractionOption::ValueOnly, path, tags), (QStringList{"v", "v"}))
                << tags.join(',').toStdString() << ", element at " << at;
        }
    }
}

namespace {

// Option 2 looks for the opening tag's ">" and, back from the closing tag, for the last "</"
// and the ">" before it; short stretches are looked over byte by byte and long ones by the
// library. Every place of each mark, in stretches on both sides of the switch, must give what
// plain searches of the same text give.
TEST(ValueOnly, FindsTheMarksWhereverTheyStandInShortAndLongStretches) {
    for (int length = 0; length <= 100; ++length) {
        for (int at = 0; at < length; ++at) {
            // Something before the element, so that the search for its ">" starts on the way.
            const std::string before(std::size_t(at % 5), ' ');
            std::vector<std::string> texts{before + "<t a=\"" + std::string(std::size_t(at), 'x') +
                                           "\">" + std::string(std::size_t(length), 'v') + "</t>"};
            for (const char* mark : {">", "<", "</", "<i>w</i>"}) {
                std::string content(std::size_t(length), 'v');
                content.replace(std::size_t(at), 1, mark);
                texts.push_back(before + "<t>" + content + "</t>");
            }
            for (const std::string& text : texts) {
                const std::size_t start = text.find('>') + 1;
                const std::string_view raw =
                    std::string_view(text).substr(start, text.rfind("</t>") - start);
                const std::size_t innerEnd = raw.rfind("</");
                const bool hasInnerEnd = innerEnd != std::string_view::npos && innerEnd > 0;
                const std::size_t end = hasInnerEnd ? innerEnd : raw.size();
                const std::size_t gt = raw.substr(0, hasInnerEnd ? end + 1 : raw.size()).rfind('>');
                const std::size_t from = gt == std::string_view::npos ? 0 : gt + 1;
                const QString expected =
                    QString::fromStdString(std::string(raw.substr(from, end - from)));
                Collected sink;
                FileExtractor(ExtractionOption::ValueOnly, {"t"})
                    .extract(QByteArrayView(text.data(), qsizetype(text.size())), sink);
                ASSERT_EQ(sink.found, QStringList{expected}) << text;
            }
        }
    }
}

// Looking back over a short stretch reads the bytes before it in whole vectors; what it finds
// must lie in the stretch, wherever the stretch begins and ends, far from a mark or near one.
TEST(Searches, LastBetweenFindsOnlyWhatLiesInItsStretch) {
    std::string text(130, 'v');
    for (std::size_t at : {3, 20, 21, 90})
        text[at] = '>';
    constexpr auto npos = std::string_view::npos;
    for (std::size_t begin = 0; begin <= text.size(); ++begin) {
        for (std::size_t end = begin; end <= text.size(); ++end) {
            const std::size_t last = std::string_view(text).substr(0, end).rfind('>');
            const std::size_t expected = last != npos && last >= begin ? last : npos;
            ASSERT_EQ(detail::lastBetween(std::string_view(text), begin, end, '>'), expected)
                << "from " << begin << " to " << end;
        }
    }
}

} // namespace
