#include "engine/TextSearch.h"

#include <QChar>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

namespace {

template <typename Char>
bool matchesAt(std::basic_string_view<Char> text, std::size_t at,
               std::basic_string_view<Char> pattern) {
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (foldUnit(text[at + k]) != pattern[k])
            return false;
    return true;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

#if defined(__SSE2__)
// Tests 16 candidate starts at once on the pattern's first and last byte, then checks the few
// survivors in full. Setting bit 0x20 folds ASCII case for pattern bytes that are letters.
std::size_t findWithSse2(std::string_view text, std::size_t& i, std::string_view pattern) {
    const std::size_t m = pattern.size();
    const std::size_t lastStart = text.size() - m;
    const char first = pattern[0];
    const char last = pattern[m - 1];
    const __m128i firstVec = _mm_set1_epi8(first);
    const __m128i lastVec = _mm_set1_epi8(last);
    const __m128i firstFold = _mm_set1_epi8(isAsciiLetter(first) ? 0x20 : 0);
    const __m128i lastFold = _mm_set1_epi8(isAsciiLetter(last) ? 0x20 : 0);
    const char* data = text.data();
    for (; i + 15 <= lastStart; i += 16) {
        const __m128i a =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), firstFold);
        const __m128i b = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1)), lastFold);
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, firstVec), _mm_cmpeq_epi8(b, lastVec))));
        while (mask != 0) {
            const std::size_t at = i + std::size_t(__builtin_ctz(mask));
            if (matchesAt(text, at, pattern))
                return at;
            mask &= mask - 1;
        }
    }
    return std::string_view::npos;
}
#endif

} // namespace

char16_t foldUnit(char16_t c) {
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    const auto folded = char16_t(QChar::toCaseFolded(char32_t(c)));
    return folded < 128 ? c : folded;
}

std::size_t findFolded(std::string_view text, std::size_t from, std::string_view pattern) {
    const std::size_t m = pattern.size();
    if (from > text.size() || m > text.size() - from)
        return std::string_view::npos;
    if (m == 0)
        return from;
    if (m == 1 && !isAsciiLetter(pattern[0])) {
        const void* hit = std::memchr(text.data() + from, pattern[0], text.size() - from);
        return hit ? std::size_t(static_cast<const char*>(hit) - text.data())
                   : std::string_view::npos;
    }
    std::size_t i = from;
#if defined(__SSE2__)
    if (const std::size_t at = findWithSse2(text, i, pattern); at != std::string_view::npos)
        return at;
#endif
    for (; i + m <= text.size(); ++i)
        if (matchesAt(text, i, pattern))
            return i;
    return std::string_view::npos;
}

std::size_t findFolded(std::u16string_view text, std::size_t from, std::u16string_view pattern) {
    const std::size_t m = pattern.size();
    if (from > text.size() || m > text.size() - from)
        return std::u16string_view::npos;
    for (std::size_t i = from; i + m <= text.size(); ++i)
        if (matchesAt(text, i, pattern))
            return i;
    return std::u16string_view::npos;
}

} // namespace tagmill::detail
