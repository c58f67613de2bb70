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

} // namespace tagmill
