#include "textio/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace tagmill {

std::size_t MemorySource::read(char* into, std::size_t size) {
    const auto n = std::size_t(std::min<qsizetype>(qsizetype(size), m_bytes.size() - m_done));
    if (n > 0)
        std::memcpy(into, m_bytes.data() + m_done, n);
    m_done += qsizetype(n);
    return n;
}

std::size_t MemorySource::readAt(std::uint64_t offset, char* into, std::size_t size) {
    if (offset >= std::uint64_t(m_bytes.size()))
        return 0;
    const auto n = std::min<std::size_t>(size, std::size_t(m_bytes.size()) - std::size_t(offset));
    std::memcpy(into, m_bytes.data() + offset, n);
    return n;
}

} // namespace tagmill
