#include "cli/JsonRows.h"

#include <algorithm>
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
__m128i load(const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// 0xFF for each of the bytes that are control characters.
__m128i controlBytes(__m128i v) {
    return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v);
}

// 0xFF for each of the bytes that JSON must escape: control characters, the quote and the
// backslash.
__m128i specialBytes(__m128i v, __m128i control) {
    return _mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                              _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))));
}

// A bit for each of the 16 bytes at `at` that JSON must escape.
unsigned jsonSpecialsAt(const char* at) {
    const __m128i v = load(at);
    return unsigned(_mm_movemask_epi8(specialBytes(v, controlBytes(v))));
}

void copyBlock(char* to, const char* from) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), load(from));
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

#if defined(__SSE2__)
// For each of the 16 bytes at `at`, how many bytes its escape adds: 1 for the two-byte escapes
// of the quote, the backslash, BS, TAB, LF, FF and CR, 5 for the "\u00xx" of other control
// characters, 0 for every other byte.
__m128i escapeGrowthAt(const char* at) {
    const __m128i v = load(at);
    const __m128i control = controlBytes(v);
    const __m128i special = specialBytes(v, control);
    // BS to CR (8 to 13) but VT (11) are written with two bytes.
    const __m128i fromBs = _mm_sub_epi8(v, _mm_set1_epi8('\b'));
    const __m128i bsToCr = _mm_cmpeq_epi8(_mm_min_epu8(fromBs, _mm_set1_epi8(5)), fromBs);
    const __m128i twoBytes = _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\v')), bsToCr);
    const __m128i sixBytes = _mm_andnot_si128(twoBytes, control);
    return _mm_or_si128(_mm_and_si128(special, _mm_set1_epi8(1)),
                        _mm_and_si128(sixBytes, _mm_set1_epi8(4)));
}
#endif

// How many bytes the escapes add to the text. Escapes stand for single bytes, so the growth of
// many values together is that of their bytes in one run. Special bytes come at places no
// processor can foresee, line breaks among the values above all, so blocks of 16 bytes are
// summed without a branch on what they hold.
std::size_t jsonEscapeGrowth(std::string_view text) {
    std::size_t growth = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Each byte adds at most 5 a block, so 51 blocks' sums fit in a byte.
    constexpr std::size_t BlocksPerSum = 51;
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= text.size()) {
        __m128i sums = zero;
        for (std::size_t n = 0; n < BlocksPerSum && i + 16 <= text.size(); ++n, i += 16)
            sums = _mm_add_epi8(sums, escapeGrowthAt(text.data() + i));
        const __m128i halves = _mm_sad_epu8(sums, zero);
        growth +=
            std::size_t(_mm_cvtsi128_si64(halves)) + std::size_t(_mm_extract_epi16(halves, 4));
    }
#endif
    for (; i < text.size(); ++i)
        if (const auto c = static_cast<unsigned char>(text[i]); needsJsonEscape(c))
            growth += Escapes[c].size - 1;
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
