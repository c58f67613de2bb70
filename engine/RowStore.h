#pragma once

#include "engine/SharedChunks.h"

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
    void clear();

    qsizetype size() const { return qsizetype(m_rows.size()); }
    std::string_view value(qsizetype row) const;
    std::string_view path(qsizetype row) const;
    /// The path rows appended now would carry; empty before the first file.
    std::string_view currentPath() const;
    bool isTicked(qsizetype row) const { return m_rows[std::size_t(row)].ticked; }
    void setTicked(qsizetype row, bool ticked);

private:
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
};

} // namespace tagmill
