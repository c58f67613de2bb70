#include "cli/JsonRows.h"

#include <algorithm>
#include <array>
#include <cstdint>
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
[[gnu::noinline]] char* writeJsonEscaped(char* to, std::string_view text, std::size_t begin,
                                         std::size_t end) {
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

// The part of every row before its value, padded to CopySlack bytes and kept as four blocks: all
// of them are stored every time, without a loop, and what the padding writes the value then
// writes over.
class RowPrefix {
public:
    explicit RowPrefix(std::string_view prefix) : m_prefix(prefix) {
#if defined(__SSE2__)
        char padded[CopySlack] = {};
        std::memcpy(padded, prefix.data(), std::min(prefix.size(), CopySlack));
        for (std::size_t i = 0; i < 4; ++i)
            m_blocks[i] = load(padded + 16 * i);
#endif
    }
    // Writes the prefix at `to`, which has room for it and CopySlack bytes more.
    char* writeAt(char* to) const {
#if defined(__SSE2__)
        static_assert(CopySlack == 4 * 16);
        if (m_prefix.size() <= CopySlack) {
            for (std::size_t i = 0; i < 4; ++i)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * i), m_blocks[i]);
            return to + m_prefix.size();
        }
#endif
        return put(to, m_prefix);
    }

private:
    std::string_view m_prefix;
#if defined(__SSE2__)
    __m128i m_blocks[4];
#endif
};

// Writes the escaped bytes [begin, end) of the text at `to` as writeJsonEscaped does. A value of
// up to 32 bytes with nothing to escape, as most are, takes a copy or two here without a call;
// writeJsonEscaped stays out of line for the others, so that this path stays small.
inline char* writeJsonValue(char* to, std::string_view text, std::size_t begin, std::size_t end) {
#if defined(__SSE2__)
    const std::size_t count = end - begin;
    const char* from = text.data() + begin;
    if (count <= 16 && begin + 16 <= text.size()) {
        if ((jsonSpecialsAt(from) & ((1u << count) - 1)) == 0) {
            copyBlock(to, from);
            return to + count;
        }
    } else if (count <= 32 && begin + 32 <= text.size()) {
        const std::uint64_t specials = jsonSpecialsAt(from) | jsonSpecialsAt(from + 16) << 16;
        if ((specials & ((std::uint64_t(1) << count) - 1)) == 0) {
            copyBlock(to, from);
            copyBlock(to + 16, from + 16);
            return to + count;
        }
    }
#endif
    return writeJsonEscaped(to, text, begin, end);
}

// The most bytes an escape stands in for one byte.
constexpr std::size_t LongestEscape = 6;

} // namespace

void appendJsonEscaped(std::string& out, std::string_view text) {
    const std::size_t at = out.size();
    const std::size_t size = at + text.size() + jsonEscapeGrowth(text);
    out.resize(size + CopySlack);
    writeJsonEscaped(out.data() + at, text, 0, text.size());
    out.resize(size);
}

// The rows of a batch are written into room for them as they would be without escapes and an
// eighth of the values' bytes more, so the buffer mostly grows once; only a value whose escapes
// could run past the room makes it grow again. Counting the escapes first would take a pass of its
// own over every value.
void writeJsonRows(std::string& out, std::size_t at, std::string_view prefix,
                   const ValueBatch& values) {
    constexpr char end[] = {'"', '}', '\n'};
    const std::string_view text = values.text();
    const RowPrefix rowPrefix(prefix);
    const std::size_t rowExtra = prefix.size() + sizeof end;
    // Room for the rows from value `first` on, escaped or not, and CopySlack bytes more.
    auto plainRoom = [&](std::size_t first, std::size_t from) {
        const std::size_t rest = text.size() - from;
        return rest + rest / 8 + (values.count() - first) * rowExtra + CopySlack;
    };
    out.resize(std::max(out.size(), at + plainRoom(0, 0)));
    // Rows are written through char pointers, which may alias anything in memory; the loop works
    // on copies in registers, or the compiler reads the buffer's and batch's fields after every
    // store.
    char* to = out.data() + at;
    char* limit = out.data() + out.size();
    const std::size_t count = values.count();
    std::size_t begin = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t valueEnd = values.endOf(i);
        const std::size_t worst = rowExtra + LongestEscape * (valueEnd - begin) + CopySlack;
        if (std::size_t(limit - to) < worst) {
            const auto written = std::size_t(to - out.data());
            out.resize(written + worst + plainRoom(i, begin));
            to = out.data() + written;
            limit = out.data() + out.size();
        }
        to = rowPrefix.writeAt(to);
        to = writeJsonValue(to, text, begin, valueEnd);
        std::memcpy(to, end, sizeof end);
        to += sizeof end;
        begin = valueEnd;
    }
    out.resize(std::size_t(to - out.data()));
}

} // namespace tagmill::cli
