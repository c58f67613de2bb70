#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace tagmill {

/// Values in UTF-8, kept in one shared buffer with their end offsets: millions of values cost
/// one allocation, not one string each.
class ValueBatch {
public:
    ValueBatch() = default;
    ValueBatch(const ValueBatch& other);
    ValueBatch(ValueBatch&& other) noexcept;
    ValueBatch& operator=(const ValueBatch& other);
    ValueBatch& operator=(ValueBatch&& other) noexcept;
    ~ValueBatch() = default;

    // Always inline: on the path of every value out of the search, as HeldValues::add is.
    [[gnu::always_inline]] void append(std::string_view utf8) {
        if (utf8.size() > m_capacity - m_size)
            grow(utf8.size());
        copyBytes(m_text.get() + m_size, utf8.data(), utf8.size());
        m_size += utf8.size();
        m_ends.push_back(m_size);
    }
    /// Forgets the values, keeping the memory.
    void clear() {
        m_size = 0;
        m_ends.clear();
    }
    std::size_t count() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::size_t textSize() const { return m_size; }
    /// All the values, one after another. Never a null pointer, even before the first byte, so
    /// that callers may pass it to memcpy and the like with a size of 0.
    std::string_view text() const { return {m_text ? m_text.get() : "", m_size}; }
    std::size_t byteSize() const { return m_size + m_ends.size() * sizeof(std::size_t); }
    /// Where value i ends in text().
    std::size_t endOf(std::size_t i) const { return m_ends[i]; }
    std::string_view value(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
        return text().substr(begin, m_ends[i] - begin);
    }

private:
    // Copies n bytes. Values are mostly short, and a call of memcpy costs more than copying
    // them: up to 32 bytes take two loads and two stores of one width, which overlap as needed.
    static void copyBytes(char* to, const char* from, std::size_t n) {
        auto firstAndLast = [&](auto word) {
            constexpr std::size_t width = sizeof word;
            decltype(word) last;
            std::memcpy(&word, from, width);
            std::memcpy(&last, from + n - width, width);
            std::memcpy(to, &word, width);
            std::memcpy(to + n - width, &last, width);
        };
        struct Block {
            char bytes[16];
        };
        if (n > 32)
            std::memcpy(to, from, n);
        else if (n >= 16)
            firstAndLast(Block());
        else if (n >= 8)
            firstAndLast(std::uint64_t());
        else if (n >= 4)
            firstAndLast(std::uint32_t());
        else if (n > 0)
            // The first, middle and last byte are all of one, two or three.
            to[0] = from[0], to[n / 2] = from[n / 2], to[n - 1] = from[n - 1];
    }
    // Makes room for n more bytes, at least doubling it.
    void grow(std::size_t n);

    std::unique_ptr<char[]> m_text; // m_capacity bytes, the first m_size of them the values'
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::vector<std::size_t> m_ends;
};

} // namespace tagmill
