#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tagmill {

/// Values in UTF-8, kept in one shared buffer with their end offsets: millions of values cost
/// one allocation, not one string each.
class ValueBatch {
public:
    void append(std::string_view utf8) {
        m_text.append(utf8);
        m_ends.push_back(m_text.size());
    }
    /// Forgets the values, keeping the memory.
    void clear() {
        m_text.clear();
        m_ends.clear();
    }
    std::size_t count() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::size_t textSize() const { return m_text.size(); }
    /// All the values, one after another.
    std::string_view text() const { return m_text; }
    std::size_t byteSize() const { return m_text.size() + m_ends.size() * sizeof(std::size_t); }
    /// Where value i ends in text().
    std::size_t endOf(std::size_t i) const { return m_ends[i]; }
    std::string_view value(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_text).substr(begin, m_ends[i] - begin);
    }

private:
    std::string m_text;
    std::vector<std::size_t> m_ends;
};

} // namespace tagmill
