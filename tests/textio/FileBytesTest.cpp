#include "textio/FileBytes.h"
#include "textio/FileError.h"

#include "textio/HostileFiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <thread>

using namespace tagmill;

namespace {

// What the files of these tests hold, 16 bytes.
constexpr char Text[] = "<a>1</a><a>2</a>";

// The description a call fails with, or "no failure".
template <typename Call> QString failureOf(Call call) {
    try {
        call();
    } catch (const FileError& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("no failure");
}

class FileBytes : public test::HostileFiles {
protected:
    // What readWholeFile gives for the file: its bytes, or "!" and the description.
    static QByteArray readOutcome(const QString& path) {
        QByteArray bytes;
        try {
            readWholeFile(path, bytes);
        } catch (const FileError& error) {
            return "!" + QByteArray(error.what());
        }
        return bytes;
    }
};

TEST_F(FileBytes, NoReaderWaitsForOrReadsWhatIsNoRegularFile) {
    for (const test::HostileEntry& entry : hostileEntries()) {
        const QStringList failures = test::finishedWithin30s(entry.name, [&] {
            QByteArray bytes;
            return QStringList{failureOf([&] { readWholeFile(entry.path, bytes); }),
                               failureOf([&] { readFileHead(entry.path, 4, bytes); }),
                               failureOf([&] { FileStream stream(entry.path); })};
        });
        EXPECT_EQ(failures, QStringList(3, entry.description)) << entry.name.toStdString();
    }
}

TEST_F(FileBytes, EmptyFileIsReadAsNothing) {
    const QString empty = write("empty.xml", "");
    EXPECT_EQ(FileStream(empty).size(), 0);
    EXPECT_EQ(readOutcome(empty), QByteArray());
}

TEST_F(FileBytes, FileWithoutReadPermissionIsDenied) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root; the scripted open covers this";
    const QString path = write("locked.xml", Text);
    ASSERT_TRUE(QFile::setPermissions(path, {}));
    EXPECT_EQ(QFileInfo(path).size(), 16) << "the file is there, only not readable";
    EXPECT_EQ(readOutcome(path), "!Permission denied");
}

// Each case changes the file, or the outcome of a system call, between the checks and the
// reads; the file holds Text first.
struct RaceCase {
    const char* name;
    std::function<void(test::ScriptedCalls&, const QString& path)> arrange;
    QByteArray outcome; // the bytes read, or "!" and the description
};

const RaceCase raceCases[] = {
    {"open denied", [](test::ScriptedCalls& calls, const QString&) { calls.openError = EACCES; },
     "!Permission denied"},
    {"swapped for a FIFO after the check",
     [](test::ScriptedCalls& calls, const QString&) {
         calls.beforeOpen = [](const char* path) {
             ASSERT_EQ(::unlink(path), 0);
             ASSERT_EQ(::mkfifo(path, 0600), 0);
         };
     },
     "!Not a regular file"},
    {"swapped for a folder after the check",
     [](test::ScriptedCalls& calls, const QString&) {
         calls.beforeOpen = [](const char* path) {
             ASSERT_EQ(::unlink(path), 0);
             ASSERT_EQ(::mkdir(path, 0700), 0);
         };
     },
     "!Is a directory"},
    {"deleted after the check",
     [](test::ScriptedCalls& calls, const QString&) {
         calls.beforeOpen = [](const char* path) { ASSERT_EQ(::unlink(path), 0); };
     },
     "!No such file or directory"},
    {"deleted while read",
     [](test::ScriptedCalls& calls, const QString& path) {
         calls.beforeFirstRead = [path] { ASSERT_TRUE(QFile::remove(path)); };
     },
     Text},
    {"truncated while read",
     [](test::ScriptedCalls& calls, const QString& path) {
         calls.beforeFirstRead = [path] { ASSERT_TRUE(QFile::resize(path, 8)); };
     },
     "<a>1</a>"},
    {"emptied while read",
     [](test::ScriptedCalls& calls, const QString& path) {
         calls.beforeFirstRead = [path] { ASSERT_TRUE(QFile::resize(path, 0)); };
     },
     ""},
    // Only the length found at opening is read.
    {"grown while read",
     [](test::ScriptedCalls& calls, const QString& path) {
         calls.beforeFirstRead = [path] {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::Append));
             ASSERT_EQ(file.write("<a>3</a>"), 8);
         };
     },
     Text},
    {"read fails", [](test::ScriptedCalls& calls, const QString&) { calls.readError = EIO; },
     "!Input/output error"},
    {"read interrupted",
     [](test::ScriptedCalls& calls, const QString&) { calls.interruptions = 2; }, Text},
    {"a few bytes a read", [](test::ScriptedCalls& calls, const QString&) { calls.readLimit = 3; },
     Text},
};

TEST_F(FileBytes, ChangesBetweenCheckAndReadGiveConsistentOutcomes) {
    int count = 0;
    for (const RaceCase& race : raceCases) {
        const QString path = write(QString("race%1.xml").arg(count++), Text);
        test::ScriptedCalls calls;
        race.arrange(calls, path);
        const QByteArray outcome =
            test::finishedWithin30s(race.name, [&] { return readOutcome(path); });
        EXPECT_EQ(outcome, race.outcome) << race.name;
        EXPECT_EQ(calls.closed.load(), calls.opened.load()) << race.name << ": descriptors left";
    }
}

TEST_F(FileBytes, HeadReadsOnlyTheStartButGivesTheWholeLength) {
    const QString path = write("head.xml", Text);
    QByteArray head;
    EXPECT_EQ(readFileHead(path, 4, head), 16);
    EXPECT_EQ(head, "<a>1");
    EXPECT_EQ(readFileHead(path, 100, head), 16);
    EXPECT_EQ(head, Text);
}

// List streams are read to their end, whatever they are; only a path that leads nowhere is
// "not found".
TEST_F(FileBytes, StreamsAreReadToTheirEnd) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    QByteArray sent;
    for (int i = 0; sent.size() < 3 * (1 << 20) + 5; ++i)
        sent += QByteArray::number(i) + ' ';
    // A reader that stops early must not leave the writer waiting, nor end the test by SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        for (qsizetype at = 0; at < sent.size(); at += 70000) {
            const auto piece = std::size_t(std::min<qsizetype>(70000, sent.size() - at));
            if (::write(ends[1], sent.constData() + at, piece) < 0)
                break;
        }
        ::close(ends[1]);
    });
    QByteArray got("kept");
    readToEnd(ends[0], got);
    ::close(ends[0]);
    writer.join();
    EXPECT_TRUE(got == "kept" + sent);

    QByteArray bytes;
    EXPECT_TRUE(readWholeStream(good(), bytes));
    EXPECT_EQ(bytes, "<a>1</a>");
    const QString absent[] = {pathOf("missing.xml"), "", good() + "/x"};
    for (const QString& path : absent)
        EXPECT_FALSE(readWholeStream(path, bytes)) << path.toStdString();
    try {
        readWholeStream(m_dir.path(), bytes);
        ADD_FAILURE() << "a folder was read";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Is a directory");
    }
}

} // namespace
