// tagmill-cli's progress line, through the real program, on a pseudo-terminal or a file. The
// run is made to last longer than half a second by leaving its output unread for a while: the
// program then waits on its full pipe, as it would behind a slow reader.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

enum class ErrorTo { Terminal, File };

struct Result {
    int status;
    QByteArray out;
    QByteArray err;
};

// Reads what is there; false once the other end has gone (a terminal says so with EIO).
bool readSome(int fd, QByteArray& into) {
    char buffer[65536];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0)
        into.append(buffer, got);
    return got > 0 || (got < 0 && errno == EINTR);
}

class Progress : public test::TempFiles {
protected:
    // Runs the program with standard error on a terminal of this many columns, passing its
    // bytes unchanged, or on a file; its output is left unread for the first second. With
    // rowsOnTerminal the rows go to the same terminal, and come back in `err` with the line.
    Result run(const QStringList& arguments, ErrorTo errorTo, int columns = 200,
               bool rowsOnTerminal = false) {
        int master = -1;
        int terminal = -1;
        termios raw{};
        ::cfmakeraw(&raw);
        winsize size{};
        size.ws_col = (unsigned short)columns;
        size.ws_row = 24;
        EXPECT_EQ(::openpty(&master, &terminal, nullptr, &raw, &size), 0);
        const QString errFile = pathOf("err.txt");
        const int errorFd =
            errorTo == ErrorTo::Terminal
                ? terminal
                : ::open(QFile::encodeName(errFile), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        std::vector<QByteArray> args{TAGMILL_CLI};
        for (const QString& argument : arguments)
            args.push_back(argument.toUtf8());
        std::vector<char*> argv;
        for (QByteArray& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(rowsOnTerminal ? terminal : out[1], STDOUT_FILENO);
            ::dup2(errorFd, STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(terminal);
        if (errorTo == ErrorTo::File)
            ::close(errorFd);
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        Result result{-1, {}, {}};
        bool outOpen = true;
        bool errOpen = true;
        while (outOpen || errOpen) {
            pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0},
                             {errOpen ? master : -1, POLLIN, 0}};
            ::poll(fds, 2, -1);
            if (fds[0].revents)
                outOpen = readSome(out[0], result.out);
            if (fds[1].revents)
                errOpen = readSome(master, result.err);
        }
        ::close(out[0]);
        ::close(master);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        result.status = WEXITSTATUS(status);
        if (errorTo == ErrorTo::File) {
            QFile file(errFile);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            result.err = file.readAll();
        }
        return result;
    }

    // Files that give several megabytes of rows, far more than a pipe holds.
    QStringList corpus() {
        QStringList files;
        for (int f = 0; f < 300; ++f) {
            QByteArray bytes;
            for (int v = 0; v < 200; ++v)
                bytes += "<a>" + QByteArray::number(f) + "." + QByteArray::number(v) +
                         " a value long enough to fill the pipe</a>\n";
            files.append(write(QString("f%1.xml").arg(f), bytes));
        }
        return files;
    }
};

// What a terminal shows once everything has been written to it: each carriage return goes back
// to the start of the line, each line feed to the start of the next.
QStringList screen(const QByteArray& bytes) {
    QStringList lines{""};
    qsizetype column = 0;
    for (const char c : bytes) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.append("");
            column = 0;
        } else {
            QString& line = lines.last();
            if (column < line.size())
                line[column] = QChar::fromLatin1(c);
            else
                line.append(QChar::fromLatin1(c));
            ++column;
        }
    }
    for (QString& line : lines)
        line = line.trimmed();
    return lines;
}

// Each drawing of the line: what follows a carriage return, up to the next one.
QStringList drawings(const QByteArray& err) {
    QStringList lines;
    for (const QByteArray& piece : err.split('\r')) {
        if (!piece.trimmed().isEmpty())
            lines.append(QString::fromLatin1(piece));
    }
    return lines;
}

const QRegularExpression LinePattern(
    "^tagmill-cli: \\d+ of 300 files, \\d+(\\.\\d)? [kM]?B, [\\d,]+ rows, 0:0\\d elapsed, "
    "(about 0:\\d\\d|--) left *$");

// On a terminal the line is drawn and redrawn, and at the end nothing of it is left: the rows
// are all there, and the screen is blank.
TEST_F(Progress, IsDrawnOnATerminalAndErasedAtTheEnd) {
    const QStringList files = corpus();
    struct Case {
        QStringList flags;
        ErrorTo errorTo;
    };
    const Case cases[] = {
        {{}, ErrorTo::Terminal},
        {{"--no-progress", "--progress"}, ErrorTo::File},
    };
    for (const Case& c : cases) {
        const std::string name = c.flags.join(' ').toStdString();
        const Result r =
            run(c.flags + QStringList{"--option", "2", "--tag", "a"} + files, c.errorTo);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out.count('\n'), 60000) << name;
        const QStringList drawn = drawings(r.err);
        ASSERT_FALSE(drawn.isEmpty()) << name;
        // A file has no width to learn; the line is then cut to fit 80 columns.
        for (const QString& line : drawn) {
            const auto match = LinePattern.match(
                line, 0,
                c.errorTo == ErrorTo::File ? QRegularExpression::PartialPreferCompleteMatch
                                           : QRegularExpression::NormalMatch);
            EXPECT_TRUE(match.hasMatch() || (line.size() == 79 && match.hasPartialMatch()))
                << name << ": " << line.toStdString();
        }
        EXPECT_TRUE(r.err.startsWith('\r')) << name;
        EXPECT_FALSE(r.err.contains('\n')) << name;
        EXPECT_EQ(screen(r.err), QStringList{""}) << name;
    }
}

// Not off a terminal unless asked, and never when told not to, the last word winning.
// Rows on the terminal the line is on take the line away before them: every row stands on a
// line of its own, and nothing of the line is left at the end.
TEST_F(Progress, RowsOnTheSameTerminalMakeWayForTheLine) {
    const Result r =
        run(QStringList{"--option", "2", "--tag", "a"} + corpus(), ErrorTo::Terminal, 200, true);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.contains("tagmill-cli: ")) << "the line was drawn";
    const QStringList shown = screen(r.err);
    ASSERT_EQ(shown.size(), 60001);
    const QRegularExpression row("^\\{\"file\":\"[^\"]+\",\"value\":\"\\d+\\.\\d+ a value long "
                                 "enough to fill the pipe\"\\}$");
    for (const QString& line : shown.mid(0, 60000))
        ASSERT_TRUE(row.match(line).hasMatch()) << line.toStdString();
    EXPECT_EQ(shown.last(), "");
}

TEST_F(Progress, IsNotDrawnOffATerminalOrWhenRefused) {
    const QStringList files = corpus();
    struct Case {
        QStringList flags;
        ErrorTo errorTo;
    };
    const Case cases[] = {
        {{}, ErrorTo::File},
        {{"--no-progress"}, ErrorTo::Terminal},
        {{"--progress", "--no-progress"}, ErrorTo::Terminal},
    };
    for (const Case& c : cases) {
        const std::string name = c.flags.join(' ').toStdString();
        const Result r =
            run(c.flags + QStringList{"--option", "2", "--tag", "a"} + files, c.errorTo);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out.count('\n'), 60000) << name;
        EXPECT_EQ(r.err, "") << name;
    }
}

// A failure is written on a line of its own: the progress line is taken away first and drawn
// again after it, so the screen ends with the messages alone. A narrow terminal gets a line cut
// short of its width.
TEST_F(Progress, FailuresStandOnLinesOfTheirOwn) {
    QStringList files = corpus();
    const QString missing = pathOf("missing.xml");
    files.insert(280, missing);
    files.append(missing);
    const int columns = 30;
    const Result r =
        run(QStringList{"--option", "2", "--tag", "a"} + files, ErrorTo::Terminal, columns);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.count('\n'), 60000);
    const QString message = "tagmill-cli: " + missing + ": No such file or directory";
    EXPECT_EQ(screen(r.err), (QStringList{message, message, ""}));
    const QStringList drawn = drawings(r.err);
    EXPECT_GT(drawn.size(), 2);
    for (const QString& line : drawn) {
        if (!line.startsWith(message)) {
            EXPECT_EQ(line.trimmed().size(), columns - 1) << line.toStdString();
        }
    }
}

} // namespace
