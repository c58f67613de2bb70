// Workbooks for the spreadsheet program wait in a private folder, and go once no Tagmill that
// is still running may need them.

#include "output/WorkbookFolder.h"

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace tagmill {
namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

void makeWorkbook(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("PK");
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    return status.st_mode & 07777;
}

// The runtime and temporary folders of the test's own, put back afterwards.
class WorkbookFolderTest : public ::testing::Test {
protected:
    WorkbookFolderTest()
        : m_savedRuntime(qgetenv("XDG_RUNTIME_DIR")),
          m_hadRuntime(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")),
          m_savedTemp(qgetenv("TMPDIR")), m_hadTemp(qEnvironmentVariableIsSet("TMPDIR")) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
    }
    ~WorkbookFolderTest() override {
        restore("XDG_RUNTIME_DIR", m_hadRuntime, m_savedRuntime);
        restore("TMPDIR", m_hadTemp, m_savedTemp);
    }
    static void restore(const char* name, bool had, const QByteArray& value) {
        if (had)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    QTemporaryDir m_runtime;
    QTemporaryDir m_temp;
    QByteArray m_savedRuntime;
    bool m_hadRuntime;
    QByteArray m_savedTemp;
    bool m_hadTemp;
};

TEST_F(WorkbookFolderTest, LivesInTheRuntimeFolderElseInTheTemporaryFolder) {
    struct Case {
        const char* name;
        QByteArray runtime; // empty: unset
        QString home;
    };
    const Case cases[] = {
        {"runtime folder set", QFile::encodeName(m_runtime.path()), m_runtime.path()},
        {"runtime folder unset", {}, m_temp.path()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", c.runtime);
        WorkbookFolder folder;
        EXPECT_EQ(folder.path(), "") << "nothing is made before the first workbook";
        const WorkbookFolder::NewWorkbook first = folder.newWorkbook();
        const WorkbookFolder::NewWorkbook second = folder.newWorkbook();
        EXPECT_EQ(first.failure, "");
        EXPECT_EQ(QFileInfo(folder.path()).absolutePath(), c.home);
        EXPECT_TRUE(QFileInfo(folder.path()).fileName().startsWith("tagmill-"));
        EXPECT_EQ(modeOf(folder.path()), 0700u);
        EXPECT_EQ(first.path, folder.path() + "/1/Results.xlsx");
        EXPECT_EQ(second.path, folder.path() + "/2/Results.xlsx");
        EXPECT_EQ(modeOf(folder.path() + "/1"), 0700u);
        EXPECT_EQ(entries(folder.path()), (QStringList{"1", "2", "lock"}));
    }
}

TEST_F(WorkbookFolderTest, AFailureNamesTheFolderAndTheReason) {
    const QString missing = m_runtime.filePath("missing");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(missing));
    WorkbookFolder folder;
    const WorkbookFolder::NewWorkbook workbook = folder.newWorkbook();
    EXPECT_EQ(workbook.path, "");
    EXPECT_TRUE(workbook.failure.startsWith(missing + "/tagmill-"))
        << workbook.failure.toStdString();
    EXPECT_TRUE(workbook.failure.endsWith(": No such file or directory"));
}

TEST_F(WorkbookFolderTest, GoesAtTheEndWhenItHoldsNoWorkbookAndWaitsWhenItDoes) {
    QString emptied;
    QString kept;
    {
        WorkbookFolder folder;
        const QString workbook = folder.newWorkbook().path;
        makeWorkbook(workbook);
        WorkbookFolder::remove(workbook);
        EXPECT_EQ(entries(folder.path()), QStringList{"lock"});
        emptied = folder.path();
    }
    {
        WorkbookFolder folder;
        makeWorkbook(folder.newWorkbook().path);
        kept = folder.path();
    }
    EXPECT_FALSE(QFileInfo::exists(emptied));
    EXPECT_EQ(entries(kept), (QStringList{"1", "lock"})) << "its program may not have read it";
}

TEST_F(WorkbookFolderTest, AStartRemovesTheFoldersOfEndedTagmillsOnly) {
    QString ended;
    {
        WorkbookFolder folder;
        makeWorkbook(folder.newWorkbook().path);
        ended = folder.path();
    }
    WorkbookFolder live;
    makeWorkbook(live.newWorkbook().path);
    // One being made: its lock is not yet named.
    const QString beingMade = m_runtime.filePath("tagmill-making");
    ASSERT_TRUE(QDir().mkdir(beingMade));
    makeWorkbook(beingMade + "/lock.new");

    removeLeftWorkbooks();

    EXPECT_FALSE(QFileInfo::exists(ended));
    EXPECT_EQ(entries(live.path()), (QStringList{"1", "lock"}));
    EXPECT_EQ(entries(beingMade), QStringList{"lock.new"});
}

TEST_F(WorkbookFolderTest, AStartRemovesTheFoldersOfEarlierVersions) {
    struct Case {
        const char* name;
        QStringList files;
        mode_t mode;
        bool removed;
    };
    const Case cases[] = {
        {"the workbook alone", {"Results.xlsx"}, 0700, true},
        {"a folder others may read", {"Results.xlsx"}, 0755, false},
        {"another file beside it", {"Results.xlsx", "notes.txt"}, 0700, false},
        {"no workbook", {}, 0700, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = m_temp.filePath("tagmill-Ab12Cd");
        ASSERT_TRUE(QDir().mkdir(folder));
        for (const QString& file : c.files)
            makeWorkbook(folder + '/' + file);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.mode), 0);

        removeLeftWorkbooks();

        EXPECT_EQ(QFileInfo::exists(folder), !c.removed);
        QDir(folder).removeRecursively();
    }
}

} // namespace
} // namespace tagmill
