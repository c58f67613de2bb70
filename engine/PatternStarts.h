#pragma once

#include "engine/TextSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

/// Finds the places where one of a set of patterns, each starting with "<", may begin. Most "<"
/// of a document begin none of them, so for a few patterns each is probed many places at a
/// time on the character after its "<" and on its last character, as a single-pattern search
/// would; for more, each "<" is checked against a table of the byte after it. The places found
/// are candidates only: the caller compares them in full.
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
                    m_follows[std::size_t(b)] = true;
        }
        if (m_everyLt)
            m_follows.fill(true);
        else if (patterns.size() <= MaxProbes)
            for (std::string_view pattern : patterns)
                m_probes.push_back(probeOf(pattern));
        for (const PatternProbe& probe : m_probes)
            m_longestOffset = std::max(m_longestOffset, probe.lastOffset);
    }

    /// The first candidate at or after `from` in `text`; the text's length when there is none. A
    /// "<" near the end of the text counts whenever what follows it is not all there yet.
    std::size_t next(std::string_view text, std::size_t from) const {
        std::size_t i = from;
#if defined(__SSE2__)
        // In markup the next "<" mostly stands within a few bytes, so the first 64 are looked
        // at here, without a call.
        for (const std::size_t end = i + 64; m_probes.empty() && i < end && i + 16 < text.size();
             i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            for (auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('<'))));
                 mask != 0; mask &= mask - 1) {
                const std::size_t at = i + std::size_t(__builtin_ctz(mask));
                if (m_follows[std::uint8_t(text[at + 1])])
                    return at;
            }
        }
#endif
        const std::size_t found =
            m_probes.empty()
                ? vectorFindFollowedLt(text, i, m_follows)
                : vectorFindProbed(text, i, m_probes.data(), m_probes.size(), m_longestOffset);
        if (found != std::string_view::npos)
            return found;
        for (; i < text.size(); ++i)
            if (text[i] == '<' && (i + 1 == text.size() || m_follows[std::uint8_t(text[i + 1])]))
                return i;
        return text.size();
    }

private:
    static PatternProbe probeOf(std::string_view pattern) {
        auto foldBit = [](char c) { return char(c >= 'a' && c <= 'z' ? 0x20 : 0); };
        return {pattern.size() - 1, pattern[1], foldBit(pattern[1]), pattern.back(),
                foldBit(pattern.back())};
    }

    bool m_everyLt = false;
    std::array<bool, 256> m_follows{};
    std::vector<PatternProbe> m_probes;
    std::size_t m_longestOffset = 1; // the furthest byte after a "<" that a probe looks at
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
