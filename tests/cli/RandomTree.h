#pragma once

// Random folder trees full of names and entries that scans trip over.

#include <QByteArray>
#include <QTemporaryDir>

namespace tagmill::test {

/// A temporary folder filled from a seed with folders and files of awkward names (spaces,
/// unicode, leading dots and "~", names equal but for case, control characters, "?",
/// backslashes, bytes that are not UTF-8), links to folders (cycles too), links to files,
/// dangling links and FIFOs; all removed with it.
class RandomTree {
public:
    explicit RandomTree(quint32 seed);
    ~RandomTree();

    const QByteArray& root() const { return m_root; }

private:
    QTemporaryDir m_dir;
    QByteArray m_root;
};

} // namespace tagmill::test
