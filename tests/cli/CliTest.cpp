// tagmill-cli as its users see it: arguments in, exact bytes and exit status out.

#include "cli/JsonReference.h"
#include "cli/RandomTree.h"
#include "cli/ScanReference.h"
#include "engine/Oracle.h"
#include "engine/RandomCorpus.h"
#include "output/DelimitedText.h"
#include "textio/ReferenceDecoder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "CliRun.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;
using namespace tagmill::test;

namespace {

using Result = test::CliResult;
using test::runCli;

class Cli : public test::TempFiles {
protected:
    // Makes empty files, and folders for names ending in "/", below the temporary folder.
    void make(std::initializer_list<const char*> paths) {
        for (const char* path : paths) {
            if (QByteArray(path).endsWith('/'))
                ASSERT_TRUE(QDir(m_dir.path()).mkpath(path)) << path;
            else
                write(path, {});
        }
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
};

// What --files prints for these entries.
QByteArray lines(const QStringList& entries) {
    QByteArray out;
    for (const QString& entry : entries)
        out += entry.toUtf8() + '\n';
    return out;
}

const QByteArray UsageLine =
    "usage: tagmill-cli [--option N] (--tag TAG | --tags-from LIST)... [--with-filename] "
    "[--format jsonl|csv|report|comma|tab|xlsx] [--output FILE] [--files] [-0] [--ext EXT] "
    "[--progress | --no-progress] "
    "(--scan DIR | --files-from LIST | FILE)...\n"
    "       tagmill-cli --rows-from ROWS [--with-filename] [--format FORMAT] [--output FILE]\n";

TEST_F(Cli, RefusesBadArgumentsAndMissingInputs) {
    const QString file = write("a.xml", "<a>1</a>");
    struct Case {
        QStringList arguments;
        QByteArray err;
    };
    const Case cases[] = {
        {{"--option", "6", "--tag", "a", file}, UsageLine},
        {{"--option", "0", "--tag", "a", file}, UsageLine},
        {{"--bogus", "--tag", "a", file}, UsageLine},
        {{"--format", "xml", "--tag", "a", file}, UsageLine},
        {{"--format", "Report", "--tag", "a", file}, UsageLine},
        {{"--format=", "--tag", "a", file}, UsageLine},
        {{"--tag", "a", file, "--format"}, UsageLine},
        {{"--tag", "a", file, "--output"}, UsageLine},
        {{"--output=", "--tag", "a", file}, UsageLine},
        {{"--output", "", "--tag", "a", file}, UsageLine},
        {{"--files", "--output"}, UsageLine},
        {{file, "--tag"}, UsageLine},
        {{"--tag", "a", "--ext", "", "--scan", file}, UsageLine},
        {{"--tag", "a", "--ext=", file}, UsageLine},
        {{"--files=yes", file}, UsageLine},
        {{"--files", "--scan"}, UsageLine},
        {{"--files", "--files-from"}, UsageLine},
        {{"--tag", "a", "--tags-from"}, UsageLine},
        {{}, UsageLine},
        {{file}, "You forgot to input tag\n"},
        {{"--tag", "a"}, "No files added.\n"},
        {{"--option", "4", "--tag", "a"}, "No files added.\n"},
        {{"--tag", "a", "--scan", pathOf("absent")}, "No files added.\n"},
        {{"--tags-from", write("empty.txt", ""), file}, "You forgot to input tag\n"},
        {{"--format", "xlsx", "--tag", "a", file},
         "tagmill-cli: --format xlsx needs --output FILE\n"},
    };
    for (const Case& c : cases) {
        const Result r = runCli(c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

const QByteArray HelpText =
    UsageLine +
    "  --option N         1 whole element (default), 2 value, 3 whole line, 4 quoted, 5 none\n"
    "  --tag TAG          add TAG to the tag list\n"
    "  --tags-from LIST   add each line of the file LIST (- standard input) as a tag\n"
    "  --with-filename    give each row the entry of its file too\n"
    "  --format FORMAT    jsonl (default), csv, report, comma, tab, or xlsx (needs --output)\n"
    "  --output FILE      write to FILE, replaced once whole, instead of standard output\n"
    "  --files            print the file list and search nothing\n"
    "  --ext EXT          folder scans add only names ending in .EXT\n"
    "  --scan DIR         add every openable file below the folder DIR\n"
    "  --progress         show the progress line on standard error, even if not a terminal\n"
    "  --no-progress      never show the progress line\n"
    "  --files-from LIST  add each line of the file LIST (- standard input) as a file entry\n"
    "  -0, --null         lists are split at NUL bytes, and --files ends each entry with one\n"
    "  --rows-from ROWS   write the JSON lines rows of ROWS (- standard input), search nothing\n"
    "  FILE               add FILE as it is, - standard input; after -- every argument is a FILE\n"
    "  --help             print this help and exit\n"
    "  --version          print the version and exit\n";

// --help and --version answer on standard output, whatever else the line holds before "--", a
// slip or a whole run included; nothing is searched and no output file is made.
TEST_F(Cli, HelpAndVersionWinOverTheRestOfTheLine) {
    const QString file = write("a.xml", "<a>1</a>");
    const QString output = pathOf("out.txt");
    const QByteArray version = "tagmill-cli " TAGMILL_VERSION "\n";
    ASSERT_TRUE(QRegularExpression("^tagmill-cli \\d+\\.\\d+\\.\\d+\n$")
                    .match(QString::fromUtf8(version))
                    .hasMatch());
    struct Case {
        QStringList arguments;
        QByteArray out;
    };
    const Case cases[] = {
        {{"--help"}, HelpText},
        {{"--version"}, version},
        {{"--tag", "a", file, "--output", output, "--help"}, HelpText},
        {{"--option", "6", "--version"}, version},
        {{"--bogus", "--help"}, HelpText},
        {{"--tag", "--help"}, HelpText},
        {{"--version", "--help"}, version},
        {{"--help", "--version"}, HelpText},
        {{"--files", "--version", "--scan"}, version},
        {{"--help", "--", "--version"}, HelpText},
    };
    for (const Case& c : cases) {
        const Result r = runCli(c.arguments);
        EXPECT_EQ(r.status, 0) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << c.arguments.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(output));
}

// After "--" they are file names like any other, and "--help=x" is no option at all.
TEST_F(Cli, HelpAndVersionAfterTheEndOfOptionsAreFiles) {
    const Result files = runCli({"--files", "--", "--help", "--version"});
    EXPECT_EQ(files.status, 0);
    EXPECT_EQ(files.out, "--help\n--version\n");
    EXPECT_TRUE(files.err.isEmpty());
    const Result search = runCli({"--tag", "a", "--", "--help"});
    EXPECT_EQ(search.status, 1);
    EXPECT_TRUE(search.out.isEmpty());
    EXPECT_EQ(search.err, "tagmill-cli: --help: No such file or directory\n");
    const Result valued = runCli({"--help=x"});
    EXPECT_EQ(valued.status, 2);
    EXPECT_EQ(valued.err, UsageLine);
}

// An answer that could not be written is not an answer given.
TEST_F(Cli, HelpToAFullDeviceFails) {
    for (const char* option : {"--help", "--version"}) {
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(TAGMILL_CLI, {option});
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1) << option;
        EXPECT_EQ(process.readAllStandardError(),
                  "tagmill-cli: standard output: No space left on device\n")
            << option;
    }
}

TEST_F(Cli, JsonLinesEscapeExactly) {
    const QString file = write("q.xml", "<v>\"\\\r\n\t\b\f\x01\x1f caf\xC3\xA9 \x7f/</v><v></v>");
    const Result r = runCli({"--option", "2", "--tag", "V", file});
    EXPECT_EQ(r.status, 0);
    const QByteArray entry = file.toUtf8();
    EXPECT_EQ(r.out,
              "{\"file\":\"" + entry +
                  "\",\"value\":\"\\\"\\\\\\r\\n\\t\\b\\f\\u0001\\u001f caf\xC3\xA9 \x7f/\"}\n"
                  "{\"file\":\"" +
                  entry + "\",\"value\":\"\"}\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(Cli, CsvQuotesOnlyWhereNeeded) {
    const QString file =
        write("c,1.xml", "<v>plain</v><v>a,b</v><v>say \"hi\"</v><v>l1\r\nl2</v><v></v>");
    const QByteArray quotedEntry = "\"" + file.toUtf8() + "\"";
    const Result plain = runCli({"--format", "csv", "--option", "2", "--tag", "v", file});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out,
              "Results\r\nplain\r\n\"a,b\"\r\n\"say \"\"hi\"\"\"\r\n\"l1\r\nl2\"\r\n\r\n");
    const Result named = runCli({"--format=csv", "--with-filename", "--option=2", "--tag=v", file});
    EXPECT_EQ(named.out.left(named.out.indexOf("\r\n", 18) + 2),
              "Filename,Results\r\n" + quotedEntry + ",plain\r\n");
}

TEST_F(Cli, FailuresAreReportedPerFileAndTheRunGoesOn) {
    const QString good = write("good.xml", "<x>1</x>");
    const QString bad = write("bad.xml", "<x</x><x>2</x>");
    const QString missing = pathOf("missing.xml");
    const Result r =
        runCli({"--option", "2", "--tag", "x", "--format", "csv", missing, good, bad, good});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Results\r\n1\r\n2\r\n1\r\n");
    const QList<QByteArray> lines = r.err.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "tagmill-cli: " + missing.toUtf8() + ": No such file or directory");
    EXPECT_TRUE(lines[1].startsWith("tagmill-cli: " + bad.toUtf8() + ": "));
}

// Option 5 reads no file: the folder, which exists but fails at once when read, would show up on
// standard error and in the status.
TEST_F(Cli, OptionFiveAndEmptyFilesGiveNoRows) {
    const QString file = write("a.xml", "<a>1</a>");
    const QString empty = write("e.xml", "");
    make({"folder/", "folder/inside.xml"});
    const QString folder = pathOf("folder");
    Result r =
        runCli({"--option", "5", "--tag", "a", "--format", "csv", "--with-filename", file, folder});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Filename,Results\r\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    r = runCli({"--tag", "a", empty});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(Cli, EmptyTagAndDoubleDash) {
    const QString file = write("-dash.xml", "<a>1</a><b>x</>");
    const Result r = runCli({"--tag", "", "--format", "csv", "--", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Results\r\n<a>1</a><b>x</>\r\n");
}

// "-" is standard input (searched in StandardInputTest); the file of that name in the working
// folder is "./-". --files only names "-", without reading standard input.
TEST_F(Cli, TheFileNamedDashIsDotSlashDash) {
    make({"none/", "some/"});
    write("some/-", "<a>1</a>");
    const QStringList arguments{"--tag", "a", "--format", "csv", "./-"};
    Result r = runCli(arguments, {}, pathOf("none"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Results\r\n");
    EXPECT_EQ(r.err, "tagmill-cli: ./-: No such file or directory\n");
    r = runCli(arguments, {}, pathOf("some"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Results\r\n<a>1</a>\r\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    r = runCli({"--files", "-"}, {}, pathOf("none"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "-\n");
}

TEST_F(Cli, ScansAndFilesJoinTheListInCommandLineOrder) {
    make({"a.xml", "B.XML", "c.txt", "~t.xml", "noext", "x..xml", "sub/", "sub/d.Xml", "sub/e.json",
          ".h/", ".h/f.xml", "sub/deeper/", "sub/deeper/g.xml"});
    const QString r = m_dir.path();
    const QStringList everyFile{r + "/a.xml",     r + "/B.XML",      r + "/c.txt",
                                r + "/noext",     r + "/x..xml",     r + "/.h/f.xml",
                                r + "/sub/d.Xml", r + "/sub/e.json", r + "/sub/deeper/g.xml"};
    const QStringList xmlFiles{r + "/a.xml",    r + "/B.XML",     r + "/x..xml",
                               r + "/.h/f.xml", r + "/sub/d.Xml", r + "/sub/deeper/g.xml"};
    const QStringList sub{r + "/sub/d.Xml", r + "/sub/e.json", r + "/sub/deeper/g.xml"};
    struct Case {
        QStringList arguments;
        QStringList entries;
    };
    const Case cases[] = {
        {{"--files", "--scan", r}, everyFile},
        {{"--scan=" + r + "/", "--files"}, everyFile},
        {{"--files", "--ext", "xml", "--scan", r}, xmlFiles},
        {{"--files", "--scan", r, "--ext=XML"}, xmlFiles},
        {{"--ext", "txt", "--files", "--scan", r, "--ext", "xml"}, xmlFiles},
        {{"--files", "--ext", "*", "--scan", r}, everyFile},
        {{"--files", "--ext", ".xml", "--scan", r}, {r + "/x..xml"}},
        {{"--files", "--ext", " xml", "--scan", r}, {}},
        {{"--files", "--ext", "xml"}, {}},
        {{"--files", "one", "--scan", r + "/sub", "two", "--scan", r + "/sub", "--", "--scan", r},
         QStringList{"one"} + sub + QStringList{"two"} + sub + QStringList{"--scan", r}},
        {{"--files", "--scan", r + "/a.xml", "--scan", r + "/absent", "--scan", "", "x"}, {"x"}},
        {{"--files"}, {}},
    };
    for (const Case& c : cases) {
        const Result result = runCli(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, lines(c.entries));
        EXPECT_TRUE(result.err.isEmpty());
    }
}

TEST_F(Cli, ListFilesGiveEveryLineWhateverTheirEncodingAndLineEnds) {
    const QString text = QString::fromUtf8("/data/é.xml\r\n/data/日本.xml\n");
    const QStringList decoded{QString::fromUtf8("/data/é.xml"),
                              QString::fromUtf8("/data/日本.xml")};
    struct Case {
        QByteArray bytes;
        QStringList entries;
    };
    const Case cases[] = {
        {*encodeAs(text, test::FileForm::Utf8), decoded},
        {*encodeAs(text, test::FileForm::Utf8Mark), decoded},
        {*encodeAs(text, test::FileForm::Utf16LE), decoded},
        {*encodeAs(text, test::FileForm::Utf16BE), decoded},
        {"caf\xe9.xml\r\n\x93q\x94.xml", {QString::fromUtf8("café.xml"), "\u201cq\u201d.xml"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\r\rb\r", {"a", "", "b"}},
        {"a\r\nb\nc\rd\n\r\ne", {"a", "b", "c", "d", "", "e"}},
        {"\n\n x \n", {"", "", " x "}},
        {"last", {"last"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const QString list = write("list.txt", c.bytes);
        const Result result = runCli({"--files", "first", "--files-from", list, "last"});
        SCOPED_TRACE(c.bytes.toPercentEncoding().toStdString());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, lines(QStringList{"first"} + c.entries + QStringList{"last"}));
        EXPECT_TRUE(result.err.isEmpty());
    }
}

TEST_F(Cli, TagListsJoinTheTagsInCommandLineOrder) {
    const QString file = write("t.xml", "<a>1</a><b>2</b><c>3</c><d>4</d><e>5</e>");
    const QString bd = write("bd.txt", *encodeAs("b\r\nd\r\n", test::FileForm::Utf16LE));
    const QString e = write("e.txt", "e");
    const Result r = runCli({"--option", "2", "--format", "csv", "--tag", "c", "--tags-from", bd,
                             "--tag=a", "--tags-from=" + e, "--tag", "c", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Results\r\n3\r\n2\r\n4\r\n1\r\n5\r\n3\r\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(Cli, AListFileThatCannotBeLoadedStopsEverything) {
    const QString file = write("a.xml", "<a>1</a>");
    const QString list = write("list.txt", file.toUtf8());
    const QString missing = pathOf("missing.txt");
    const QString folder = m_dir.path();
    struct Case {
        QStringList arguments;
        QByteArray err;
    };
    const Case cases[] = {
        {{"--tag", "a", file, "--files-from", missing},
         "tagmill-cli: " + missing.toUtf8() + ": File not found\n"},
        {{"--tags-from", missing, "--files-from", list},
         "tagmill-cli: " + missing.toUtf8() + ": File not found\n"},
        {{"--files", "--files-from=no/such.txt"}, "tagmill-cli: no/such.txt: File not found\n"},
        {{"--tags-from", "", file}, "tagmill-cli: : File not found\n"},
        {{"--tag", "a", "--files-from", folder, "--files-from", missing},
         "tagmill-cli: " + folder.toUtf8() + ": Is a directory\n"},
        {{"--files", "--files-from", list, "--tags-from", folder},
         "tagmill-cli: " + folder.toUtf8() + ": Is a directory\n"},
    };
    for (const Case& c : cases) {
        const Result result = runCli(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, c.err);
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST_F(Cli, ScansAgreeWithTheRulesOnRandomTrees) {
    for (quint32 seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        const RandomTree tree(seed);
        ASSERT_FALSE(HasFailure());
        const QString start = QFile::decodeName(tree.root()) + QString(int(seed % 3), u'/');
        for (const QString extension : {"", "xml", "XmL", "txt", "*", ".xml"}) {
            SCOPED_TRACE(extension.toStdString());
            QStringList arguments{"--files", "--scan", start};
            if (!extension.isEmpty())
                arguments << "--ext" << extension;
            const Result result = runCli(arguments);
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.out, lines(referenceScan(start, extension)));
            EXPECT_TRUE(result.err.isEmpty());
        }
    }
}

// JSON text for a string, escaped as the runner's lines are.
QByteArray jsonString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string escaped =
        test::jsonEscapedByteByByte({utf8.constData(), std::size_t(utf8.size())});
    return "\"" + QByteArray(escaped.data(), qsizetype(escaped.size())) + "\"";
}

// One row as the runner writes it, "file" first.
QByteArray jsonLine(const QString& file, const QString& value) {
    return "{\"file\":" + jsonString(file) + ",\"value\":" + jsonString(value) + "}";
}

TEST_F(Cli, AgreesWithTheRulesOnARandomCorpus) {
    QRandomGenerator random(99);
    QStringList files;
    QStringList texts;
    for (int i = 0; i < 30; ++i) {
        const QString text = randomMarkup(random, i % 10 == 0 ? 30000 : int(random.bounded(200)));
        const FileForm form = AllFileForms[i % std::size(AllFileForms)];
        const auto bytes = encodeAs(text, form);
        if (!bytes)
            continue;
        texts.append(referenceDecode(*bytes));
        files.append(write(QString("r%1.xml").arg(i), *bytes));
    }
    const QStringList tags{"td", "préis", "a", ""};
    for (int option = 1; option <= 4; ++option) {
        QByteArrayList expected;
        int failures = 0;
        for (qsizetype f = 0; f < files.size(); ++f) {
            if (texts[f].isEmpty())
                continue;
            const OracleResult r = oracleExtract(ExtractionOption(option), texts[f], tags);
            for (const QString& v : r.values)
                expected.append(jsonLine(files[f], v));
            failures += r.failures;
        }
        QStringList arguments{"--option", QString::number(option)};
        for (const QString& tag : tags)
            arguments << "--tag" << tag;
        const Result r = runCli(arguments + files);
        SCOPED_TRACE(option);
        // Compared as bytes: a JSON reader would hide the order of the keys and the escapes.
        QByteArrayList actual = r.out.split('\n');
        ASSERT_TRUE(actual.takeLast().isEmpty()) << "every line ends in a line feed";
        ASSERT_EQ(actual.size(), expected.size());
        for (qsizetype i = 0; i < actual.size(); ++i)
            ASSERT_EQ(actual[i].toStdString(), expected[i].toStdString()) << "line " << i;
        EXPECT_EQ(r.err.count('\n'), failures);
        EXPECT_EQ(r.status, failures > 0 ? 1 : 0);
    }
}

// Runs in the temporary folder, so that the entries, and with them the report's widths, are
// the short names given.
class TableFormats : public Cli {
protected:
    void SetUp() override {
        write("a.xml", "<v>12</v><v>x,y</v>");
        write("long_name.xml", "<v>7</v>");
        write("none.xml", "<w>0</w>");
        // "é" is one UTF-16 unit though two bytes, "😀" two units and four bytes.
        write("w.xml", "<v>\xC3\xA9</v><v>\xF0\x9F\x98\x80</v>");
    }
};

TEST_F(TableFormats, WriteTheTableByteForByte) {
    const QStringList both{"a.xml", "long_name.xml"};
    const QStringList none{"none.xml"};
    const QStringList one{"long_name.xml"};
    struct Case {
        const char* format;
        bool withFilename;
        QStringList files;
        QByteArray expected;
    };
    const Case cases[] = {
        {"report", true, both,
         "Filename     \tResults\t\r\n"
         "a.xml        \t12     \t\r\n"
         "a.xml        \tx,y    \t\r\n"
         "long_name.xml\t7      \t\r\n"},
        {"report", false, both, "Results\t\r\n12     \t\r\nx,y    \t\r\n7      \t\r\n"},
        {"report", true, none, "Filename\tResults\t\r\n"},
        {"report", false, none, "Results\t\r\n"},
        {"report", true, one, "Filename     \tResults\t\r\nlong_name.xml\t7      \t\r\n"},
        {"report", false, one, "Results\t\r\n7      \t\r\n"},
        {"report",
         false,
         {"w.xml"},
         "Results\t\r\n\xC3\xA9      \t\r\n\xF0\x9F\x98\x80     \t\r\n"},
        {"comma", true, both, "Filename,Results,\r\na.xml,12\r\na.xml,x,y\r\nlong_name.xml,7\r\n"},
        {"comma", false, both, "12,\r\nx,y,\r\n7\r\n"},
        {"comma", true, none, "Filename,Results,\r\n"},
        {"comma", false, none, ""},
        {"comma", true, one, "Filename,Results,\r\nlong_name.xml,7\r\n"},
        {"comma", false, one, "7\r\n"},
        {"tab", true, both, "a.xml\ta.xml\tlong_name.xml\t\r\n"},
        {"tab", false, both, "12\tx,y\t7\t\r\n"},
        {"tab", true, none, "\r\n"},
        {"tab", false, none, "\r\n"},
        {"tab", true, one, "long_name.xml\t\r\n"},
        {"tab", false, one, "7\t\r\n"},
        {"tab", false, {"w.xml"}, "\xC3\xA9\t\xF0\x9F\x98\x80\t\r\n"},
    };
    for (const Case& c : cases) {
        QStringList arguments{"--option", "2", "--tag", "v", "--format", c.format};
        if (c.withFilename)
            arguments << "--with-filename";
        arguments += c.files;
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCli(arguments, {}, m_dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.expected);
        EXPECT_TRUE(r.err.isEmpty());
    }
}

struct RunRow {
    QString file;
    QString value;
};

// The rows of a run, read from its JSON lines.
std::vector<RunRow> rowsOf(const QByteArray& jsonLines) {
    std::vector<RunRow> rows;
    for (const QByteArray& line : jsonLines.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject row = QJsonDocument::fromJson(line).object();
        rows.push_back({row["file"].toString(), row["value"].toString()});
    }
    return rows;
}

// What a table writer writes for these rows, every one ticked.
QByteArray writtenByTable(const std::vector<RunRow>& rows, bool withFilename,
                          bool (*writer)(const ResultsSnapshot&, QIODevice&, std::stop_token)) {
    RowStore store;
    for (const RunRow& row : rows) {
        store.startFile(row.file.toUtf8().toStdString());
        store.append(row.value.toUtf8().toStdString(), true);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer(ResultsSnapshot(withFilename, store), buffer, {}));
    return buffer.data();
}

TEST_F(Cli, StreamedCommaAndTabEqualTheTableWriters) {
    const QString odd = write("odd,1.xml", "<v>a,b</v><v>say \"hi\"</v><v>t\tu</v><v>l1\r\nl2</v>"
                                           "<v></v><v>caf\xC3\xA9</v><v>\xF0\x9F\x98\x80x</v>");
    const QString empty = write("empty.xml", "<w>1</w>");
    const QString more = write("odd \"2\".xml", "<v>,</v><v>\"</v><v>\t</v>");
    struct Case {
        QStringList files;
        std::size_t rows;
    };
    const Case cases[] = {{{odd, empty, more}, 10}, {{empty}, 0}, {{more}, 3}};
    for (const Case& c : cases) {
        for (const bool withFilename : {false, true}) {
            QStringList arguments{"--option", "2", "--tag", "v"};
            if (withFilename)
                arguments << "--with-filename";
            arguments += c.files;
            SCOPED_TRACE(arguments.join(' ').toStdString());
            const std::vector<RunRow> rows = rowsOf(runCli(arguments).out);
            ASSERT_EQ(rows.size(), c.rows);
            const Result comma = runCli(QStringList{"--format", "comma"} + arguments);
            const Result tab = runCli(QStringList{"--format", "tab"} + arguments);
            EXPECT_EQ(comma.status, 0);
            EXPECT_EQ(tab.status, 0);
            EXPECT_EQ(comma.out,
                      writtenByTable(rows, withFilename, SaveListviewAsCommaDelimToFile));
            EXPECT_EQ(tab.out, writtenByTable(rows, withFilename, writeTabDelimited));
        }
    }
}

// One CSV field as the rules give it: quoted when it holds a comma, a quotation mark, CR or LF,
// each quotation mark doubled.
QByteArray csvField(const QByteArray& text) {
    static const QRegularExpression special("[,\"\r\n]");
    if (!QString::fromUtf8(text).contains(special))
        return text;
    return '"' + QByteArray(text).replace("\"", "\"\"") + '"';
}

// Many files of many short rows go through the workers, each file's rows made where it was
// searched: every streaming format must still read as one writer would make it row by row.
TEST_F(Cli, ManyFilesOfManyRowsStreamExactly) {
    QStringList files;
    std::vector<RunRow> rows;
    for (int f = 0; f < 150; ++f) {
        // Files without rows first and here and there, a few with several batches of values.
        const int values = f < 2 || f % 23 == 5 ? 0 : f % 40 == 9 ? 40000 : (f * 53) % 300;
        QByteArray markup = "<w>none</w>";
        QStringList fileValues;
        for (int v = 0; v < values; ++v) {
            QByteArray value = QByteArray::number(f) + "." + QByteArray::number(v);
            value += v % 9 == 0 ? ",\"q\"" : v % 14 == 0 ? "\t\\\x01" : v % 31 == 0 ? "\r\n" : "";
            markup += "<v>" + value + "</v>\n";
            fileValues.append(QString::fromUtf8(value));
        }
        const QString file =
            write(QString(f % 4 == 0 ? "m%1,\"n\".xml" : "m%1.xml").arg(f), markup);
        files.append(file);
        for (const QString& value : fileValues)
            rows.push_back({file, value});
    }
    for (const bool withFilename : {false, true}) {
        QByteArray jsonl;
        QByteArray csv = withFilename ? "Filename,Results\r\n" : "Results\r\n";
        for (const RunRow& row : rows) {
            jsonl += jsonLine(row.file, row.value) + "\n";
            csv += (withFilename ? csvField(row.file.toUtf8()) + "," : QByteArray()) +
                   csvField(row.value.toUtf8()) + "\r\n";
        }
        const QByteArray comma = writtenByTable(rows, withFilename, SaveListviewAsCommaDelimToFile);
        const QByteArray tab = writtenByTable(rows, withFilename, writeTabDelimited);
        const std::pair<QString, const QByteArray&> cases[] = {
            {"jsonl", jsonl}, {"csv", csv}, {"comma", comma}, {"tab", tab}};
        for (const auto& [format, expected] : cases) {
            QStringList arguments{"--option", "2", "--tag", "v", "--format", format};
            if (withFilename)
                arguments << "--with-filename";
            SCOPED_TRACE(arguments.join(' ').toStdString());
            const Result r = runCli(arguments + files);
            EXPECT_EQ(r.status, 0);
            EXPECT_TRUE(r.err.isEmpty());
            ASSERT_GT(expected.size(), 1 << 20) << "more than one write's worth";
            // Megabytes: the place where they part says more than the whole.
            qsizetype at = 0;
            while (at < r.out.size() && at < expected.size() && r.out[at] == expected[at])
                ++at;
            EXPECT_EQ(r.out.size(), expected.size());
            EXPECT_EQ(r.out.mid(at, 60), expected.mid(at, 60)) << "at byte " << at;
        }
    }
}

const QStringList EveryFormat{"jsonl", "csv", "report", "comma", "tab"};

TEST_F(Cli, OutputGoesToTheFileAndNothingToStandardOutput) {
    const QString file = write("a.xml", "<v>1</v><v>x,\"y\"</v><v>caf\xC3\xA9</v>");
    const QString target = write("out.txt", "earlier\r\n");
    for (const QString& format : EveryFormat) {
        for (const bool joined : {false, true}) {
            const QStringList arguments{"--with-filename", "--option=2", "--tag", "v",
                                        "--format",        format,       file};
            const QStringList output =
                joined ? QStringList{"--output=" + target} : QStringList{"--output", target};
            SCOPED_TRACE((arguments + output).join(' ').toStdString());
            const QByteArray expected = runCli(arguments).out;
            ASSERT_FALSE(expected.isEmpty());
            const Result r = runCli(output + arguments);
            EXPECT_EQ(r.status, 0);
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_TRUE(r.err.isEmpty());
            EXPECT_EQ(read(target), expected);
        }
    }
    const Result listed = runCli({"--files", file, "--output", target});
    EXPECT_EQ(listed.status, 0);
    EXPECT_TRUE(listed.out.isEmpty());
    EXPECT_EQ(read(target), file.toUtf8() + "\n");
}

TEST_F(Cli, FileFailuresStillGoToStandardErrorWhileTheOutputIsWritten) {
    const QString good = write("good.xml", "<x>1</x>");
    const QString missing = pathOf("missing.xml");
    const QString target = pathOf("out.txt");
    const QByteArray failure = "tagmill-cli: " + missing.toUtf8() + ": No such file or directory\n";
    for (const QString& format : EveryFormat) {
        SCOPED_TRACE(format.toStdString());
        const QStringList arguments{"--option", "2",  "--tag", "x", "--format",
                                    format,     good, missing, good};
        const Result toStandardOutput = runCli(arguments);
        const Result toFile = runCli(arguments + QStringList{"--output", target});
        EXPECT_EQ(toFile.status, 1);
        EXPECT_EQ(toFile.err, failure);
        EXPECT_TRUE(toFile.out.isEmpty());
        EXPECT_EQ(read(target), toStandardOutput.out);
        EXPECT_EQ(toStandardOutput.err, failure);
    }
}

TEST_F(Cli, AnOutputThatCannotBeOpenedStopsTheRun) {
    const QString file = write("a.xml", "<v>1</v>");
    make({"folder/"});
    const QString kept = write("folder/kept.txt", "kept");
    const QString absent = pathOf("absent/out.txt");
    const QString folder = pathOf("folder");
    struct Case {
        QString target;
        QByteArray reason;
    };
    const Case cases[] = {
        {absent, "No such file or directory"},
        {folder, "Is a directory"},
    };
    for (const QString& format : EveryFormat + QStringList{"xlsx"}) {
        for (const Case& c : cases) {
            const QStringList arguments{"--tag",    "v",      "--format", format,
                                        "--output", c.target, file};
            SCOPED_TRACE(arguments.join(' ').toStdString());
            const Result r = runCli(arguments);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "tagmill-cli: " + c.target.toUtf8() + ": " + c.reason + "\n");
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
    EXPECT_FALSE(QFileInfo::exists(pathOf("absent")));
    EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{"kept.txt"});
    EXPECT_EQ(read(kept), "kept");
}

bool isPipe(const QString& path) {
    struct stat status {};
    return stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

TEST_F(Cli, APipeNamedAsTheOutputIsWrittenToAndStaysAPipe) {
    const QString file = write("a.xml", "<v>1</v><v>x,y</v>");
    const QString pipe = pathOf("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString& format : EveryFormat) {
        const QStringList arguments{"--option", "2", "--tag", "v", "--format", format, file};
        SCOPED_TRACE(arguments.join(' ').toStdString());
        // Opened without waiting for a writer, so that the program can be started after it.
        const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        const Result r = runCli(arguments + QStringList{"--output", pipe});
        char bytes[4096];
        const ssize_t size = ::read(reader, bytes, sizeof bytes);
        ::close(reader);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.isEmpty());
        EXPECT_EQ(QByteArray(bytes, std::max<ssize_t>(size, 0)), runCli(arguments).out);
        ASSERT_TRUE(isPipe(pipe));
    }
}

// Every way of writing the output: each format, and the file list.
QList<QStringList> everyOutput(const QString& file) {
    QList<QStringList> outputs;
    for (const QString& format : EveryFormat + QStringList{"xlsx"})
        outputs.append({"--option", "2", "--tag", "v", "--format", format, file});
    outputs.append({"--files", file});
    return outputs;
}

// Like /dev/null, made for the test: the system's own nodes are never written.
TEST_F(Cli, ADeviceNamedAsTheOutputIsWrittenToAndStaysADevice) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    const QString file = write("a.xml", "<v>1</v>");
    const QString node = pathOf("null");
    ASSERT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    for (const QStringList& arguments : everyOutput(file)) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCli(arguments + QStringList{"--output", node});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        struct stat status {};
        ASSERT_EQ(::lstat(QFile::encodeName(node).constData(), &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode));
        EXPECT_EQ(status.st_rdev, makedev(1, 3));
        EXPECT_EQ(
            QDir(m_dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{"a.xml", "null"}));
    }
}

TEST_F(Cli, LinksAreWrittenThroughAndPermissionsKept) {
    const QString file = write("a.xml", "<v>1</v>");
    make({"real/"});
    const QString target = write("real/out", "earlier");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_EQ(::symlink("real/out", QFile::encodeName(pathOf("relative")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(pathOf("relative")).constData(),
                        QFile::encodeName(pathOf("chain")).constData()),
              0);
    for (const QStringList& arguments : everyOutput(file)) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCli(arguments + QStringList{"--output", pathOf("chain")});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        if (!arguments.contains("xlsx"))
            EXPECT_EQ(read(target), runCli(arguments).out);
        else
            EXPECT_TRUE(read(target).startsWith("PK"));
        EXPECT_EQ(QFileInfo(pathOf("chain")).symLinkTarget(), pathOf("relative"));
        EXPECT_EQ(QFileInfo(pathOf("relative")).symLinkTarget(), target);
        struct stat status {};
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u);
        EXPECT_EQ(
            QDir(pathOf("real")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"out"});
    }
}

// Folder permissions bind only users other than root: the runner runs as nobody. The list
// ends with a missing file, whose message would show that the run searched.
TEST_F(Cli, AnOutputInAReadOnlyFolderIsRefusedBeforeAnyFileIsSearched) {
    const QString file = write("a.xml", "<v>1</v>");
    make({"read-only/"});
    const QString earlier = write("read-only/out", "earlier");
    const QString readOnly = pathOf("read-only");
    for (const QString& path : {m_dir.path(), readOnly})
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0555), 0);
    const QStringList unprivileged{"--reuid=65534", "--regid=65534", "--clear-groups", TAGMILL_CLI};
    for (const QString& target : {readOnly + "/new", earlier}) {
        for (const QStringList& arguments : everyOutput(file)) {
            const QStringList line =
                arguments + QStringList{pathOf("missing.xml"), "--output", target};
            SCOPED_TRACE(line.join(' ').toStdString());
            QProcess process;
            if (::geteuid() == 0)
                process.start("setpriv", unprivileged + line);
            else
                process.start(TAGMILL_CLI, line);
            ASSERT_TRUE(process.waitForFinished(60000));
            EXPECT_EQ(process.exitCode(), 1);
            EXPECT_EQ(process.readAllStandardError(),
                      "tagmill-cli: " + target.toUtf8() + ": Permission denied\n");
            EXPECT_EQ(process.readAllStandardOutput(), "");
            EXPECT_EQ(
                QDir(readOnly).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                QStringList{"out"});
            EXPECT_EQ(read(earlier), "earlier");
        }
    }
}

// Runs with files limited to a few kilobytes, so that writing the output fails part way as on a
// full disk.
Result runCliWithSmallFiles(const QStringList& arguments) {
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        // Ignored, the signal leaves the write to fail with EFBIG instead of ending the program.
        signal(SIGXFSZ, SIG_IGN);
    });
    process.start(TAGMILL_CLI, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST_F(Cli, AnOutputThatFailsPartWayLeavesTheEarlierFileWhole) {
    QByteArray markup;
    for (int i = 0; i < 200; ++i)
        markup += "<v>" + QByteArray(100, 'a' + char(i % 26)) + "</v>";
    const QString file = write("big.xml", markup);
    const QByteArray earlier = "earlier\r\n";
    const QString target = write("out.txt", earlier);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& format : EveryFormat) {
        const QStringList arguments{"--option", "2",        "--tag", "v", "--format",
                                    format,     "--output", target,  file};
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCliWithSmallFiles(arguments);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "tagmill-cli: " + target.toUtf8() + ": File too large\n");
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(read(target), earlier);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before)
            << "the unfinished file is removed";
    }
}

TEST_F(Cli, AWorkbookThatFailsPartWayLeavesTheEarlierFileWhole) {
    const QString file = write("a.xml", "<v>" + QByteArray(20000, 'x') + "</v>");
    const QByteArray earlier = "an earlier workbook";
    const QString target = write("out.xlsx", earlier);
    const Result r = runCliWithSmallFiles(
        {"--option", "2", "--tag", "v", "--format", "xlsx", "--output", target, file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tagmill-cli: " + target.toUtf8() +
                         ": Zip generic error ZIP_ERRNO while creating the xlsx file. System "
                         "error: File too large.\n");
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(read(target), earlier);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"a.xml", "out.xlsx"}));
}

// A device that takes nothing: the first failing write is reported, once, and ends the run.
TEST_F(Cli, AFullStandardOutputIsReportedOnce) {
    QByteArray markup;
    for (int i = 0; i < 20000; ++i)
        markup += "<v>" + QByteArray::number(i) + "</v>";
    const QString file = write("a.xml", markup);
    const QString missing = pathOf("missing.xml");
    QList<QStringList> cases;
    for (const QString& format : EveryFormat)
        cases.append({"--option", "2", "--tag", "v", "--format", format, file, file});
    cases.append({"--files", file, missing});
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(TAGMILL_CLI, arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_EQ(process.readAllStandardError(),
                  "tagmill-cli: standard output: No space left on device\n");
    }
}

// The output piped into "head -n 1": once head has its line and is gone, the runner ends as
// tools in a pipeline do, by SIGPIPE, silently. The list holds enough searching to take seconds,
// and ends with a missing file whose message would show that the runner searched on.
TEST_F(Cli, AReaderThatGoesAwayEndsTheRunQuietly) {
    const QString first = write("first.xml", "<v>first</v><v>second</v>");
    const QString quiet = write("quiet.xml", QByteArray(8000, 'x').replace('x', "<w>x</w>"));
    const QString loud = write("loud.xml", "<v>more</v>");
    for (const QString& later : {quiet, loud}) {
        SCOPED_TRACE(later.toStdString());
        QByteArray list = first.toUtf8() + "\n";
        for (int i = 0; i < 100000; ++i)
            list += later.toUtf8() + "\n";
        list += pathOf("missing.xml").toUtf8() + "\n";
        const QString listFile = write("list.txt", list);

        QProcess runner;
        QProcess head;
        runner.setStandardOutputProcess(&head);
        head.start("head", {"-n", "1"});
        runner.start(TAGMILL_CLI, {"--option", "2", "--tag", "v", "--files-from", listFile});
        ASSERT_TRUE(head.waitForFinished(60000));
        EXPECT_EQ(head.readAllStandardOutput(),
                  "{\"file\":\"" + first.toUtf8() + "\",\"value\":\"first\"}\n");
        ASSERT_TRUE(runner.waitForFinished(60000)) << "the runner searched on";
        EXPECT_EQ(runner.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(runner.exitCode(), SIGPIPE);
        EXPECT_EQ(runner.readAllStandardError(), "");
    }
}

// The workbook's cells are checked in the spreadsheet writer's own tests; here, that the runner
// writes one, and that what the sheet cannot hold is named and fails the run.
TEST_F(Cli, AWorkbookGoesToItsFileAndWhatDoesNotFitIsNamed) {
    const QString file = write("a.xml", "<v>=1</v><v>" + QByteArray(40000, 'x') + "</v>");
    const QString workbook = pathOf("out.xlsx");
    const Result r =
        runCli({"--option", "2", "--tag", "v", "--format", "xlsx", "--output", workbook, file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tagmill-cli: " + workbook.toUtf8() +
                         ": 1 text was longer than the 32,767 characters a cell holds and was cut "
                         "to fit: A3.\n");
    EXPECT_TRUE(read(workbook).startsWith("PK"));

    const Result missingFolder = runCli({"--option", "2", "--tag", "v", "--format", "xlsx",
                                         "--output", pathOf("absent/out.xlsx"), file});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_TRUE(
        missingFolder.err.startsWith("tagmill-cli: " + pathOf("absent/out.xlsx").toUtf8() + ": "))
        << missingFolder.err.toStdString();
}

} // namespace
