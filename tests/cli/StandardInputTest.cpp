// tagmill-cli fed through pipes, FIFOs and terminals: lists and files given as "-", list files
// that are streams, and NUL-separated lists.

#include <QDir>
#include <QProcess>
#include <QStringEncoder>

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
using test::finishCli;
using test::runCli;

// The program started by bash's `script`, in which "$0" is the program and "$@" the arguments.
Result runInBash(const QString& script, const QStringList& arguments) {
    QProcess process;
    process.start("bash", QStringList{"-c", script, TAGMILL_CLI} + arguments);
    process.closeWriteChannel();
    return finishCli(process, arguments);
}

QByteArray withMark(QStringConverter::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder(text);
}

class StandardInput : public test::TempFiles {};

// Whatever a list file gives, the same bytes give on standard input, for files and for tags.
TEST_F(StandardInput, AListOnStandardInputIsReadAsAListFile) {
    const QString text = QString::fromUtf8("/data/é.xml\r\n/data/日本.xml\n");
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    const QByteArray cases[] = {
        text.toUtf8(),
        withMark(QStringConverter::Utf8, text),
        withMark(QStringConverter::Utf16LE, text),
        withMark(QStringConverter::Utf16BE, text),
        withMark(QStringConverter::Utf32LE, text),
        "caf\xe9.xml\r\n\x93q\x94.xml",
        "a\r\n\r\nb\r\n",
        "a\r\rb\r",
        "\n\n x \n",
        "last",
        "",
        binary,
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        const QString list = write("list.txt", bytes);
        const Result fromFile = runCli({"--files", "first", "--files-from", list}, {});
        ASSERT_EQ(fromFile.status, 0);
        const Result fromInput = runCli({"--files", "first", "--files-from", "-"}, bytes);
        EXPECT_EQ(fromInput.status, 0);
        EXPECT_EQ(fromInput.out, fromFile.out);
        EXPECT_TRUE(fromInput.err.isEmpty()) << fromInput.err.constData();
    }
    const QString file = write("t.xml", "<a>1</a><b>2</b><c>3</c>");
    const Result tags =
        runCli({"--option", "2", "--format", "csv", "--tag", "c", "--tags-from=-", file},
               withMark(QStringConverter::Utf16LE, "b\r\na\r\n"));
    EXPECT_EQ(tags.status, 0);
    EXPECT_EQ(tags.out, "Results\r\n3\r\n2\r\n1\r\n");
    EXPECT_TRUE(tags.err.isEmpty()) << tags.err.constData();
}

// A hundred megabytes of list go through whole, every entry in its place.
TEST_F(StandardInput, AHundredMegabyteListIsReadWhole) {
    const QByteArray line = QByteArray(999, 'x') + '\n';
    QByteArray list;
    list.reserve(100 * 1000 * 1000 + 100);
    for (int i = 0; i < 100 * 1000; ++i)
        list += QByteArray::number(i) + line;
    const Result r = runCli({"--files", "--files-from", "-"}, list);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.size(), list.size());
    EXPECT_TRUE(r.out == list);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

// A list file may be any stream: a FIFO, /dev/stdin, a process substitution. Only what is not
// there at all is "File not found".
TEST_F(StandardInput, AListFileMayBeAnyStream) {
    const QString fifo = pathOf("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        QString script;
        QStringList arguments;
        QByteArray out;
    };
    const Case cases[] = {
        {R"(printf 'a\nb\n' > "$1" & "$0" --files --files-from "$1")", {fifo}, "a\nb\n"},
        {R"(printf 'a\r\nb' | "$0" --files --files-from /dev/stdin)", {}, "a\nb\n"},
        {R"("$0" --files --files-from <(printf 'a\nb\n') --tags-from <(printf 't'))", {}, "a\nb\n"},
        {R"("$0" --files -0 --files-from <(printf 'a\0b\0'))", {}, QByteArray("a\0b\0", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.toStdString());
        const Result r = runInBash(c.script, c.arguments);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    }
    const Result missing = runInBash(R"("$0" --files --files-from "$1")", {pathOf("absent")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "tagmill-cli: " + pathOf("absent").toUtf8() + ": File not found\n");
}

// FILE "-" is standard input, searched as one file and named "-"; "./-" is the file named "-",
// and after "--" a "-" is still standard input, as cat has it.
TEST_F(StandardInput, AFileDashIsStandardInputNamedDash) {
    write("-", "<a>file</a>");
    // Longer than a block, so that the copy is read whole and the value across it found.
    const QByteArray big = QByteArray(200000, ' ') + "<a>in</a>" + QByteArray(200000, ' ');
    struct Case {
        QStringList arguments;
        QByteArray input;
        QByteArray out;
    };
    const Case cases[] = {
        {{"--tag", "a", "--format", "csv", "--with-filename", "-"},
         "<a>in</a>",
         "Filename,Results\r\n-,<a>in</a>\r\n"},
        {{"--tag", "a", "--", "-", "./-"},
         big,
         "{\"file\":\"-\",\"value\":\"<a>in</a>\"}\n{\"file\":\"./-\",\"value\":\"<a>file</"
         "a>\"}\n"},
        {{"--tag", "a", "--format", "csv", "-"}, "no value", "Results\r\n"},
        {{"--files", "-", "./-"}, "not read", "-\n./-\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Result r = runCli(c.arguments, c.input, m_dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    }
    // A failure names the file "-" too.
    const Result failed = runCli({"--option", "2", "--tag", "x", "-"}, "<x</x>", m_dir.path());
    EXPECT_EQ(failed.err.left(15), "tagmill-cli: -:");
}

const QByteArray Twice =
    "tagmill-cli: standard input (-) can be read only once: as one list or one FILE\n";

// Standard input can be read once; a second reader would find it at its end.
TEST_F(StandardInput, StandardInputReadTwiceIsAUsageError) {
    const QStringList cases[] = {
        {"--tag", "a", "--files-from", "-", "-"},
        {"--tag", "a", "-", "--files-from=-"},
        {"--tags-from", "-", "--files-from", "-"},
        {"--tags-from", "-", "--", "-"},
        {"--tag", "a", "-", "-"},
        {"--files", "--files-from", "-", "--files-from", "-"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result r = runCli(arguments, "list\n");
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, Twice);
        EXPECT_TRUE(r.out.isEmpty());
    }
}

// Standard input closed, or a terminal that would leave the program waiting for typing: a clear
// message and nothing else, whichever use "-" is put to.
TEST_F(StandardInput, ClosedOrTerminalStandardInputIsRefused) {
    const QString file = write("a.xml", "<a>1</a>");
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const QString terminalPath = QString::fromLocal8Bit(::ptsname(terminal));
    const QStringList cases[] = {
        {"--tag", "a", "--files-from", "-"},
        {"--tags-from", "-", file},
        {"--tag", "a", "-"},
        {"--files", "-0", "--files-from", "-"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result closed = runInBash(R"("$0" "$@" <&-)", arguments);
        EXPECT_EQ(closed.status, 2);
        EXPECT_EQ(closed.err, "tagmill-cli: -: Standard input is closed\n");
        EXPECT_TRUE(closed.out.isEmpty());

        QProcess process;
        process.setStandardInputFile(terminalPath);
        process.start(TAGMILL_CLI, arguments);
        const Result typed = finishCli(process, arguments);
        EXPECT_EQ(typed.status, 2);
        EXPECT_EQ(typed.err, "tagmill-cli: -: Standard input is a terminal\n");
        EXPECT_TRUE(typed.out.isEmpty());
    }
    ::close(terminal);
}

// -0: entries end at NUL bytes only, line feeds and all, as find -print0 writes them; --files
// ends each with a NUL.
TEST_F(StandardInput, NulSeparatedListsKeepEveryByteOfTheNames) {
    using namespace Qt::StringLiterals;
    struct Case {
        QByteArray bytes;
        QByteArray out;
    };
    const Case cases[] = {
        {"a\0b\0"_ba, "a\0b\0"_ba},
        {"a\0b"_ba, "a\0b\0"_ba},
        {"a\0\0b\0"_ba, "a\0\0b\0"_ba},
        {"\0"_ba, "\0"_ba},
        {"", ""},
        {"line\nfeed\r\n\0 sp \0"_ba, "line\nfeed\r\n\0 sp \0"_ba},
        {"\xEF\xBB\xBF\xC3\xA9\0"_ba, "\xEF\xBB\xBF\xC3\xA9\0"_ba},
        {"\xFF\xFE\0"_ba, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().toStdString());
        const QString list = write("list", c.bytes);
        const Result fromFile = runCli({"--files", "--files-from", list, "--null"}, {});
        const Result fromInput = runCli({"-0", "--files", "--files-from", "-"}, c.bytes);
        for (const Result& r : {fromFile, fromInput}) {
            EXPECT_EQ(r.status, c.out.isNull() ? 2 : 0);
            EXPECT_EQ(r.out, c.out);
        }
    }
    const Result notUtf8 = runCli({"-0", "--files", "--files-from", "-"}, "ok\0caf\xe9"_ba);
    EXPECT_EQ(notUtf8.err, "tagmill-cli: -: Entry 2 is not valid UTF-8\n");
    // Without -0, --files ends entries with line feeds whatever the list.
    const Result lines = runCli({"--files", "--files-from", "-"}, "a\nb");
    EXPECT_EQ(lines.out, "a\nb\n");
}

// A file whose name holds a line feed is searched when a NUL list names it; tags come from a
// NUL list too.
TEST_F(StandardInput, NulSeparatedListsReachFilesWithLineFeedsInTheirNames) {
    using namespace Qt::StringLiterals;
    const QString odd = write("two\nlines.xml", "<a>1</a><b>2</b>");
    const QString tags = write("tags", "b\0a"_ba);
    const Result r =
        runCli({"-0", "--option", "2", "--format", "csv", "--tags-from", tags, "--files-from", "-"},
               odd.toUtf8() + '\0');
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Results\r\n2\r\n1\r\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

} // namespace
