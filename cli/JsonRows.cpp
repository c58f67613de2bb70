#include "cli/JsonRows.h"

#include <array>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::cli {

namespace {

// Rows are written into this much room beyond their end, so that copies may move whole blocks
// of 16 bytes and only then count how many of them belong.
constexpr std::size_t CopySlack = 64;

bool needsJsonEscape(unsigned char c) {
    return c < 0x20 || c == '"' || c == '\\';
}

#if defined(__SSE2__)
// A bit for each of the 16 bytes at `at` that JSON must escape.
unsigned jsonSpecialsAt(const char* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))));
    return unsigned(_mm_movemask_epi8(special));
}

void copyBlock(char* to, const char* from) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
}
#endif

char* put(char* to, std::string_view bytes) {
    std::memcpy(to, bytes.data(), bytes.size());
    return to + bytes.size();
}

// What stands for each byte that JSON must escape, padded to 8 bytes so that it is stored in one
// move; other bytes have none.
struct Escape {
    char bytes[8];
    std::size_t size;
};

constexpr std::array<Escape, 256> escapeTable() {
    std::array<Escape, 256> table{};
    constexpr char hex[] = "0123456789abcdef";
    for (std::size_t c = 0; c < 0x20; ++c)
        table[c] = {{'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]}, 6};
    const std::pair<char, char> shortOnes[] = {{'"', '"'},  {'\\', '\\'}, {'\r', 'r'}, {'\n', 'n'},
                                               {'\t', 't'}, {'\b', 'b'},  {'\f', 'f'}};
    for (const auto& [c, letter] : shortOnes)
        table[std::size_t(c)] = {{'\\', letter}, 2};
    return table;
}

constexpr std::array<Escape, 256> Escapes = escapeTable();

// Writes the escape of the byte c at `to`, which has 8 bytes of room; returns its end.
char* writeEscape(char* to, char c) {
    const Escape& escape = Escapes[static_cast<unsigned char>(c)];
    std::memcpy(to, escape.bytes, sizeof escape.bytes);
    return to + escape.size;
}

// How many bytes the escapes add to the text. Escapes stand for single bytes, so the growth of
// many values together is that of their bytes in one run; line breaks are common in values, so
// bytes are tested 16 at a time rather than found one by one.
std::size_t jsonEscapeGrowth(std::string_view text) {
    auto growthOf = [](char c) { return Escapes[static_cast<unsigned char>(c)].size - 1; };
    std::size_t growth = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= text.size(); i += 16)
        // Special bytes are few, so they are taken one by one.
        for (unsigned mask = jsonSpecialsAt(text.data() + i); mask != 0; mask &= mask - 1)
            growth += growthOf(text[i + std::size_t(__builtin_ctz(mask))]);
#endif
    for (; i < text.size(); ++i)
        if (needsJsonEscape(static_cast<unsigned char>(text[i])))
            growth += growthOf(text[i]);
    return growth;
}

// Writes the escaped bytes [begin, end) of the text at `to`, which has room for them and
// CopySlack bytes more; returns the end. Each block of 16 bytes is copied whole and tested in
// the same load, so a value without special bytes, short ones above all, is one copy a block.
char* writeJsonEscaped(char* to, std::string_view text, std::size_t begin, std::size_t end) {
    while (begin < end) {
#if defined(__SSE2__)
        if (begin + 16 <= text.size()) {
            const std::size_t count = std::min<std::size_t>(end - begin, 16);
            const unsigned mask = jsonSpecialsAt(text.data() + begin) & ((1u << count) - 1);
            copyBlock(to, text.data() + begin);
            const std::size_t plain = mask == 0 ? count : std::size_t(__builtin_ctz(mask));
            to += plain;
            begin += plain;
            if (mask != 0)
                to = writeEscape(to, text[begin++]);
            continue;
        }
#endif
        const char c = text[begin++];
        if (needsJsonEscape(static_cast<unsigned char>(c)))
            to = writeEscape(to, c);
        else
            *to++ = c;
    }
    return to;
}

// The part of every row before its value, padded to whole blocks of 16 bytes: it is copied a
// block at a time, and what the padding writes the value then writes over.
class RowPrefix {
public:
    explicit RowPrefix(std::string_view prefix) : m_size(prefix.size()) {
        m_padded.assign(prefix);
        m_padded.resize((prefix.size() + 15) / 16 * 16);
    }
    // Writes the prefix at `to`, which has room for it and CopySlack bytes more.
    char* writeAt(char* to) const {
#if defined(__SSE2__)
        if (m_padded.size() <= CopySlack) {
            for (std::size_t i = 0; i < m_padded.size(); i += 16)
                copyBlock(to + i, m_padded.data() + i);
            return to + m_size;
        }
#endif
        return put(to, std::string_view(m_padded).substr(0, m_size));
    }

private:
    std::string m_padded;
    std::size_t m_size;
};

} // namespace

void appendJsonEscaped(std::string& out, std::string_view text) {
    const std::size_t at = out.size();
    const std::size_t size = at + text.size() + jsonEscapeGrowth(text);
    out.resize(size + CopySlack);
    writeJsonEscaped(out.data() + at, text, 0, text.size());
    out.resize(size);
}

// The rows of a batch are sized before any is written, so that the buffer grows once and each
// row is copied into place instead of appended piece by piece.
void writeJsonRows(std::string& out, std::size_t at, std::string_view prefix,
                   const ValueBatch& values) {
    constexpr char end[] = {'"', '}', '\n'};
    const std::string_view text = values.text();
    const RowPrefix rowPrefix(prefix);
    const std::size_t size =
        at + text.size() + jsonEscapeGrowth(text) + values.count() * (prefix.size() + sizeof end);
    out.resize(size + CopySlack);
    char* to = out.data() + at;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < values.count(); ++i) {
        const std::size_t valueEnd = begin + values.value(i).size();
        to = rowPrefix.writeAt(to);
        to = writeJsonEscaped(to, text, begin, valueEnd);
        std::memcpy(to, end, sizeof end);
        to += sizeof end;
        begin = valueEnd;
    }
    out.resize(size);
}

} // namespace tagmill::cli
