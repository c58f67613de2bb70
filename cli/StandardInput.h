#pragma once

#include <QByteArray>
#include <QString>

namespace tagmill::cli {

// Standard input is read only when a list or a file is given as "-". A terminal there is
// refused rather than read: nothing would show that the program waits for a list typed by
// hand, and a run would look like a hang. Whoever means it can type into "cat |".

/// Standard input read to its end. Throws FileError when it is closed, a terminal, or cannot be
/// read.
QByteArray readStandardInput();

/// Standard input copied whole into an unnamed file in the temporary folder, so that it is
/// searched as any file is: from its start, as often as the search needs. The file goes with
/// the copy, and with the program however it ends.
class StandardInputCopy {
public:
    /// Copies standard input to its end. Throws FileError as readStandardInput does, or when
    /// the copy cannot be written.
    StandardInputCopy();
    ~StandardInputCopy();
    StandardInputCopy(const StandardInputCopy&) = delete;
    StandardInputCopy& operator=(const StandardInputCopy&) = delete;

    /// A path that opens the copy.
    QString path() const;

private:
    int m_fd = -1;
};

} // namespace tagmill::cli
