#include "RandomTree.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tagmill::test {

namespace {

const QByteArray FileNames[] = {
    "a.xml",
    "A.XML",
    "b.Xml",
    "c.txt",
    "C.TXT",
    "noext",
    "d.xml.bak",
    ".hidden.xml",
    ".x",
    "~tilde.xml",
    "~",
    "sp ace.xml",
    " lead.xml",
    "caf\xc3\xa9.xml",
    "CAF\xc3\x89.XML",
    "\xe6\x97\xa5\xe6\x9c\xac.xml",
    "stra\xc3\x9f"
    "e.xml",
    "STRASSE.xml",
    "emoji\xf0\x9f\x98\x80.xml",
    "back\\slash.xml",
    "\\\\two.xml",
    "q?.xml",
    "new\nline.xml",
    "tab\t.xml",
    "del\x7f.xml",
    "c1\xc2\x85.xml",
    "bad\xff.xml",
    "half\xc3.xml",
    "sur\xed\xa0\x80.xml",
    "over\xc0\xaf.xml",
    "x.xmlx",
    "y.xm",
    "z.",
    "Z.XmL",
};

const QByteArray FolderNames[] = {
    "d",
    "D",
    "e",
    "sp ace",
    ".hid",
    "~fold",
    "caf\xc3\xa9",
    "CAF\xc3\x89",
    "what?",
    "tab\there",
    "c1\xc2\x85",
    "del\x7f",
    "bad\xfe",
    "half\xc3",
    "back\\slash",
    "\\\\",
    "f.xml",
    "\xe6\x97\xa5",
    "nbsp\xc2\xa0",
    "q\xef\xbc\x9f",
    "sur\xed\xa0\x80",
};

// Distinct entries of a pool, picked at random.
template <std::size_t N>
QList<QByteArray> pick(const QByteArray (&pool)[N], int count, QRandomGenerator& random) {
    std::set<int> chosen; // ordered, so that one seed always makes one tree
    while (int(chosen.size()) < count)
        chosen.insert(int(random.bounded(quint32(N))));
    QList<QByteArray> names;
    for (const int i : chosen)
        names.append(pool[i]);
    return names;
}

void makeFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    EXPECT_GE(fd, 0) << path.constData();
    if (fd >= 0)
        ::close(fd);
}

void makeLink(const QByteArray& target, const QByteArray& path) {
    EXPECT_EQ(::symlink(target.constData(), path.constData()), 0) << path.constData();
}

QByteArray anyOf(const QList<QByteArray>& paths, QRandomGenerator& random) {
    return paths[random.bounded(int(paths.size()))];
}

void makeTree(const QByteArray& root, QRandomGenerator& random) {
    QList<QByteArray> folders{root};
    QList<QByteArray> files;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QByteArray folder = folders[i];
        for (const QByteArray& name : pick(FileNames, random.bounded(3, 12), random)) {
            files.append(folder + '/' + name);
            makeFile(files.last());
        }
        // The first folder always branches, so that every tree has some depth.
        const int subfolders = folders.size() < 40 ? random.bounded(i == 0 ? 2 : 0, 4) : 0;
        for (const QByteArray& name : pick(FolderNames, subfolders, random)) {
            folders.append(folder + '/' + name);
            EXPECT_EQ(::mkdir(folders.last().constData(), 0755), 0) << folders.last().constData();
        }
    }
    // Links to folders may point anywhere, ancestors included; the last one closes a cycle.
    const QByteArray linkNames[] = {"link", "Link", "~link", "l?nk", "link.xml", "\x01link"};
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = linkNames[i % std::size(linkNames)] + QByteArray::number(i);
        makeLink(anyOf(folders, random), anyOf(folders, random) + '/' + name);
    }
    makeLink(root, folders.last() + "/up");
    for (int i = 0; i < 4; ++i) {
        const QByteArray folder = anyOf(folders, random) + '/';
        if (!files.isEmpty())
            makeLink(anyOf(files, random), folder + "file-link" + QByteArray::number(i) + ".xml");
        makeLink(root + "/absent", folder + "dangling" + QByteArray::number(i) + ".xml");
        const QByteArray fifo = folder + "fifo" + QByteArray::number(i) + ".XML";
        EXPECT_EQ(::mkfifo(fifo.constData(), 0644), 0);
        makeLink(fifo, folder + "fifo-link" + QByteArray::number(i) + ".xml");
    }
}

} // namespace

RandomTree::RandomTree(quint32 seed) : m_root(QFile::encodeName(m_dir.path()) + "/tree") {
    QRandomGenerator random(seed);
    EXPECT_EQ(::mkdir(m_root.constData(), 0755), 0);
    makeTree(m_root, random);
}

// QTemporaryDir goes by QString names, which cannot hold every byte of a name.
RandomTree::~RandomTree() {
    std::error_code error;
    std::filesystem::remove_all(m_root.toStdString(), error);
    EXPECT_FALSE(error) << error.message();
}

} // namespace tagmill::test
