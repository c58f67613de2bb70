#pragma once

#include "engine/SharedChunks.h"
#include "engine/ValueBatch.h"

#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tagmill {

/// The rows of a results table, compact: each value in UTF-8 in shared blocks of text, each
/// file's path once, a tick per row. Ten million rows stay small, and a copy is cheap and
/// stays as it was whatever later happens to the original, so a writer can take one to another
/// thread while the window goes on filling or clearing the table.
class RowStore {
public:
    /// The rows appended from now on come from the file with this path.
    void startFile(std::string_view pathUtf8);
    void append(std::string_view valueUtf8, bool ticked = false);
    /// Appends a row for every value of the batch.
    void append(const ValueBatch& values, bool ticked = false);
    void clear();

    qsizetype size() const { return qsizetype(m_rows.size()); }
    std::string_view value(qsizetype row) const;
    std::string_view path(qsizetype row) const;
    /// The path rows appended now would carry; empty before the first file.
    std::string_view currentPath() const;
    bool isTicked(qsizetype row) const { return m_rows[std::size_t(row)].ticked; }
    void setTicked(qsizetype row, bool ticked);

    struct RowView {
        std::string_view value;
        std::string_view path;
        bool ticked;
    };
    /// Calls visit with every row in order from the first given, until it returns false; false
    /// then. Faster than reading the rows one by one by number.
    template <typename Visit> bool forEach(qsizetype first, Visit&& visit) const;

    /// The longest value and the longest path of every row, ticked or not, in UTF-16 units:
    /// the writers' column widths, known without reading every row again.
    qsizetype longestValue() const { return m_longestValue; }
    qsizetype longestPath() const { return m_longestPath; }

private:
    // A row's place: the block index in the high bits, the value's end in the block in the low
    // ones; a value begins where the row before it ended in the same block.
    static constexpr int EndBits = 40;
    static constexpr std::uint64_t place(std::size_t block, std::size_t end) {
        return std::uint64_t(block) << EndBits | end;
    }
    static constexpr std::size_t blockOf(std::uint64_t place) { return place >> EndBits; }
    static constexpr std::size_t endOf(std::uint64_t place) {
        return place & ((std::uint64_t(1) << EndBits) - 1);
    }

    std::uint64_t appendText(std::string_view utf8); // gives the value's place

    struct Row {
        std::uint64_t place; // its block, and the end of its value there
        quint32 path;        // index into m_paths
        bool ticked;
    };
    SharedChunks<Row, 16384> m_rows;
    SharedChunks<std::string, 1024> m_paths; // each file once
    // Every value back to back in blocks; a block is only appended to while no copy shares it.
    std::vector<std::shared_ptr<std::string>> m_blocks;
    qsizetype m_longestValue = 0;
    qsizetype m_longestPath = 0;
};

template <typename Visit> bool RowStore::forEach(qsizetype first, Visit&& visit) const {
    if (first >= size())
        return true;
    std::size_t block = 0;
    std::size_t begin = 0;
    if (first > 0) {
        const std::uint64_t previous = m_rows[std::size_t(first - 1)].place;
        block = blockOf(previous);
        begin = endOf(previous);
    }
    return m_rows.forEach(std::size_t(first), [&](const Row& row) {
        const std::size_t rowBlock = blockOf(row.place);
        const std::size_t end = endOf(row.place);
        if (rowBlock != block) {
            block = rowBlock;
            begin = 0;
        }
        const std::string_view value =
            std::string_view(*m_blocks[block]).substr(begin, end - begin);
        begin = end;
        return visit(RowView{value, m_paths[row.path], row.ticked});
    });
}

} // namespace tagmill
