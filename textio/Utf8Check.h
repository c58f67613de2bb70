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
/// short: up to 16 bytes take two loads of 8, here, without a call.
inline bool isAscii(std::string_view bytes) {
    if (bytes.size() > 16)
        return detail::isLongAscii(bytes);
    auto word = [&](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + at, sizeof w);
        return w;
    };
    std::uint64_t any = 0;
    if (bytes.size() >= 8) {
        // The two loads overlap when there are fewer than 16 bytes.
        any = word(0) | word(bytes.size() - 8);
    } else {
        for (char c : bytes)
            any |= static_cast<unsigned char>(c);
    }
    return (any & 0x8080808080808080u) == 0;
}

} // namespace tagmill
