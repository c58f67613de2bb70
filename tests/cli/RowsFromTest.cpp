// tagmill-cli --rows-from: rows written by one run, read back by another and written in any
// format exactly as the run that found them writes them.

#include <QDir>
#include <QProcess>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CliRun.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

using Result = test::CliResult;
using test::runCli;

QByteArray unzip(const QStringList& arguments) {
    QProcess process;
    process.start("unzip", arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << process.errorString().toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

// Every part of the workbook by name, but the one that holds the moment it was made.
std::map<QByteArray, QByteArray> workbookParts(const QString& workbook) {
    std::map<QByteArray, QByteArray> parts;
    for (const QByteArray& name : unzip({"-Z1", workbook}).split('\n')) {
        if (!name.isEmpty() && name != "docProps/core.xml")
            // unzip takes the name as a pattern, where "[" opens a set of characters.
            parts[name] = unzip({"-p", workbook, QString::fromUtf8(name).replace("[", "[[]")});
    }
    return parts;
}

const QByteArray UsageLines =
    "usage: tagmill-cli [--option N] (--tag TAG | --tags-from LIST)... [--with-filename] "
    "[--format jsonl|csv|report|comma|tab|xlsx] [--output FILE] [--files] [-0] [--ext EXT] "
    "[--progress | --no-progress] "
    "(--scan DIR | --files-from LIST | FILE)...\n"
    "       tagmill-cli --rows-from ROWS [--with-filename] [--format FORMAT] [--output FILE]\n";

const QStringList StreamFormats{"jsonl", "csv", "report", "comma", "tab"};

class RowsFrom : public test::TempFiles {
protected:
    // Files whose values need every escape the JSON lines have, and names that need quoting.
    void SetUp() override {
        QByteArray many;
        for (int i = 0; i < 30000; ++i)
            many += "<v>" + QByteArray::number(i) + (i % 7 == 0 ? ",\"q\"\t\\" : "") + "</v>";
        write("a.xml", "<v>a,b</v><v>say \"hi\"</v><v>\xF0\x9F\x98\x80 caf\xC3\xA9</v>"
                       "<v>x\ty</v><v>l1\r\nl2</v><v></v><v>=1+2</v><v>\x01\x1f\x7f/\b\f</v>");
        write("none.xml", "<w>0</w>");
        write("odd, \"1\" \xC3\xA9.xml", "<v>7</v><v>\\</v>");
        write("many.xml", many);
        m_files = {"a.xml", "none.xml", "odd, \"1\" \xC3\xA9.xml", "many.xml", "a.xml"};
    }

    // The direct run over the files, in this folder, so the entries are the short names.
    Result direct(const QStringList& options) {
        return runCli(QStringList{"--option", "2", "--tag", "v"} + options + m_files, {},
                      m_dir.path());
    }
    Result reduce(const QStringList& options, const QByteArray& rows) {
        return runCli(QStringList{"--rows-from", "-"} + options, rows, m_dir.path());
    }

    QStringList m_files;
};

TEST_F(RowsFrom, WritesEveryFormatAsTheRunThatFoundTheRows) {
    const Result rows = direct({});
    ASSERT_EQ(rows.status, 0);
    ASSERT_EQ(rows.out.count('\n'), 8 + 2 + 30000 + 8);
    for (const QString& format : StreamFormats) {
        for (const bool withFilename : {false, true}) {
            QStringList options{"--format", format};
            if (withFilename)
                options << "--with-filename";
            SCOPED_TRACE(options.join(' ').toStdString());
            const Result expected = direct(options);
            const Result actual = reduce(options, rows.out);
            EXPECT_EQ(actual.status, 0);
            EXPECT_TRUE(actual.err.isEmpty()) << actual.err.toStdString();
            EXPECT_EQ(actual.out.size(), expected.out.size());
            EXPECT_TRUE(actual.out == expected.out);
        }
    }
}

TEST_F(RowsFrom, WritesTheWorkbookAsTheRunThatFoundTheRows) {
    const QString rows = write("rows.jsonl", direct({}).out);
    for (const bool withFilename : {false, true}) {
        QStringList options{"--format", "xlsx"};
        if (withFilename)
            options << "--with-filename";
        SCOPED_TRACE(options.join(' ').toStdString());
        const Result expected = direct(options + QStringList{"--output", pathOf("direct.xlsx")});
        const Result actual =
            runCli(options + QStringList{"--output", pathOf("reduced.xlsx"), "--rows-from", rows});
        EXPECT_EQ(expected.status, 0);
        EXPECT_EQ(actual.status, 0);
        EXPECT_TRUE(actual.out.isEmpty());
        EXPECT_TRUE(actual.err.isEmpty()) << actual.err.toStdString();
        const auto parts = workbookParts(pathOf("reduced.xlsx"));
        EXPECT_TRUE(parts.contains("xl/worksheets/sheet1.xml"));
        EXPECT_EQ(parts, workbookParts(pathOf("direct.xlsx")));
    }
}

// What other tools write for the same rows: any JSON escape, keys in the other order, blanks
// between the tokens, CR LF line ends, blank lines and a last line without its line feed.
TEST_F(RowsFrom, ReadsEveryFormOfTheSameRows) {
    const QByteArray expected = "{\"file\":\"f\xC3\xA9\",\"value\":\"\xF0\x9F\x98\x80\"}\n"
                                "{\"file\":\"f\xC3\xA9\",\"value\":\"a/\\\"\\\\\\b\\f\\n\\r\\t\"}\n"
                                "{\"file\":\"g\",\"value\":\"\\u0000\\u001f \"}\n";
    const QByteArray forms[] = {
        expected,
        "{\"file\":\"f\\u00e9\",\"value\":\"\\uD83D\\ude00\"}\r\n"
        "\r\n"
        "  { \"value\" : \"\\u0061\\/\\\"\\\\\\b\\f\\n\\r\\t\" ,\t\"file\":\"f\\u00E9\" }\n"
        "\n"
        "{\"file\":\"g\",\"value\":\"\\u0000\\u001F\\u0020\"}",
    };
    for (std::size_t i = 0; i < std::size(forms); ++i) {
        SCOPED_TRACE(i);
        const Result r = reduce({}, forms[i]);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, expected);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST_F(RowsFrom, NoRowsGiveEachFormatsOutputOfNone) {
    for (const QByteArray& rows : {QByteArray(), QByteArray("\n\r\n")}) {
        for (const QString& format : StreamFormats) {
            for (const bool withFilename : {false, true}) {
                QStringList options{"--format", format};
                if (withFilename)
                    options << "--with-filename";
                SCOPED_TRACE(options.join(' ').toStdString());
                const Result expected = runCli(QStringList{"--option", "2", "--tag", "v"} +
                                                   options + QStringList{"none.xml"},
                                               {}, m_dir.path());
                const Result r = reduce(options, rows);
                EXPECT_EQ(r.status, 0);
                EXPECT_EQ(r.out, expected.out);
            }
        }
    }
}

// Rows that cannot all be read write nothing: no output file, no byte on standard output.
TEST_F(RowsFrom, ALineThatIsNoRowStopsEverythingNamingIt) {
    const QByteArray good = "{\"file\":\"a\",\"value\":\"1\"}\n";
    struct Case {
        QByteArray line;
        QByteArray reason;
    };
    const Case cases[] = {
        {"nope", "not a JSON object"},
        {"[\"a\",\"1\"]", "not a JSON object"},
        {"{\"file\":\"a\"}", "no \"value\""},
        {"{\"value\":\"1\"}", "no \"file\""},
        {"{}", "no \"value\""},
        {"{\"file\":\"a\",\"value\":1}", "\"value\" is not a string"},
        {"{\"file\":null,\"value\":\"1\"}", "\"file\" is not a string"},
        {"{\"file\":\"a\",\"value\":\"1\",\"tag\":\"v\"}", "unknown key \"tag\""},
        {"{\"file\":\"a\",\"value\":\"1\",\"value\":\"2\"}", "\"value\" given twice"},
        {"{\"file\":\"a\",\"value\":\"1\"} x", "text after the object"},
        {"{\"file\":\"a\",\"value\":\"1\"", "expected ',' or '}'"},
        {"{\"file\":\"a\" \"value\":\"1\"}", "expected ',' or '}'"},
        {"{\"file\":\"a\",}", "expected a key in quotes"},
        {"{\"file\" \"a\",\"value\":\"1\"}", "expected ':' after the key"},
        {"{\"file\":\"a\",\"value\":\"1}", "a string without its closing quote"},
        {"{\"file\":\"a\",\"value\":\"1\\", "a string without its closing quote"},
        {"{\"file\":\"a\",\"value\":\"\t\"}", "a control character not escaped"},
        {"{\"file\":\"a\",\"value\":\"\\x41\"}", "a bad escape \\x"},
        {"{\"file\":\"a\",\"value\":\"\\u00G1\"}", "a bad \\u escape"},
        {"{\"file\":\"a\",\"value\":\"\\u12\"}", "a bad \\u escape"},
        {"{\"file\":\"a\",\"value\":\"\\uD83D\"}", "a lone surrogate \\uD83D"},
        {"{\"file\":\"a\",\"value\":\"\\uDE00\\uD83D\"}", "a lone surrogate \\uDE00"},
        {"{\"file\":\"a\",\"value\":\"\\ud83d\\u0041\"}", "a lone surrogate \\ud83d"},
        {"{\"file\":\"a\",\"value\":\"\\uD83D\\uD83D\"}", "a lone surrogate \\uD83D"},
        {"{\"file\":\"a\",\"value\":\"\xC3\"}", "not UTF-8"},
        {"{\"file\":\"a\",\"value\":\"\xED\xA0\xBD\"}", "not UTF-8"},
        {"\xEF\xBB\xBF{\"file\":\"a\",\"value\":\"1\"}", "not a JSON object"},
        {QByteArray("{\"file\":\"a\",\"value\":\"\0\"}", 24), "a control character not escaped"},
    };
    const QString earlier = write("earlier.txt", "earlier");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        // The bad line third, after a blank one, and good rows after it too.
        const QByteArray rows = good + "\n" + c.line + "\n" + good;
        const QByteArray expected = "tagmill-cli: standard input:3: " + c.reason + "\n";
        for (const char* format : {"jsonl", "report"}) {
            const Result r = reduce({"--format", format}, rows);
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.err, expected);
            EXPECT_TRUE(r.out.isEmpty());
        }
        const QString file = write("rows.jsonl", rows);
        const Result named = runCli({"--rows-from", file, "--output", earlier});
        EXPECT_EQ(named.status, 2);
        EXPECT_EQ(named.err, "tagmill-cli: " + file.toUtf8() + ":3: " + c.reason + "\n");
        const Result workbook =
            runCli({"--rows-from", file, "--format", "xlsx", "--output", pathOf("never.xlsx")});
        EXPECT_EQ(workbook.status, 2);
        EXPECT_FALSE(QFile::exists(pathOf("never.xlsx")));
    }
    QFile kept(earlier);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier");
}

// Rows read back are not searched again, so whatever would be searched is a slip.
TEST_F(RowsFrom, RefusesWhatWouldBeSearched) {
    const QString rows = write("rows.jsonl", "{\"file\":\"a\",\"value\":\"1\"}\n");
    const QStringList lines[] = {
        {"--rows-from", rows, "--tag", "v"},
        {"--rows-from", rows, "--tags-from", rows},
        {"--rows-from", rows, "a.xml"},
        {"a.xml", "--rows-from", rows},
        {"--rows-from", rows, "--scan", m_dir.path()},
        {"--rows-from", rows, "--files-from", rows},
        {"--rows-from", rows, "--files"},
        {"--rows-from", rows, "--rows-from", rows},
        {"--rows-from", rows, "--", "a.xml"},
        {"--rows-from", ""},
        {"--rows-from="},
        {"--rows-from"},
    };
    for (const QStringList& arguments : lines) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCli(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, UsageLines);
        EXPECT_TRUE(r.out.isEmpty());
    }
    const Result valued = runCli({"--rows-from=" + rows, "--with-filename", "--format=csv"});
    EXPECT_EQ(valued.status, 0);
    EXPECT_EQ(valued.out, "Filename,Results\r\na,1\r\n");
    const Result workbook = runCli({"--rows-from", rows, "--format", "xlsx"});
    EXPECT_EQ(workbook.status, 2);
    EXPECT_EQ(workbook.err, "tagmill-cli: --format xlsx needs --output FILE\n");
}

TEST_F(RowsFrom, TakesAnyStreamAndNamesWhatCannotBeRead) {
    const QByteArray row = "{\"file\":\"a\",\"value\":\"1\"}\n";
    // A FIFO and /dev/stdin give no size first: read to their end.
    const Result devStdin = runCli({"--rows-from", "/dev/stdin"}, row);
    EXPECT_EQ(devStdin.status, 0);
    EXPECT_EQ(devStdin.out, row);
    const QString fifo = pathOf("fifo");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0600), 0);
    // The writer starts first and waits for the program to open the FIFO.
    QProcess fromFifo;
    fromFifo.start("/bin/sh", {"-c", "printf '%s' \"$1\" >\"$2\" & exec \"$0\" --rows-from \"$2\"",
                               TAGMILL_CLI, QString::fromUtf8(row), fifo});
    ASSERT_TRUE(fromFifo.waitForFinished(60000));
    EXPECT_EQ(fromFifo.exitCode(), 0);
    EXPECT_EQ(fromFifo.readAllStandardOutput(), row);

    // Read a megabyte at a time: a line longer than that, lines across the pieces, and a fault
    // counted on from the first piece.
    QByteArray pieces = "{\"file\":\"a\",\"value\":\"" + QByteArray(3 << 20, 'x') + "\"}\n";
    for (int i = 0; i < 100000; ++i)
        pieces += "{\"file\":\"a\",\"value\":\"" + QByteArray::number(i) + "\"}\n";
    const Result pieced = runCli({"--rows-from", "-"}, pieces);
    EXPECT_EQ(pieced.status, 0);
    EXPECT_TRUE(pieced.out == pieces);
    const Result late = runCli({"--rows-from", "-"}, pieces + "{}\n");
    EXPECT_EQ(late.status, 2);
    EXPECT_EQ(late.err, "tagmill-cli: standard input:100002: no \"value\"\n");

    struct Case {
        QString path;
        QByteArray err;
    };
    const Case cases[] = {
        {pathOf("absent.jsonl"),
         "tagmill-cli: " + pathOf("absent.jsonl").toUtf8() + ": File not found\n"},
        {m_dir.path(), "tagmill-cli: " + m_dir.path().toUtf8() + ": Is a directory\n"},
    };
    for (const Case& c : cases) {
        const Result r = runCli({"--rows-from", c.path});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(r.out.isEmpty());
    }
}

// Standard input closed, or a terminal nobody types rows on: a message at once, never a wait.
TEST_F(RowsFrom, StandardInputClosedOrATerminalIsNamed) {
    QProcess closed;
    closed.setProgram("/bin/sh");
    closed.setArguments({"-c", "exec \"$0\" --rows-from - <&-", TAGMILL_CLI});
    closed.start();
    ASSERT_TRUE(closed.waitForFinished(60000));
    EXPECT_EQ(closed.exitCode(), 2);
    EXPECT_EQ(closed.readAllStandardError(), "tagmill-cli: standard input: Bad file descriptor\n");

    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    QProcess typed;
    typed.setStandardInputFile(QString::fromLocal8Bit(::ptsname(terminal)));
    typed.start(TAGMILL_CLI, {"--rows-from", "-"});
    ASSERT_TRUE(typed.waitForFinished(60000));
    ::close(terminal);
    EXPECT_EQ(typed.exitCode(), 2);
    EXPECT_EQ(typed.readAllStandardError(),
              "tagmill-cli: standard input: A terminal, not rows: pipe them in or name a file\n");
    EXPECT_TRUE(typed.readAllStandardOutput().isEmpty());
}

} // namespace
