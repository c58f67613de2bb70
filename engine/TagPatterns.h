#pragma once

#include "engine/Searches.h"

#include <QString>

#include <optional>

namespace tagmill::detail {

/// The patterns of a tag for searching UTF-16 text.
TagPatterns<char16_t> wideTagPatterns(const QString& tag);

/// The patterns of a tag for searching bytes; none when the tag holds a non-ASCII character,
/// which only the UTF-16 search can compare case-insensitively.
std::optional<TagPatterns<char>> bytePatterns(const QString& tag);

} // namespace tagmill::detail
