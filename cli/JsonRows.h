#pragma once

#include "engine/ValueBatch.h"

#include <string>
#include <string_view>

namespace tagmill::cli {

/// JSON string contents with the escapes of RFC 8259, "\u00xx" for other control characters.
void appendJsonEscaped(std::string& out, std::string_view text);

/// One JSON row for each value, `prefix` before the escaped value and "\"}\n" after it, written
/// from `at` on over whatever `out` holds there; `out` then ends with the last row.
void writeJsonRows(std::string& out, std::size_t at, std::string_view prefix,
                   const ValueBatch& values);

} // namespace tagmill::cli
