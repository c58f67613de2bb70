#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tagmill {

/// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
/// above U+10FFFF), 32 bytes at a time where the processor has AVX2.
bool isValidUtf8(std::string_view bytes);

namespace detail {
bool isLongAscii(std::string_view bytes);
} // namespace detail

/// True when every byte is below 0x80. Asked of nearly every value found, and most values are
/// short: up to 32 bytes take two to four overlapping loads, here, without a call or a loop.
inline bool isAscii(std::string_view bytes) {
    const std::size_t size = bytes.size();
    if (size > 32)
        return detail::isLongAscii(bytes);
    auto load = [&](auto word, std::size_t at) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        return std::uint64_t(word);
    };
    std::uint64_t any = 0;
    if (size > 16)
        any = load(std::uint64_t(), 0) | load(std::uint64_t(), 8) |
              load(std::uint64_t(), size - 16) | load(std::uint64_t(), size - 8);
    else if (size >= 8)
        any = load(std::uint64_t(), 0) | load(std::uint64_t(), size - 8);
    else if (size >= 4)
        any = load(std::uint32_t(), 0) | load(std::uint32_t(), size - 4);
    else if (size > 0)
        // The first, middle and last byte are all of one, two or three.
        any = load(std::uint8_t(), 0) | load(std::uint8_t(), size / 2) |
              load(std::uint8_t(), size - 1);
    return (any & 0x8080808080808080u) == 0;
}

} // namespace tagmill
