#pragma once

#include <string_view>

namespace tagmill {

/// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
/// above U+10FFFF), 32 bytes at a time where the processor has AVX2.
bool isValidUtf8(std::string_view bytes);

/// True when every byte is below 0x80.
bool isAscii(std::string_view bytes);

} // namespace tagmill
