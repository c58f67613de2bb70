#include "engine/TextSearch.h"

#include "engine/ByteScan.h"
#include "engine/ByteScanIsa.h"
#include "textio/CpuFeatures.h"

#include <QChar>

#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

namespace {

constexpr auto npos = std::string_view::npos;

#if defined(__x86_64__)
struct Sse2 {
    static constexpr std::size_t Width = 16;
    using V = __m128i;
    static __m128i set1(char c) { return _mm_set1_epi8(c); }
    static __m128i load(const char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static __m128i or_(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
    static unsigned long long eq(__m128i a, __m128i b) {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
    }
};
#endif

std::size_t vectorFindLineBreak(std::string_view text, std::size_t& i) {
#if defined(__x86_64__)
    return HasAvx2 ? scanLineBreakAvx2(text, i) : scanLineBreak<Sse2>(text, i);
#else
    return npos;
#endif
}

std::size_t wideMatchesAt(std::u16string_view text, std::size_t at, std::u16string_view pattern) {
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (foldedUnitAt(text, at + k) != pattern[k])
            return false;
    return true;
}

} // namespace

char16_t foldUnit(char16_t c) {
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    const auto folded = char16_t(QChar::toCaseFolded(char32_t(c)));
    return folded < 128 ? c : folded;
}

char16_t foldedUnitAt(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (!QChar::isSurrogate(c))
        return foldUnit(c);
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1]))
        return QChar::highSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1])));
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1]))
        return QChar::lowSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(text[i - 1], c)));
    return c; // a lone surrogate has no case
}

std::u16string foldText(std::u16string_view text) {
    std::u16string folded(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        folded[i] = foldedUnitAt(text, i);
    return folded;
}

std::size_t findFolded(std::u16string_view text, std::size_t from, std::u16string_view pattern) {
    const std::size_t m = pattern.size();
    if (from > text.size() || m > text.size() - from)
        return std::u16string_view::npos;
    for (std::size_t i = from; i + m <= text.size(); ++i)
        if (wideMatchesAt(text, i, pattern))
            return i;
    return std::u16string_view::npos;
}

std::size_t vectorFindProbed(std::string_view text, std::size_t& i, const PatternProbe* probes,
                             std::size_t count, std::size_t longestOffset) {
#if defined(__x86_64__)
    return HasAvx2 ? scanProbesAvx2(text, i, probes, count, 32 + longestOffset)
                   : scanProbes<Sse2>(text, i, probes, count, 16 + longestOffset);
#else
    return npos;
#endif
}

std::size_t vectorFindFollowedLt(std::string_view text, std::size_t& i,
                                 const std::array<bool, 256>& follows) {
#if defined(__x86_64__)
    return HasAvx2 ? scanLtTableAvx2(text, i, follows) : scanLtTable<Sse2>(text, i, follows);
#else
    return npos;
#endif
}

std::size_t findLineBreak(std::string_view text, std::size_t from) {
    std::size_t i = from;
    if (const std::size_t at = vectorFindLineBreak(text, i); at != npos)
        return at;
    for (; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n')
            return i;
    return text.size();
}

std::size_t findLineBreak(std::u16string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] == u'\r' || text[i] == u'\n')
            return i;
    return text.size();
}

} // namespace tagmill::detail
