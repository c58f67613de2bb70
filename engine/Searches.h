#pragma once

// The extraction searches over one whole text unit, as the readers' path (ExtractValues) runs
// them, and option 2's value, which the piece-by-piece searches share. Written over any run of
// code units. Positions are 0-based; a value is reported as (start, length) within the text.
// The sink decides what a value becomes:
//   bool proceed()                       called before every search step; false stops the search
//   void value(size_t start, size_t len) one value found
//   void failure(QString description)    an occurrence that yields no value

#include "engine/TextSearch.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

template <typename Char> struct TagPatterns {
    std::basic_string<Char> opening; // "<" + tag, folded
    std::basic_string<Char> closing; // "</" + tag + ">", folded
};

inline const QString NoEndOfOpeningTag =
    QStringLiteral("Invalid procedure call or argument: the opening tag has no '>' before its "
                   "closing tag");

// Near the place a scan starts, 16 bytes are compared at a time without calling the library,
// whose scans cost more to set up than most values are long; beyond this many bytes the
// library's scans take over. Byte by byte only where fewer than 16 are left.
inline constexpr std::size_t ShortScan = 64;

/// Position of the last c in [begin, end); npos when there is none. Reads the text before begin
/// as well, 16 bytes at a time, so that a short stretch is one compare: option 2 looks back
/// over each element's content, and most are short. For bytes memrchr looks at long stretches
/// many at a time.
inline std::size_t lastBetween(std::string_view text, std::size_t begin, std::size_t end, char c) {
    std::size_t e = end;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; e > begin && e >= 16 && end - e < ShortScan; e -= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + e - 16));
        auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)));
        if (e - 16 < begin)
            mask &= ~0u << (begin - (e - 16)); // bytes before the stretch
        if (mask != 0)
            return e - 16 + std::size_t(31 - __builtin_clz(mask));
    }
#endif
    if (e <= begin)
        return std::string_view::npos;
    if (e - begin >= 16) {
        const void* hit = memrchr(text.data() + begin, c, e - begin);
        return hit ? std::size_t(static_cast<const char*>(hit) - text.data())
                   : std::string_view::npos;
    }
    while (e > begin)
        if (text[--e] == c)
            return e;
    return std::string_view::npos;
}
inline std::size_t lastBetween(std::u16string_view text, std::size_t begin, std::size_t end,
                               char16_t c) {
    while (end > begin)
        if (text[--end] == c)
            return end;
    return std::u16string_view::npos;
}

/// Position of the first c at or after `from`; npos when there is none. The opening tag's ">"
/// mostly stands a few bytes on.
inline std::size_t firstFrom(std::string_view text, std::size_t from, char c) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; i + 16 <= text.size() && i - from < ShortScan; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        if (const auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted))); mask != 0)
            return i + std::size_t(__builtin_ctz(mask));
    }
#endif
    if (i + 16 <= text.size()) {
        const void* hit = memchr(text.data() + i, c, text.size() - i);
        return hit ? std::size_t(static_cast<const char*>(hit) - text.data())
                   : std::string_view::npos;
    }
    for (; i < text.size(); ++i)
        if (text[i] == c)
            return i;
    return std::string_view::npos;
}
inline std::size_t firstFrom(std::u16string_view text, std::size_t from, char16_t c) {
    return text.find(c, from);
}

/// Position of the last "</" in [begin, end) of the text; npos when there is none.
template <typename Char>
std::size_t lastEndTag(std::basic_string_view<Char> text, std::size_t begin, std::size_t end) {
    for (std::size_t lt, before = end;
         (lt = lastBetween(text, begin, before, Char('<'))) != text.npos; before = lt)
        if (lt + 1 < end && text[lt + 1] == Char('/'))
            return lt;
    return text.npos;
}

// Finds where option 2's value starts, `from`, when the content from `start` to `close` is at
// most 16 bytes and holds no "<": after its last ">", if any. False otherwise. Most contents are
// short text without markup, and are then looked at for both in one load.
inline bool shortContentWithoutMarkup(std::string_view text, std::size_t start, std::size_t close,
                                      std::size_t& from) {
#if defined(__SSE2__)
    if (close - start > 16 || close < 16)
        return false;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + close - 16));
    const unsigned content = (0xFFFFu << (16 - (close - start))) & 0xFFFFu;
    auto bitsOf = [&](char c) {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c)))) & content;
    };
    if (bitsOf('<') != 0)
        return false;
    const unsigned gts = bitsOf('>');
    from = gts == 0 ? start : close - 16 + std::size_t(31 - __builtin_clz(gts)) + 1;
    return true;
#else
    (void)text, (void)start, (void)close, (void)from;
    return false;
#endif
}
inline bool shortContentWithoutMarkup(std::u16string_view, std::size_t, std::size_t, std::size_t&) {
    return false;
}

// Option 2's value: the element's content, or, when it holds child elements, the text between
// the last ">" before its last "</" and that "</". Without "<" in the content that is the text
// after its last ">", if any.
template <typename Char, typename Sink>
void deliverInnerValue(std::basic_string_view<Char> text, std::size_t open, std::size_t close,
                       Sink& sink) {
    constexpr auto npos = std::basic_string_view<Char>::npos;
    const std::size_t start = firstFrom(text, open, Char('>')) + 1;
    if (start > close) {
        sink.failure(NoEndOfOpeningTag);
        return;
    }
    std::size_t from = start;
    std::size_t end = close;
    if (!shortContentWithoutMarkup(text, start, close, from)) {
        const std::size_t lastEnd = lastEndTag(text, start, close);
        const bool hasInnerEnd = lastEnd != npos && lastEnd > start;
        if (hasInnerEnd)
            end = lastEnd;
        const std::size_t gt = lastBetween(text, start, hasInnerEnd ? end + 1 : close, Char('>'));
        from = gt == npos ? start : gt + 1;
    }
    sink.value(from, end - from);
}

/// Options 1 and 2 for one tag: each element from its opening pattern to the first closing
/// pattern at or after it, left to right, never overlapping.
template <typename Char, typename Sink>
void extractBetweenTags(std::basic_string_view<Char> text, const TagPatterns<Char>& tag,
                        bool includeTags, Sink& sink) {
    constexpr auto npos = std::basic_string_view<Char>::npos;
    std::size_t pos = 0;
    while (sink.proceed() && pos < text.size()) {
        const std::size_t open = findFolded(text, pos, tag.opening);
        if (open == npos)
            return;
        const std::size_t close = findFolded(text, open, tag.closing);
        if (close == npos)
            return;
        const std::size_t after = close + tag.closing.size();
        if (includeTags)
            sink.value(open, after - open);
        else
            deliverInnerValue(text, open, close, sink);
        pos = after;
    }
}

inline bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

/// Option 4: the characters between the first and second quotation mark, the third and
/// fourth, and so on; an unpaired last mark gives nothing.
template <typename Char, typename Sink>
void extractQuoted(std::basic_string_view<Char> text, Sink& sink) {
    constexpr auto npos = std::basic_string_view<Char>::npos;
    std::size_t pos = 0;
    while (sink.proceed() && pos < text.size()) {
        const std::size_t first = text.find(Char('"'), pos);
        if (first == npos)
            return;
        const std::size_t second = text.find(Char('"'), first + 1);
        if (second == npos)
            return;
        sink.value(first + 1, second - first - 1);
        pos = second + 1;
    }
}

} // namespace tagmill::detail
