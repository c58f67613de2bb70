#pragma once

#include "textio/ByteSource.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

namespace tagmill {

// Only regular files are read. Anything else fails with a FileError whose description is the
// system's own text for what went wrong ("No such file or directory", "Permission denied",
// "Is a directory", ...), or "Not a regular file" for a FIFO, a socket or a device: a FIFO
// would keep the reader waiting for a writer, and a device such as /dev/zero never ends.

/// What a FileError says about a FIFO, a socket or a device.
inline constexpr char NotARegularFile[] = "Not a regular file";

/// A regular file read front to back. Only the bytes it held when it was opened are read, so a
/// file that keeps growing cannot keep a reader going; one cut short gives what is left.
class FileStream : public ByteSource {
public:
    /// Opens the file. Throws FileError.
    explicit FileStream(const QString& path);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    /// The length when the file was opened.
    qint64 size() const { return m_size; }
    std::size_t read(char* into, std::size_t size) override;
    void rewind() override;
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t size) override;

private:
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_done = 0;
};

/// Reads the whole file into `into`, reusing its capacity. Throws FileError on failure.
void readWholeFile(const QString& path, QByteArray& into);

/// Reads at most maxBytes from the start of the file into `into` and returns the file's
/// length. Throws FileError on failure.
qint64 readFileHead(const QString& path, qint64 maxBytes, QByteArray& into);

/// Throws FileError with the system's reason when nothing is found at the path; whatever is
/// there will do.
void requireExists(const QString& path);

// Lists are another matter: a list may come from a pipe, so its readers take whatever can be
// read, a FIFO or /dev/fd/N included, and read it to its end.

/// Reads from the descriptor until it ends, appending to `into` in pieces with room to spare,
/// so that a list of hundreds of megabytes costs no more than its length. Throws FileError.
void readToEnd(int fd, QByteArray& into);

/// Opens whatever is at the path, waiting for a writer if it is a FIFO, and reads it to its
/// end into `into`. False when nothing is found at the path; throws FileError when what is
/// there cannot be opened or read.
bool readWholeStream(const QString& path, QByteArray& into);

namespace detail {

/// The system calls behind FileBytes, so that tests can make them fail or change the file
/// between two of them. Each works as the POSIX call of its name: -1 and errno on failure.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int stat(const char* path, struct stat& info);
    virtual int open(const char* path, int flags);
    virtual int fstat(int fd, struct stat& info);
    virtual ssize_t read(int fd, void* buffer, std::size_t size);
    virtual off_t lseek(int fd, off_t offset, int whence);
    virtual ssize_t pread(int fd, void* buffer, std::size_t size, off_t offset);
    virtual int close(int fd);
};

/// Makes FileBytes go through `calls` (nullptr: the system's own) and returns the calls it
/// went through before. Only while no file is being read.
FileCalls* setFileCalls(FileCalls* calls);

} // namespace detail

} // namespace tagmill
