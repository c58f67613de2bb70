#include "output/spreadsheet/CellText.h"

#include <algorithm>

namespace tagmill {

namespace {

// One character at the front of a text: its code point and its bytes; a malformed sequence
// counts as one byte holding U+FFFD.
struct Char {
    char32_t code;
    std::size_t bytes;
};

constexpr Char kMalformed{0xFFFD, 1};

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

Char firstChar(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t bytes = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (bytes == 0 || lead > 0xF4 || text.size() < bytes)
        return kMalformed;
    char32_t code = lead & (0x7F >> bytes);
    for (std::size_t i = 1; i < bytes; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuation(byte))
            return kMalformed;
        code = (code << 6) | (byte & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[bytes] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kMalformed;
    return {code, bytes};
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A spreadsheet reads "_xHHHH_" as the character HHHH, so a text holding one literally must
// have its "_" written as "_x005F_".
bool startsLikeEscape(std::string_view text) {
    return text.size() >= 7 && text[0] == '_' && text[1] == 'x' && text[6] == '_' &&
           std::all_of(text.begin() + 2, text.begin() + 6, isHexDigit);
}

// What XML cannot carry at all, written as the spreadsheet's escape; empty for any other
// character. libxlsxwriter escapes the other control characters itself.
std::string_view escapeOf(char32_t code, std::string_view text) {
    switch (code) {
    case 0x0000:
        return "_x0000_";
    case 0xFFFE:
        return "_xFFFE_";
    case 0xFFFF:
        return "_xFFFF_";
    case '_':
        return startsLikeEscape(text) ? "_x005F_" : "";
    default:
        return "";
    }
}

std::string withoutEquals(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != '='; });
    return kept;
}

} // namespace

CellText cellText(std::string_view utf8, bool dropEquals) {
    const std::string dropped = dropEquals ? withoutEquals(utf8) : std::string();
    std::string_view rest = dropEquals ? std::string_view(dropped) : utf8;
    CellText out;
    out.utf8.reserve(rest.size());
    // libxlsxwriter refuses a text of more than kCellTextMax code points, escapes included, so
    // both that count and the UTF-16 length the cell holds must stay within it.
    qsizetype handed = 0;
    while (!rest.empty()) {
        const Char c = firstChar(rest);
        const std::string_view escape = escapeOf(c.code, rest);
        const qsizetype units = c.code > 0xFFFF ? 2 : 1;
        const qsizetype points = escape.empty() ? 1 : qsizetype(escape.size());
        if (out.length + units > kCellTextMax || handed + points > kCellTextMax) {
            out.cut = true;
            break;
        }
        if (!escape.empty())
            out.utf8 += escape;
        else if (c.code == 0xFFFD && c.bytes == 1)
            out.utf8 += "\xEF\xBF\xBD";
        else
            out.utf8 += rest.substr(0, c.bytes);
        out.length += units;
        handed += points;
        rest.remove_prefix(c.bytes);
    }
    return out;
}

} // namespace tagmill
