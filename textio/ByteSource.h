#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

namespace tagmill {

/// Bytes read front to back in pieces, from a file or from memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Reads the next bytes, at most `size`; 0 once everything has been read. Throws FileError.
    virtual std::size_t read(char* into, std::size_t size) = 0;
    /// Starts again from the first byte.
    virtual void rewind() = 0;
    /// Reads up to `size` bytes from `offset` on, leaving the reading position alone; fewer when
    /// the source ends first. Throws FileError.
    virtual std::size_t readAt(std::uint64_t offset, char* into, std::size_t size) = 0;
};

/// Bytes already in memory; they must outlive the source.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(QByteArrayView bytes) : m_bytes(bytes) {}
    std::size_t read(char* into, std::size_t size) override;
    void rewind() override { m_done = 0; }
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t size) override;

private:
    QByteArrayView m_bytes;
    qsizetype m_done = 0;
};

} // namespace tagmill
