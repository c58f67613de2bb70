// Every way a file's bytes become text must give the same text: decodeText, the two readers,
// the byte and UTF-16 searches of FileExtractor and ExtractValues over the readers' units. The
// cases are the edges of decoding, written byte by byte, with the text a person reads in them.

#include "engine/ExtractValues.h"
#include "engine/FileExtractor.h"
#include "engine/Oracle.h"
#include "engine/RandomCorpus.h"
#include "textio/FileReaders.h"
#include "textio/ReferenceDecoder.h"
#include "textio/TextEncoding.h"

#include <QRandomGenerator>

#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;
using namespace tagmill::test;

namespace {

// Not QString::fromUtf16, which takes a U+FEFF at the start for a byte-order mark and drops it.
QString qstring(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

// Bytes written in hexadecimal; spaces only group them.
QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

// ASCII text in units of `size` bytes, little- or big-endian.
QByteArray ascii(const char* text, int size, bool bigEndian) {
    QByteArray bytes;
    for (const char* p = text; *p != 0; ++p) {
        QByteArray unit(size, '\0');
        unit[bigEndian ? size - 1 : 0] = *p;
        bytes += unit;
    }
    return bytes;
}

QByteArray le16(const char* text) {
    return ascii(text, 2, false);
}
QByteArray be16(const char* text) {
    return ascii(text, 2, true);
}
QByteArray le32(const char* text) {
    return ascii(text, 4, false);
}
QByteArray be32(const char* text) {
    return ascii(text, 4, true);
}

const QByteArray Utf8Mark = hex("EF BB BF");
const QByteArray Le16Mark = hex("FF FE");
const QByteArray Be16Mark = hex("FE FF");
const QByteArray Le32Mark = hex("FF FE 00 00");
const QByteArray Be32Mark = hex("00 00 FE FF");

struct Case {
    const char* name;
    QByteArray file;
    std::u16string_view text;
};

const Case Cases[] = {
    // UTF-32 units that are no code point: one U+FFFD each.
    {"UTF-32 LE above U+10FFFF", Le32Mark + le32("<v>") + hex("00 00 11 00") + le32("</v>"),
     u"<v>\uFFFD</v>"},
    {"UTF-32 BE above U+10FFFF", Be32Mark + be32("<v>") + hex("00 11 00 00") + be32("</v>"),
     u"<v>\uFFFD</v>"},
    {"UTF-32 LE FFFFFFFF", Le32Mark + le32("\"") + hex("FF FF FF FF") + le32("\""), u"\"\uFFFD\""},
    {"UTF-32 LE U+10FFFF stays", Le32Mark + le32("<v>") + hex("FF FF 10 00") + le32("</v>"),
     u"<v>\U0010FFFF</v>"},
    {"UTF-32 LE surrogate D800", Le32Mark + le32("<v>") + hex("00 D8 00 00") + le32("</v>"),
     u"<v>\uFFFD</v>"},
    {"UTF-32 BE surrogate DFFF", Be32Mark + be32("<v>") + hex("00 00 DF FF") + be32("</v>"),
     u"<v>\uFFFD</v>"},
    {"UTF-32 LE two surrogate units are no pair",
     Le32Mark + le32("<v>") + hex("3D D8 00 00  00 DE 00 00") + le32("</v>"),
     u"<v>\uFFFD\uFFFD</v>"},
    {"UTF-32 BE two surrogate units are no pair",
     Be32Mark + be32("<v>") + hex("00 00 D8 01  00 00 DC 00") + be32("</v>"),
     u"<v>\uFFFD\uFFFD</v>"},
    // A cut last unit: one U+FFFD.
    {"UTF-32 LE one byte over", Le32Mark + le32("<v>x</v>") + hex("41"), u"<v>x</v>\uFFFD"},
    {"UTF-32 LE two bytes over", Le32Mark + le32("<v>x</v>") + hex("41 00"), u"<v>x</v>\uFFFD"},
    {"UTF-32 BE three bytes over", Be32Mark + be32("<v>x</v>") + hex("00 00 00"),
     u"<v>x</v>\uFFFD"},
    {"UTF-32 LE mark and one byte", Le32Mark + hex("3C"), u"\uFFFD"},
    {"UTF-16 LE one byte over", Le16Mark + le16("<v>x</v>") + hex("41"), u"<v>x</v>\uFFFD"},
    {"UTF-16 BE one byte over", Be16Mark + be16("<v>x</v>") + hex("00"), u"<v>x</v>\uFFFD"},
    {"UTF-16 LE high surrogate then one byte over", Le16Mark + le16("<v>x</v>") + hex("3D D8 41"),
     u"<v>x</v>\uFFFD\uFFFD"},
    // Lone surrogates in UTF-16.
    {"UTF-16 LE lone high", Le16Mark + le16("<v>") + hex("3D D8") + le16("</v>"), u"<v>\uFFFD</v>"},
    {"UTF-16 LE lone low", Le16Mark + le16("\"") + hex("00 DE") + le16("\""), u"\"\uFFFD\""},
    {"UTF-16 BE lone high at the end", Be16Mark + be16("<v>") + hex("D8 3D"), u"<v>\uFFFD"},
    {"UTF-16 BE low before high", Be16Mark + be16("<v>") + hex("DE 00 D8 3D") + be16("</v>"),
     u"<v>\uFFFD\uFFFD</v>"},
    {"UTF-16 LE pair stays", Le16Mark + le16("<v>") + hex("3D D8 00 DE") + le16("</v>"),
     u"<v>\U0001F600</v>"},
    // High surrogates from DB00 on, the last of them split from their low ones in small pieces.
    {"UTF-16 LE pair with high DBFF stays",
     Le16Mark + le16("<v>") + hex("FF DB FD DF") + le16("</v>"), u"<v>\U0010FFFD</v>"},
    {"UTF-16 BE pair with high DB40 stays", Be16Mark + be16("\"") + hex("DB 40 DC 61") + be16("\""),
     u"\"\U000E0061\""},
    // A second U+FEFF after the mark is text.
    {"UTF-8 second mark", Utf8Mark + hex("EF BB BF") + "<v>x</v>", u"\uFEFF<v>x</v>"},
    {"UTF-8 second mark, malformed later", Utf8Mark + hex("EF BB BF") + "<v>" + hex("FF") + "</v>",
     u"\uFEFF<v>\uFFFD</v>"},
    {"UTF-8 U+FEFF starting a malformed value", Utf8Mark + "<v>" + hex("EF BB BF FF") + "</v>",
     u"<v>\uFEFF\uFFFD</v>"},
    {"UTF-8 third mark", Utf8Mark + hex("EF BB BF EF BB BF") + "\"a\"", u"\uFEFF\uFEFF\"a\""},
    {"UTF-16 LE second mark", Le16Mark + hex("FF FE") + le16("<v>x</v>"), u"\uFEFF<v>x</v>"},
    {"UTF-16 BE second mark", Be16Mark + hex("FE FF") + be16("<v>x</v>"), u"\uFEFF<v>x</v>"},
    {"UTF-32 LE second mark", Le32Mark + hex("FF FE 00 00") + le32("<v>x</v>"), u"\uFEFF<v>x</v>"},
    {"UTF-32 BE second mark", Be32Mark + hex("00 00 FE FF") + be32("<v>x</v>"), u"\uFEFF<v>x</v>"},
    {"UTF-16 LE two marks only", Le16Mark + hex("FF FE"), u"\uFEFF"},
    {"no mark, U+FEFF later", "<v>x</v>" + hex("EF BB BF"), u"<v>x</v>\uFEFF"},
    // A mark alone is no text.
    {"UTF-8 mark only", Utf8Mark, u""},
    {"UTF-16 LE mark only", Le16Mark, u""},
    {"UTF-16 BE mark only", Be16Mark, u""},
    {"UTF-32 LE mark only", Le32Mark, u""},
    {"UTF-32 BE mark only", Be32Mark, u""},
    // Malformed UTF-8 after a mark: one U+FFFD a byte.
    {"UTF-8 cut sequence", Utf8Mark + "<v>" + hex("E2 82") + "</v>", u"<v>\uFFFD\uFFFD</v>"},
    {"UTF-8 encoded surrogate", Utf8Mark + "<v>" + hex("ED A0 80") + "</v>",
     u"<v>\uFFFD\uFFFD\uFFFD</v>"},
    {"UTF-8 above U+10FFFF", Utf8Mark + "<v>" + hex("F4 90 80 80") + "</v>",
     u"<v>\uFFFD\uFFFD\uFFFD\uFFFD</v>"},
    // Without a mark, malformed UTF-8 makes the whole file Windows-1252.
    {"Windows-1252 unassigned bytes", "<v>" + hex("81 8D 8F 90 9D") + "</v>",
     u"<v>\u0081\u008D\u008F\u0090\u009D</v>"},
    {"Windows-1252 0x80 to 0x9F edges", "\"" + hex("80 9F 8C") + "\" " + hex("E9 EF BB BF"),
     u"\"\u20AC\u0178\u0152\" \u00E9\u00EF\u00BB\u00BF"},
};

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

const ExtractionOption Options[] = {ExtractionOption::TagAndValue, ExtractionOption::ValueOnly,
                                    ExtractionOption::WholeLine, ExtractionOption::Quoted};

QStringList viaReaders(ExtractionOption option, const QString& path, const QStringList& tags) {
    const QStringList units =
        option == ExtractionOption::WholeLine ? LoadFileLines(path) : LoadFileBlocks(path);
    QStringList values;
    ExtractValues(
        option, units, tags, [&](const QString& v) { values.append(v); }, [] {},
        [](const QString&) {});
    return values;
}

// The values, the same whatever the size of the pieces the file is read in.
QStringList viaFileExtractor(ExtractionOption option, const QByteArray& file,
                             const QStringList& tags) {
    Collected whole;
    FileExtractor(option, tags).extract(file, whole);
    for (std::size_t pieceSize : {1, 2, 3, 5}) {
        Collected pieces;
        FileExtractor(option, tags, pieceSize).extract(file, pieces);
        EXPECT_EQ(pieces.found, whole.found) << "pieces of " << pieceSize << " bytes";
    }
    return whole.found;
}

class DecodingPaths : public TempFiles {
protected:
    QString write(const QByteArray& bytes) {
        return TempFiles::write(QString("f%1").arg(m_count++), bytes);
    }
    int m_count = 0;
};

TEST_F(DecodingPaths, ReferenceReadsTheHandWrittenBytes) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(referenceDecode(c.file), qstring(c.text));
    }
}

TEST_F(DecodingPaths, DecodeTextAndTheReaders) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        const QString text = qstring(c.text);
        const TextEncoding encoding = encodingFromMark(c.file, c.file.size());
        EXPECT_EQ(decodeText(QByteArrayView(c.file).sliced(markLength(encoding)), encoding), text);
        const QString path = write(c.file);
        // None of the texts holds a line break: one line, and one block.
        EXPECT_EQ(LoadFileLines(path), QStringList{text});
        EXPECT_EQ(LoadFileBlocks(path), QStringList{text});
    }
}

TEST_F(DecodingPaths, ExtractionGivesTheValuesOfTheText) {
    for (const Case& c : Cases) {
        const QString text = qstring(c.text);
        const QString path = write(c.file);
        for (const QStringList& tags : {QStringList{"v"}, QStringList{"V", ""}}) {
            for (ExtractionOption option : Options) {
                SCOPED_TRACE(QString("%1, option %2, tag %3")
                                 .arg(c.name)
                                 .arg(int(option))
                                 .arg(tags[0])
                                 .toStdString());
                const QStringList expected = oracleExtract(option, text, tags).values;
                EXPECT_EQ(viaFileExtractor(option, c.file, tags), expected);
                EXPECT_EQ(viaReaders(option, path, tags), expected);
            }
        }
    }
}

// The program's decoding equals the reference on bytes made of the values that matter most:
// marks, surrogates, UTF-8 leads and Windows-1252's upper half.
TEST(Decoding, AgreesWithTheReferenceOnRandomBytes) {
    QRandomGenerator random(11);
    const char alphabet[] = {'a',    '<',    '\x00', '\x10', '\x11', '\x80', '\x81', '\x9D',
                             '\xA0', '\xBB', '\xBF', '\xC3', '\xD8', '\xDC', '\xDF', '\xE2',
                             '\xED', '\xEF', '\xF0', '\xF4', '\xFE', '\xFF'};
    const QByteArray marks[] = {{}, Utf8Mark, Le16Mark, Be16Mark, Le32Mark, Be32Mark};
    for (int round = 0; round < 20000; ++round) {
        for (const QByteArray& mark : marks) {
            QByteArray file = mark;
            for (int i = 0, n = int(random.bounded(24)); i < n; ++i)
                file += alphabet[random.bounded(int(sizeof alphabet))];
            const TextEncoding encoding = encodingFromMark(file, file.size());
            ASSERT_EQ(decodeText(QByteArrayView(file).sliced(markLength(encoding)), encoding),
                      referenceDecode(file))
                << file.toHex(' ').constData();
        }
    }
}

// Tags and texts whose letters stand in the other case: the whole ASCII alphabet, and letters
// beyond U+FFFF, which are surrogate pairs in UTF-16.
struct FoldCase {
    const char* name;
    std::u16string_view tag;
    std::u16string_view text;
    QStringList option1;
};

const FoldCase FoldCases[] = {
    {"small tag finds every capital letter",
     u"abcdefghijklmnopqrstuvwxyz",
     u"<ABCDEFGHIJKLMNOPQRSTUVWXYZ>g</abcdefghijklmnopqrstuvwxyz>",
     {qstring(u"<ABCDEFGHIJKLMNOPQRSTUVWXYZ>g</abcdefghijklmnopqrstuvwxyz>")}},
    {"capital non-ASCII tag finds every small letter",
     u"\u00c9ABCDEFGHIJKLMNOPQRSTUVWXYZ",
     u"<\u00e9abcdefghijklmnopqrstuvwxyz>h</\u00c9abcdefghijklmnopqrstuvwxyz>",
     {qstring(u"<\u00e9abcdefghijklmnopqrstuvwxyz>h</\u00c9abcdefghijklmnopqrstuvwxyz>")}},
    {"capital tag finds small letter",
     u"\U00010400",
     u"<\U00010428>a</\U00010428>",
     {qstring(u"<\U00010428>a</\U00010428>")}},
    {"small tag finds capital letter",
     u"\U00010428",
     u"<\U00010400>b</\U00010400>",
     {qstring(u"<\U00010400>b</\U00010400>")}},
    {"mixed case pairs",
     u"x\U00010400y",
     u"<X\U00010428Y>c</x\U00010400y>",
     {qstring(u"<X\U00010428Y>c</x\U00010400y>")}},
    {"another letter is no match", u"\U00010400", u"<\U00010429>d</\U00010429>", {}},
    {"Adlam",
     u"\U0001E900",
     u"<\U0001E922>e</\U0001E900>",
     {qstring(u"<\U0001E922>e</\U0001E900>")}},
    {"Osage small tag",
     u"\U000104D8",
     u"<\U000104B0>f</\U000104D8>",
     {qstring(u"<\U000104B0>f</\U000104D8>")}},
};

TEST_F(DecodingPaths, LettersMatchTheirOtherCase) {
    const FileForm forms[] = {FileForm::Utf8,    FileForm::Utf8Mark, FileForm::Utf16LE,
                              FileForm::Utf16BE, FileForm::Utf32LE,  FileForm::Utf32BE};
    for (const FoldCase& c : FoldCases) {
        const QStringList tags{qstring(c.tag)};
        const QString text = qstring(c.text);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(oracleExtract(ExtractionOption::TagAndValue, text, tags).values, c.option1);
        const QStringList lines = c.option1.isEmpty() ? QStringList{} : QStringList{text};
        EXPECT_EQ(oracleExtract(ExtractionOption::WholeLine, text, tags).values, lines);
        for (FileForm form : forms) {
            SCOPED_TRACE(int(form));
            const QByteArray file = *encodeAs(text, form);
            const QString path = write(file);
            EXPECT_EQ(viaFileExtractor(ExtractionOption::TagAndValue, file, tags), c.option1);
            EXPECT_EQ(viaReaders(ExtractionOption::TagAndValue, path, tags), c.option1);
            EXPECT_EQ(viaFileExtractor(ExtractionOption::WholeLine, file, tags), lines);
            EXPECT_EQ(viaReaders(ExtractionOption::WholeLine, path, tags), lines);
        }
    }
}

} // namespace
