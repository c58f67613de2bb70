// The piece-by-piece searches and the reader-based ExtractValues must give exactly what the
// literal rules give, whatever the encoding, line ends, case and file size.

#include "engine/ExtractValues.h"
#include "engine/FileExtractor.h"
#include "engine/Oracle.h"
#include "engine/RandomCorpus.h"
#include "textio/FileReaders.h"
#include "textio/ReferenceDecoder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tagmill;
using namespace tagmill::test;

namespace {

struct Collected : FileSink {
    QStringList found;
    int failures = 0;
    bool proceed() override { return true; }
    void values(ValueBatch&& b) override {
        for (std::size_t i = 0; i < b.count(); ++i)
            found.append(
                referenceUtf8(QByteArray(b.value(i).data(), qsizetype(b.value(i).size()))));
    }
    void failure(const QString&) override { ++failures; }
};

// A few tags are compared pattern by pattern, sixteen bytes at a time where their patterns fit:
// "description-x" fills those bytes, and "Description-Long" does not fit. The last set has
// more tags than are compared one by one, so the tree of patterns is walked.
const QList<QStringList> TagSets{{"td"},
                                 {"a", "td"},
                                 {"préis"},
                                 {""},
                                 {"<td>"},
                                 {"td "},
                                 {"item", "TD"},
                                 {"ß", "x"},
                                 {"td2", "a"},
                                 {"description-x", "td"},
                                 {"Description-Long", "td"},
                                 {"a", "td", "TR", "item", "b", "td2"}};

// Files are read piece by piece; a value, pattern or character split between two pieces must
// come out as from the whole file.
// Tiny pieces only for small files, or the large ones would take minutes.
const std::size_t PieceSizes[] = {1, 2, 3, 7, 64, 4099, FileExtractor::DefaultPieceSize};
constexpr qsizetype TinyPiecesUpTo = 2048;

const ExtractionOption Options[] = {ExtractionOption::TagAndValue, ExtractionOption::ValueOnly,
                                    ExtractionOption::WholeLine, ExtractionOption::Quoted};

QString describe(const QString& text, FileForm form, ExtractionOption option,
                 const QStringList& tags) {
    return QString("form %1, option %2, tags [%3], text %4")
        .arg(int(form))
        .arg(int(option))
        .arg(tags.join('|'))
        .arg(text.left(300));
}

void checkFile(const QString& text, FileForm form, const QString& path,
               const QList<QStringList>& tagSets = TagSets) {
    const auto bytes = encodeAs(text, form);
    if (!bytes)
        return;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(*bytes);
    file.close();
    // The text as the reference decodes the bytes, never the program's own decoder: Windows-1252
    // bytes that happen to be valid UTF-8 are read as UTF-8, so the oracle works on the decoded
    // text, not on the generated one.
    const QString decoded = referenceDecode(*bytes);

    for (const QStringList& tags : tagSets) {
        for (ExtractionOption option : Options) {
            const OracleResult expected = oracleExtract(option, decoded, tags);
            SCOPED_TRACE(describe(text, form, option, tags).toStdString());

            for (std::size_t pieceSize : PieceSizes) {
                if (pieceSize < 64 && bytes->size() > TinyPiecesUpTo)
                    continue;
                SCOPED_TRACE(pieceSize);
                Collected fast;
                FileExtractor(option, tags, pieceSize).extract(*bytes, fast);
                ASSERT_EQ(fast.found, expected.values);
                ASSERT_EQ(fast.failures, expected.failures);
            }

            QStringList viaReaders;
            int readerFailures = 0;
            const QStringList units =
                option == ExtractionOption::WholeLine ? LoadFileLines(path) : LoadFileBlocks(path);
            ExtractValues(
                option, units, tags, [&](const QString& v) { viaReaders.append(v); }, [] {},
                [&](const QString&) { ++readerFailures; });
            ASSERT_EQ(viaReaders, expected.values);
            ASSERT_EQ(readerFailures, expected.failures);
        }
    }
}

// A worker keeps its extractor, and what it has learned of the names it met, from one file to
// the next: nothing of one file may change what the next gives. The first files end 16 bytes
// after a "<" in the middle of a long tag's pattern, which must not count as a name that
// matches nothing once more follows it.
TEST(Agreement, OneExtractorGoesThroughFileAfterFile) {
    const QStringList longTagAmongMany{"a", "td", "TR", "item", "b", "description long"};
    QStringList texts{"<a>1</a><description lon", "<description long>2</description long>",
                      "x</description long", "<description long>3</description long>0123456789"};
    QRandomGenerator random(44);
    for (int i = 0; i < 60; ++i)
        texts.append(randomMarkup(random, int(random.bounded(0, 40))) + texts[i % 4]);
    QList<QStringList> tagSets = TagSets;
    tagSets.append(longTagAmongMany);
    for (const QStringList& tags : tagSets) {
        for (ExtractionOption option : Options) {
            FileExtractor extractor(option, tags);
            for (const QString& text : texts) {
                SCOPED_TRACE(describe(text, FileForm::Utf8, option, tags).toStdString());
                Collected fast;
                extractor.extract(text.toUtf8(), fast);
                ASSERT_EQ(fast.found, oracleExtract(option, text, tags).values);
            }
        }
    }
}

TEST(Agreement, RandomSmallFilesInEveryEncoding) {
    QRandomGenerator random(20261210);
    QTemporaryDir dir;
    for (int round = 0; round < 150; ++round) {
        const QString text = randomMarkup(random, int(random.bounded(0, 60)));
        for (FileForm form : AllFileForms)
            checkFile(text, form, dir.filePath("f.xml"));
    }
}

// Letters beyond U+FFFF are surrogate pairs in UTF-16; case folds them as whole characters.
TEST(Agreement, RandomFilesWithLettersBeyondTheBmp) {
    const QStringList pieces{"<",
                             ">",
                             "</",
                             "\"",
                             "\n",
                             "x",
                             "\U00010400",
                             "\U00010428",
                             "\U00010401",
                             "<\U00010400>",
                             "</\U00010428>",
                             "<\U0001E922",
                             "</\U0001E900>",
                             "<a>",
                             "</A>"};
    const QList<QStringList> tagSets{
        {"\U00010400"}, {"\U00010428"}, {"\U0001E900", "a"}, {"x\U00010401"}};
    QRandomGenerator random(31);
    QTemporaryDir dir;
    for (int round = 0; round < 150; ++round) {
        const QString text = randomMarkup(random, int(random.bounded(0, 40)), pieces);
        for (FileForm form : AllFileForms)
            checkFile(text, form, dir.filePath("f.xml"), tagSets);
    }
}

TEST(Agreement, FilesLongerThanOneBlock) {
    QRandomGenerator random(7);
    QTemporaryDir dir;
    for (int round = 0; round < 3; ++round) {
        const QString text = randomMarkup(random, 40000);
        ASSERT_GT(text.size(), BlockSize);
        for (FileForm form : AllFileForms)
            checkFile(text, form, dir.filePath("big.xml"));
    }
}

} // namespace
