#pragma once

#include "engine/ByteScanIsa.h"

#include <array>
#include <string_view>

namespace tagmill::detail {

// Case-insensitive comparison works on folded code units. ASCII letters fold among themselves;
// other characters fold by Unicode simple case folding, except that a non-ASCII character never
// folds onto an ASCII one (the Kelvin sign is not a k). That keeps every ASCII pattern
// searchable directly in UTF-8 and Windows-1252 bytes. A character beyond U+FFFF folds as a
// whole, and its two surrogates compare as the two units of its folded form; folding never
// crosses U+FFFF, so folded text is as long as the text and positions stay.

inline char foldUnit(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

char16_t foldUnit(char16_t c);

/// The unit at position i of the folded text: a surrogate pair folds as the character it encodes.
char16_t foldedUnitAt(std::u16string_view text, std::size_t i);

/// The text with every character folded.
std::u16string foldText(std::u16string_view text);

/// Position of the first occurrence of foldedPattern at or after `from`, comparing folded
/// units; npos when there is none.
std::size_t findFolded(std::u16string_view text, std::size_t from,
                       std::u16string_view foldedPattern);

/// Position of the first CR or LF at or after `from`; the text's length when there is none.
/// The first "<" at or after i followed as one of the probes says, as far as whole vectors go
/// (npos when there is none there); leaves i where the caller's byte-by-byte loop goes on.
std::size_t vectorFindProbed(std::string_view text, std::size_t& i, const PatternProbe* probes,
                             std::size_t count, std::size_t longestOffset);
/// The same for a "<" whose next byte `follows` lets through.
std::size_t vectorFindFollowedLt(std::string_view text, std::size_t& i,
                                 const std::array<bool, 256>& follows);

std::size_t findLineBreak(std::string_view text, std::size_t from);
std::size_t findLineBreak(std::u16string_view text, std::size_t from);

} // namespace tagmill::detail
