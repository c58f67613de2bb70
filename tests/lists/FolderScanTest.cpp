#include "lists/FolderScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <cerrno>
#include <map>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tagmill;

namespace {

// Listings of chosen folders fail as a test says, while the rest list as the system lists them.
class FailingListings : public detail::FolderCalls {
public:
    struct Failure {
        int error;
        bool atOnce; // else once every entry is read, so all the folder's subfolders were seen
    };
    std::map<QByteArray, Failure> failures; // by the folder's path as it is opened

    DIR* opendir(const char* path) override {
        const auto failure = failures.find(path);
        if (failure != failures.end() && failure->second.atOnce) {
            errno = failure->second.error;
            return nullptr;
        }
        DIR* dir = FolderCalls::opendir(path);
        m_paths[dir] = path;
        return dir;
    }
    dirent* readdir(DIR* dir) override {
        dirent* entry = FolderCalls::readdir(dir);
        if (const auto failure = failures.find(m_paths[dir]);
            entry == nullptr && failure != failures.end())
            errno = failure->second.error;
        return entry;
    }

private:
    std::map<DIR*, QByteArray> m_paths;
};

class FolderScanTest : public ::testing::Test {
protected:
    QString root() const { return m_dir.path(); }

    // Makes the files (names ending in "/" are folders) below the root, with raw bytes as names.
    void make(std::initializer_list<const char*> paths) {
        for (const char* path : paths) {
            const QByteArray full = QFile::encodeName(root()) + "/" + path;
            if (full.endsWith('/')) {
                ASSERT_EQ(::mkdir(full.constData(), 0755), 0) << path;
            } else {
                const int fd = ::open(full.constData(), O_CREAT | O_WRONLY, 0644);
                ASSERT_GE(fd, 0) << path;
                ::close(fd);
            }
        }
    }
    void link(const char* target, const char* name) {
        const QByteArray at = QFile::encodeName(root()) + "/" + name;
        ASSERT_EQ(::symlink(target, at.constData()), 0) << name;
    }

    // Every path the scan adds, relative to the root.
    QStringList scan(const QString& pattern, const QString& folder = {},
                     detail::FolderCalls& calls = detail::systemFolderCalls()) {
        QStringList added;
        FolderScan(std::stop_token{}, calls)
            .addFilesBelow(folder.isEmpty() ? root() : folder, pattern, [&](QStringList paths) {
                for (QString& path : paths)
                    added.append(path.mid(root().size()));
            });
        return added;
    }

    QTemporaryDir m_dir;
};

TEST_F(FolderScanTest, BreadthFirstFolderByFolderNamesSortedIgnoringCase) {
    make({"a/", "a/b/", "a/b/c/", "B1/", "b2/", "B1/deep/", "b2/deeper/", "a/b/c/z.xml",
          "a/b/y.xml", "a/x.xml", "B1/deep/d.xml", "b2/deeper/e.xml", "b2/f.XML", "B1/g.xml",
          "top.xml", "Top2.xml", "top.txt"});
    EXPECT_EQ(scan("*.xml"),
              QStringList({"/top.xml", "/Top2.xml", "/a/x.xml", "/B1/g.xml", "/b2/f.XML",
                           "/a/b/y.xml", "/B1/deep/d.xml", "/b2/deeper/e.xml", "/a/b/c/z.xml"}));
}

TEST_F(FolderScanTest, FolderListIsBreadthFirstAndLeavesOutWhatCannotBeRead) {
    make({"a/", "a/b/", "B1/", "B1/deep/", "c/", "c/x.xml", "a/y.xml"});
    link("missing", "gone");
    QStringList folders{root() + "/", root() + "/absent/", root() + "/c/"};
    QStringList visited;
    FolderScan(std::stop_token{})
        .GetSubDirectories2016(
            folders, "*.xml", [&](const QString& folder, const QStringList& names) {
                visited.append(folder.mid(root().size()) + ":" + names.join(','));
            });
    QStringList relative;
    for (const QString& folder : folders)
        relative.append(folder.mid(root().size()));
    // c is given, so the root's way to it is not taken again.
    EXPECT_EQ(relative, QStringList({"/", "/c/", "/a/", "/B1/", "/a/b/", "/B1/deep/"}));
    EXPECT_EQ(visited,
              QStringList({"/:", "/c/:x.xml", "/a/:y.xml", "/B1/:", "/a/b/:", "/B1/deep/:"}));
}

TEST_F(FolderScanTest, PatternIsTheExtensionExactlyAsTyped) {
    make({"a.xml", "b.XML", "c.txt", "noext", "d.xml.bak", ".hidden.xml", ".hid/", ".hid/e.xml",
          "~skip.xml", "~/", "~/kept.xml"});
    EXPECT_EQ(scan(patternForExtension("xml")),
              QStringList({"/.hidden.xml", "/a.xml", "/b.XML", "/.hid/e.xml", "/~/kept.xml"}));
    EXPECT_EQ(scan(patternForExtension("XML")), scan(patternForExtension("xml")));
    EXPECT_EQ(scan(patternForExtension("*")),
              QStringList({"/.hidden.xml", "/a.xml", "/b.XML", "/c.txt", "/d.xml.bak", "/noext",
                           "/.hid/e.xml", "/~/kept.xml"}));
    EXPECT_EQ(scan(EveryFilePattern), scan(patternForExtension("*")));
    EXPECT_TRUE(scan(patternForExtension(".xml")).isEmpty()) << "two dots in a row";
    EXPECT_TRUE(scan(patternForExtension(" xml")).isEmpty()) << "nothing trimmed";
}

TEST_F(FolderScanTest, LinksAreFollowedButEveryFolderIsEnteredOnce) {
    make({"real/", "real/r.xml", "real/inner/", "real/inner/i.xml", "file.xml"});
    link("real", "a-link");      // reached first: its path counts
    link("..", "real/inner/up"); // a cycle back to the root
    link(".", "self");
    link("file.xml", "file-link.xml");
    link("missing", "dangling.xml");
    link("missing-folder", "dangling-folder");
    EXPECT_EQ(scan("*.xml"),
              QStringList({"/file-link.xml", "/file.xml", "/a-link/r.xml", "/a-link/inner/i.xml"}));
}

TEST_F(FolderScanTest, UnsafeFolderNamesAreNotEntered) {
    make({"ok/", "ok/1.xml", "tab\there/", "tab\there/2.xml", "what?/", "what?/3.xml", "bad\xff/",
          "bad\xff/4.xml", "c1\xc2\x85/", "c1\xc2\x85/5.xml", "caf\xc3\xa9/", "caf\xc3\xa9/6.xml",
          "del\x7f/", "del\x7f/7.xml", "q?.xml", "\xfe.xml", "new\nline.xml"});
    EXPECT_EQ(scan("*.xml"), QStringList({"/new\nline.xml", "/q?.xml",
                                          QString::fromUtf8("/café/6.xml"), "/ok/1.xml"}));
}

TEST_F(FolderScanTest, OnlyRegularFilesAreAdded) {
    make({"plain.xml", "folder.xml/", "folder.xml/inside.xml"});
    const QByteArray base = QFile::encodeName(root());
    ASSERT_EQ(::mkfifo((base + "/fifo.xml").constData(), 0644), 0);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = base + "/socket.xml";
    std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(scan("*.xml"), QStringList({"/plain.xml", "/folder.xml/inside.xml"}));
    ::close(s);
    EXPECT_TRUE(IsOpenableFile(root() + "/plain.xml"));
    EXPECT_FALSE(IsOpenableFile(root() + "/fifo.xml"));
    EXPECT_FALSE(IsOpenableFile(root() + "/folder.xml"));
    EXPECT_FALSE(IsOpenableFile(root() + "/absent.xml"));
    EXPECT_TRUE(IsFolder(root() + "/folder.xml"));
    EXPECT_FALSE(IsFolder(root() + "/plain.xml"));
    EXPECT_FALSE(IsFolder(""));
}

// Root lists every folder whatever its permissions, so the failures are made, not met.
TEST_F(FolderScanTest, AFolderThatDeniesAccessOrIsGoneIsDroppedWithItsFilesAndTheScanGoesOn) {
    make({"a/", "a/1.xml", "b/", "b/2.xml", "b/under/", "b/under/3.xml", "c/", "c/4.xml", "c/deep/",
          "c/deep/5.xml", "d/", "d/6.xml"});
    using Failure = FailingListings::Failure;
    const QStringList all{"/a/1.xml", "/b/2.xml",       "/c/4.xml",
                          "/d/6.xml", "/b/under/3.xml", "/c/deep/5.xml"};
    const QStringList allFolders{"/", "/a/", "/b/", "/c/", "/d/", "/b/under/", "/c/deep/"};
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, Failure>> failing; // folders relative to the root
        QStringList added;
        QStringList folders;
    };
    const Case cases[] = {
        {"denies access at once",
         {{"/b/", {EACCES, true}}},
         {"/a/1.xml", "/c/4.xml", "/d/6.xml", "/c/deep/5.xml"},
         {"/", "/a/", "/c/", "/d/", "/c/deep/"}},
        {"is gone at once",
         {{"/b/", {ENOENT, true}}},
         {"/a/1.xml", "/c/4.xml", "/d/6.xml", "/c/deep/5.xml"},
         {"/", "/a/", "/c/", "/d/", "/c/deep/"}},
        {"three deny access, on two levels",
         {{"/a/", {EACCES, true}}, {"/b/", {EACCES, true}}, {"/c/deep/", {EACCES, true}}},
         {"/c/4.xml", "/d/6.xml"},
         {"/", "/c/", "/d/"}},
        {"denies access once its subfolders are read",
         {{"/b/", {EACCES, false}}},
         {"/a/1.xml", "/c/4.xml", "/d/6.xml", "/b/under/3.xml", "/c/deep/5.xml"},
         {"/", "/a/", "/c/", "/d/", "/b/under/", "/c/deep/"}},
        {"is gone once its subfolders are read",
         {{"/b/", {ENOENT, false}}},
         {"/a/1.xml", "/c/4.xml", "/d/6.xml", "/b/under/3.xml", "/c/deep/5.xml"},
         {"/", "/a/", "/c/", "/d/", "/b/under/", "/c/deep/"}},
        {"another failure at once ends the listing and keeps the folder",
         {{"/b/", {EIO, true}}},
         {"/a/1.xml", "/c/4.xml", "/d/6.xml", "/c/deep/5.xml"},
         {"/", "/a/", "/b/", "/c/", "/d/", "/c/deep/"}},
        {"another failure at the end keeps what was read",
         {{"/b/", {EIO, false}}},
         all,
         allFolders},
        {"the folder scanned denies access", {{"/", {EACCES, true}}}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FailingListings calls;
        for (const auto& [folder, failure] : c.failing)
            calls.failures[QFile::encodeName(root() + folder)] = failure;
        EXPECT_EQ(scan("*.xml", {}, calls), c.added);
        QStringList folders{root() + "/"};
        FolderScan(std::stop_token{}, calls)
            .GetSubDirectories2016(folders, "*.xml", [](const QString&, const QStringList&) {});
        for (QString& folder : folders)
            folder = folder.mid(root().size());
        EXPECT_EQ(folders, c.folders);
    }
}

// The system's own refusal, for a user other than root.
TEST_F(FolderScanTest, FoldersThatDenyAccessAreLeftOutQuietly) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may read every folder";
    make({"a/", "a/1.xml", "b/", "b/2.xml", "b/under/", "b/under/3.xml", "c/", "c/4.xml"});
    ::chmod(QFile::encodeName(root() + "/b").constData(), 0);
    EXPECT_EQ(scan("*.xml"), QStringList({"/a/1.xml", "/c/4.xml"}));
    ::chmod(QFile::encodeName(root() + "/b").constData(), 0755);
}

TEST_F(FolderScanTest, SeparatorsStayNormalWhateverTheFolderLooksLike) {
    make({"sub/", "sub/a.xml"});
    EXPECT_EQ(scan("*.xml", root() + "/"), QStringList({"/sub/a.xml"}));
    EXPECT_EQ(scan("*.xml", root() + "/sub//"), QStringList({"/sub//a.xml"}))
        << "three separators collapse to two in one pass";
    EXPECT_TRUE(scan("*.xml", root() + "/absent").isEmpty());
    EXPECT_TRUE(scan("*.xml", root() + "/sub/a.xml").isEmpty()) << "a file is no folder";
}

TEST_F(FolderScanTest, AStoppedScanAddsNothingMore) {
    make({"a/", "a/1.xml", "b/", "b/2.xml"});
    std::stop_source stop;
    stop.request_stop();
    QStringList added;
    FolderScan(stop.get_token()).addFilesBelow(root(), "*.xml", [&](QStringList paths) {
        added += paths;
    });
    EXPECT_TRUE(added.isEmpty());
}

TEST(HasUnsafeCharacters, ControlCodesAndQuestionMarks) {
    EXPECT_FALSE(HasUnsafeCharacters(u"plain name"));
    EXPECT_FALSE(HasUnsafeCharacters(u"caf\u00e9 \u2019 \u65e5\u672c"));
    EXPECT_FALSE(HasUnsafeCharacters(QString::fromUtf8("emoji \xF0\x9F\x98\x80")));
    for (const char16_t code : {u'\0', u'\x1f', u'\x7f', u'\x80', u'\x9f', u'?'})
        EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(code)))) << int(code);
    EXPECT_FALSE(HasUnsafeCharacters(QString(QChar(u'\xa0'))));
}

TEST(ListFilesInFolder, NamesOfOneFolderOnly) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub");
    for (const char* name : {"b.xml", "A.xml", "~c.xml", "sub/d.xml"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(ListFilesInFolder(dir.path(), "*.xml"), QStringList({"A.xml", "b.xml", "~c.xml"}));
    EXPECT_EQ(ListFilesInFolder(dir.path() + "/", "*.XML"), ListFilesInFolder(dir.path(), "*.xml"));
    EXPECT_TRUE(ListFilesInFolder(dir.filePath("absent"), "*.*").isEmpty());
}

} // namespace
