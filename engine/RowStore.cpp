#include "engine/RowStore.h"

#include "engine/Utf16Length.h"

#include <algorithm>

namespace tagmill {

namespace {

constexpr std::size_t BlockBytes = 1 << 20;

} // namespace

void RowStore::startFile(std::string_view pathUtf8) {
    if (!m_paths.empty() && m_paths.back() == pathUtf8)
        return;
    m_paths.push_back(std::string(pathUtf8));
}

void RowStore::append(std::string_view valueUtf8, bool ticked) {
    const auto path = quint32(m_paths.size() - 1);
    // A path counts once a row shows it.
    if (m_rows.empty() || m_rows.back().path != path)
        m_longestPath = std::max(m_longestPath, utf16Length(m_paths[path]));
    m_rows.push_back({appendText(valueUtf8), path, ticked});
    m_longestValue = std::max(m_longestValue, utf16Length(valueUtf8));
}

void RowStore::append(const ValueBatch& values, bool ticked) {
    for (std::size_t i = 0; i < values.count(); ++i)
        append(values.value(i), ticked);
}

void RowStore::clear() {
    m_rows.clear();
    m_paths.clear();
    m_blocks.clear();
    m_longestValue = 0;
    m_longestPath = 0;
}

std::string_view RowStore::currentPath() const {
    return m_paths.empty() ? std::string_view() : std::string_view(m_paths.back());
}

void RowStore::setTicked(qsizetype row, bool ticked) {
    if (isTicked(row) != ticked)
        m_rows.mutableAt(std::size_t(row)).ticked = ticked;
}

// A block that a copy shares is left as it is: the text goes on in a new block.
std::uint64_t RowStore::appendText(std::string_view utf8) {
    const bool fits = !m_blocks.empty() && m_blocks.back().use_count() == 1 &&
                      m_blocks.back()->size() + utf8.size() <= m_blocks.back()->capacity();
    if (!fits) {
        m_blocks.push_back(std::make_shared<std::string>());
        m_blocks.back()->reserve(std::max(BlockBytes, utf8.size()));
    }
    m_blocks.back()->append(utf8);
    return place(m_blocks.size() - 1, m_blocks.back()->size());
}

std::string_view RowStore::value(qsizetype row) const {
    const std::uint64_t here = m_rows[std::size_t(row)].place;
    const std::uint64_t previous = row > 0 ? m_rows[std::size_t(row - 1)].place : 0;
    const bool sameBlockAsPrevious = row > 0 && blockOf(previous) == blockOf(here);
    const std::size_t begin = sameBlockAsPrevious ? endOf(previous) : 0;
    return std::string_view(*m_blocks[blockOf(here)]).substr(begin, endOf(here) - begin);
}

std::string_view RowStore::path(qsizetype row) const {
    return m_paths[m_rows[std::size_t(row)].path];
}

} // namespace tagmill
