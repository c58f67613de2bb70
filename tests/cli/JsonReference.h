#pragma once

// JSON string contents escaped as RFC 8259 gives them, byte by byte: the quote, the backslash and
// the control characters; everything else stays as its UTF-8 bytes. Written plainly, apart from
// the runner's vectorised escaper, as the reference its output is checked against.

#include <string>
#include <string_view>

namespace tagmill::test {

inline std::string jsonEscapedByteByByte(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += "0123456789abcdef"[byte >> 4];
                out += "0123456789abcdef"[byte & 15];
            } else {
                out += c;
            }
        }
    }
    return out;
}

} // namespace tagmill::test
