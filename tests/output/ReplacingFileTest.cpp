// Every writer replaces its file the one way: through links, keeping permissions, writing
// devices directly, refusing what cannot be written before anything is.

#include "output/ReplacingFile.h"
#include "output/spreadsheet/Workbook.h"

#include "TempFiles.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <thread>

namespace tagmill {
namespace {

const QByteArray Text = "written whole\r\n";

ResultsSnapshot oneRow() {
    RowStore store;
    store.startFile("a.xml");
    store.append("1", true);
    return ResultsSnapshot(true, std::move(store));
}

// The two ways a writer writes: through the device, and by name, as the workbook does.
struct Way {
    const char* name;
    std::function<QString(const QString&)> write; // "PATH: reason", or empty
    QByteArray start;                             // what the written file starts with
};

const Way Ways[] = {
    {"streaming",
     [](const QString& path) {
         return replaceFile(path,
                            [](QIODevice& device) { return device.write(Text) == Text.size(); })
             .value_or(QString());
     },
     Text},
    {"workbook", [](const QString& path) { return writeWorkbook(oneRow(), path).failure; },
     "PK\x03\x04"},
};

struct stat statusOf(const QString& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class ReplacingFileTest : public test::TempFiles {
protected:
    QStringList entries(const QString& folder = {}) const {
        return QDir(m_dir.filePath(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QString link(const QString& name, const QString& target) {
        const QString path = pathOf(name);
        EXPECT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path)), 0);
        return path;
    }
};

// Like /dev/null, made for the test: the system's own nodes are never written.
TEST_F(ReplacingFileTest, WritesACharacterDeviceAndLeavesItADevice) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    const QString node = pathOf("null");
    ASSERT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    for (const Way& way : Ways) {
        SCOPED_TRACE(way.name);
        EXPECT_EQ(way.write(node), "");
        const struct stat status = statusOf(node);
        EXPECT_TRUE(S_ISCHR(status.st_mode));
        EXPECT_EQ(status.st_rdev, makedev(1, 3));
        EXPECT_EQ(entries(), QStringList{"null"});
    }
}

TEST_F(ReplacingFileTest, WritesAFifoItsReaderReads) {
    const QString fifo = pathOf("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const Way& way : Ways) {
        SCOPED_TRACE(way.name);
        QByteArray read;
        std::thread reader([&] {
            QFile file(fifo);
            if (file.open(QIODevice::ReadOnly))
                read = file.readAll();
        });
        const QString failure = way.write(fifo);
        reader.join();
        EXPECT_EQ(failure, "");
        EXPECT_TRUE(read.startsWith(way.start)) << read.left(40).toStdString();
        EXPECT_TRUE(S_ISFIFO(statusOf(fifo).st_mode));
        EXPECT_EQ(entries(), QStringList{"fifo"});
    }
}

TEST_F(ReplacingFileTest, WritesThroughLinksThatStayLinks) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("real"));
    struct Case {
        const char* name;
        QString path;      // what the writer is given
        QString finalFile; // where the bytes must land
        QStringList links;
    };
    const QString target = write("real/out", "earlier");
    const QString absolute = link("absolute", target);
    const QString relative = link("relative", "real/out");
    const QString chain = link("chain", "relative");
    const QString dangling = link("dangling", "real/new");
    const Case cases[] = {
        {"a link", absolute, target, {absolute}},
        {"a relative link", relative, target, {relative}},
        {"a chain of links", chain, target, {chain, relative}},
        {"a link to no file yet", dangling, pathOf("real/new"), {dangling}},
    };
    for (const Way& way : Ways) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(way.name) + ", " + c.name);
            EXPECT_EQ(way.write(c.path), "");
            EXPECT_TRUE(readAll(c.finalFile).startsWith(way.start));
            for (const QString& path : c.links)
                EXPECT_TRUE(S_ISLNK(statusOf(path).st_mode)) << path.toStdString();
            QStringList left = entries("real");
            left.removeAll("out");
            left.removeAll("new");
            EXPECT_EQ(left, QStringList{}) << "no temporary file is left";
        }
    }
}

TEST_F(ReplacingFileTest, KeepsTheEarlierFilesPermissions) {
    const mode_t umaskBefore = ::umask(022);
    for (const Way& way : Ways) {
        SCOPED_TRACE(way.name);
        const QString path = write("out", "earlier");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        EXPECT_EQ(way.write(path), "");
        EXPECT_TRUE(readAll(path).startsWith(way.start));
        EXPECT_EQ(statusOf(path).st_mode & 07777, 0640u);
        const QString fresh = pathOf(QString("new ") + way.name);
        EXPECT_EQ(way.write(fresh), "");
        EXPECT_EQ(statusOf(fresh).st_mode & 07777, 0644u) << "a new file takes the umask's";
    }
    ::umask(umaskBefore);
}

// Runs work as the unprivileged user, whom folder permissions bind even when the tests run as
// root; its result is the process's status.
int asNobody(const std::function<int()>& work) {
    if (::geteuid() != 0)
        return work();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(100);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_F(ReplacingFileTest, RefusesWhatCannotBeWrittenBeforeWritingAnything) {
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    const QString readOnly = pathOf("read-only");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("read-only"));
    const QString earlier = write("read-only/earlier", "earlier");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0555), 0);
    struct Case {
        const char* name;
        QString path;
        QString reason;
    };
    const Case cases[] = {
        {"a new file in a read-only folder", readOnly + "/new", "Permission denied"},
        {"a file in a read-only folder", earlier, "Permission denied"},
        {"a missing folder", pathOf("missing/new"), "No such file or directory"},
        {"a folder", pathOf("folder"), "Is a directory"},
        {"a file as a folder", earlier + "/new", "Not a directory"},
    };
    for (const Way& way : Ways) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(way.name) + ", " + c.name);
            const int status = asNobody([&] {
                const QString failure = way.write(c.path);
                if (failure == c.path + ": " + c.reason)
                    return 0;
                std::fprintf(stderr, "failure: %s\n", qPrintable(failure));
                return 1;
            });
            EXPECT_EQ(status, 0);
        }
    }
    EXPECT_EQ(readAll(earlier), "earlier");
    EXPECT_EQ(entries("read-only"), QStringList{"earlier"});
    EXPECT_EQ(entries("folder"), QStringList{});
    EXPECT_EQ(entries(), (QStringList{"folder", "read-only"}));
}

} // namespace
} // namespace tagmill
