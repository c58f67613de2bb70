#pragma once

#include "engine/ResultsSnapshot.h"

#include <QtGlobal>

#include <cstdint>

namespace tagmill {

/// The rows a sheet holds, the header row included.
inline constexpr qsizetype kSheetRows = 1048576;

/// The most bytes a zip holds per file without ZIP64 extensions.
inline constexpr std::uint64_t kZip32Limit = 0xFFFFFFFF;

/// The most bytes the sheet's XML can take for this table: each text byte becomes at most seven
/// ("_x0001_"), and each cell and row adds less than a hundred bytes of markup.
std::uint64_t sheetXmlBound(const ResultsSnapshot& table);

} // namespace tagmill
