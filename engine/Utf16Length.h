#pragma once

#include <QtGlobal>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tagmill {

/// The length of UTF-8 text in UTF-16 units, the way the table counts characters: a character
/// beyond U+FFFF counts two.
inline qsizetype utf16Length(std::string_view utf8) {
    qsizetype length = 0;
    std::size_t i = 0;
    // Most text is ASCII, where every byte is one unit: eight bytes are checked at once.
    for (; i + 8 <= utf8.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, utf8.data() + i, 8);
        if ((word & 0x8080808080808080u) != 0)
            break;
        length += 8;
    }
    for (; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        length += (byte & 0xC0) != 0x80; // a character starts here
        length += byte >= 0xF0;          // and needs a surrogate pair
    }
    return length;
}

} // namespace tagmill
