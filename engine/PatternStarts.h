#pragma once

#include "engine/TextSearch.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

/// Finds the places where one of a set of patterns, each starting with "<", may begin. Most "<"
/// of a document begin none of them, so for a few patterns each is probed 16 places at a time
/// on the character after its "<" and on its last character, as a single-pattern search would;
/// for more, each "<" is checked against a table of the byte after it. The places found are
/// candidates only: the caller compares them in full.
template <typename Char> class PatternStarts;

template <> class PatternStarts<char> {
public:
    /// The patterns, folded.
    explicit PatternStarts(const std::vector<std::string_view>& patterns) {
        for (std::string_view pattern : patterns) {
            if (pattern.size() < 2) {
                m_everyLt = true;
                continue;
            }
            for (int b = 0; b < 256; ++b)
                if (foldUnit(char(b)) == pattern[1])
                    m_table[std::size_t(b)] = true;
        }
#if defined(__SSE2__)
        if (!m_everyLt && patterns.size() <= MaxProbes)
            for (std::string_view pattern : patterns) {
                m_probes.push_back(Probe(pattern));
                m_longestProbe = std::max(m_longestProbe, m_probes.back().lastOffset);
            }
#endif
    }

    /// The first candidate at or after `from` in `text`; the text's length when there is none. A
    /// "<" near the end of the text counts whenever what follows it is not all there yet.
    std::size_t next(std::string_view text, std::size_t from) const {
        std::size_t i = from;
#if defined(__SSE2__)
        const std::size_t reach = 16 + m_longestProbe;
        if (text.size() >= reach && i <= text.size() - reach) {
            i = m_probes.empty() ? vectorTable(text, i) : vectorProbes(text, i);
            if (i != NotYet)
                return i;
            i = std::max(from, text.size() - reach);
        }
#endif
        for (; i < text.size(); ++i)
            if (text[i] == '<' && (i + 1 == text.size() || follows(text[i + 1])))
                return i;
        return text.size();
    }

private:
    static constexpr std::size_t NotYet = std::string_view::npos;

    bool follows(char c) const {
        return m_everyLt || m_table[static_cast<unsigned char>(c)];
    }

    bool m_everyLt = false;
    std::array<bool, 256> m_table{};

#if defined(__SSE2__)
    static constexpr std::size_t MaxProbes = 4;

    // Setting bit 0x20 folds ASCII case for pattern characters that are letters.
    struct Probe {
        explicit Probe(std::string_view pattern)
            : lastOffset(pattern.size() - 1), second(_mm_set1_epi8(pattern[1])),
              secondFold(_mm_set1_epi8(foldBit(pattern[1]))), last(_mm_set1_epi8(pattern.back())),
              lastFold(_mm_set1_epi8(foldBit(pattern.back()))) {}
        static char foldBit(char c) { return c >= 'a' && c <= 'z' ? 0x20 : 0; }

        std::size_t lastOffset;
        __m128i second, secondFold, last, lastFold;
    };

    static __m128i load(const char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static unsigned equal(__m128i bytes, __m128i fold, __m128i wanted) {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(bytes, fold), wanted)));
    }
    static unsigned ltMask(const char* p) {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(load(p), _mm_set1_epi8('<'))));
    }

    // Scans 16 places at a time while every probe's bytes are there; NotYet where that ends.
    std::size_t vectorProbes(std::string_view text, std::size_t i) const {
        const char* p = text.data();
        // No branch on the "<" alone: in markup every other vector holds one, which would make
        // such a branch a coin toss for the processor.
        for (; i + 16 + m_longestProbe <= text.size(); i += 16) {
            const __m128i after = load(p + i + 1);
            unsigned any = 0;
            for (const Probe& probe : m_probes)
                any |= equal(after, probe.secondFold, probe.second) &
                       equal(load(p + i + probe.lastOffset), probe.lastFold, probe.last);
            if (const unsigned mask = ltMask(p + i) & any; mask != 0)
                return i + std::size_t(__builtin_ctz(mask));
        }
        return NotYet;
    }

    std::size_t vectorTable(std::string_view text, std::size_t i) const {
        const char* p = text.data();
        for (; i + 17 <= text.size(); i += 16)
            for (unsigned mask = ltMask(p + i); mask != 0; mask &= mask - 1) {
                const std::size_t at = i + std::size_t(__builtin_ctz(mask));
                if (follows(p[at + 1]))
                    return at;
            }
        return NotYet;
    }

    std::vector<Probe> m_probes;
    std::size_t m_longestProbe = 1; // the furthest byte after a "<" that a probe looks at
#endif
};

template <> class PatternStarts<char16_t> {
public:
    explicit PatternStarts(const std::vector<std::u16string_view>&) {}

    std::size_t next(std::u16string_view text, std::size_t from) const {
        return std::size_t(std::find(text.begin() + std::ptrdiff_t(from), text.end(), u'<') -
                           text.begin());
    }
};

} // namespace tagmill::detail
