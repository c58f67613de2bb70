#include "engine/ValueBatch.h"

#include <algorithm>
#include <utility>

namespace tagmill {

ValueBatch::ValueBatch(const ValueBatch& other) : m_ends(other.m_ends) {
    if (other.m_size == 0)
        return;
    grow(other.m_size);
    std::memcpy(m_text.get(), other.m_text.get(), other.m_size);
    m_size = other.m_size;
}

ValueBatch::ValueBatch(ValueBatch&& other) noexcept
    : m_text(std::move(other.m_text)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0)), m_ends(std::move(other.m_ends)) {
    other.m_ends.clear();
}

ValueBatch& ValueBatch::operator=(const ValueBatch& other) {
    if (this != &other)
        *this = ValueBatch(other);
    return *this;
}

ValueBatch& ValueBatch::operator=(ValueBatch&& other) noexcept {
    m_text = std::move(other.m_text);
    m_size = std::exchange(other.m_size, 0);
    m_capacity = std::exchange(other.m_capacity, 0);
    m_ends = std::move(other.m_ends);
    other.m_ends.clear();
    return *this;
}

void ValueBatch::grow(std::size_t n) {
    constexpr std::size_t Smallest = 256;
    const std::size_t capacity = std::max({m_capacity * 2, m_size + n, Smallest});
    // Left uninitialised: only what is appended is ever read.
    std::unique_ptr<char[]> bigger(new char[capacity]);
    if (m_size > 0)
        std::memcpy(bigger.get(), m_text.get(), m_size);
    m_text = std::move(bigger);
    m_capacity = capacity;
}

} // namespace tagmill
