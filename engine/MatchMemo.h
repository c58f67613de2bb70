#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

/// What a walk of the pattern tree found at a "<", kept for the next "<" that is followed by the
/// same bytes. Markup repeats a few names over and over, and the walk takes a branch at every
/// byte it looks at; looking a name up here takes a compare of 16 bytes or two. What the walk found
/// depends only on the bytes it looked at, so the key is those bytes, and at least the whole
/// name with the byte that ends it: a different name can never be taken for a kept one.
template <typename Match> class MatchMemo {
public:
    static constexpr std::size_t KeyBytes = 16;

    /// The matches kept for the 16 bytes at p, whose first is the "<"; null when none are.
    const std::vector<Match>* find(const char* p) const {
#if defined(__SSE2__)
        const __m128i bytes = load(p);
        const Entry* set = &m_entries[setOf(p)];
        if (set[0].holds(bytes))
            return &set[0].matches;
        if (set[1].holds(bytes))
            return &set[1].matches;
#else
        (void)p;
#endif
        return nullptr;
    }

    /// Keeps what the walk from the "<" at p found after looking at its first `examined` bytes,
    /// unless the key would be longer than 16 bytes.
    void keep(const char* p, std::size_t examined, const std::vector<Match>& matches) {
#if defined(__SSE2__)
        const __m128i bytes = load(p);
        const std::size_t length = std::max(examined, nameEnd(bytes) + 1);
        if (length > KeyBytes)
            return;
        std::array<char, KeyBytes> used{};
        std::memset(used.data(), 0xFF, length);
        // The newest goes first and the one before it second, so two names that share a set
        // and come in turn both stay.
        Entry* set = &m_entries[setOf(p)];
        std::swap(set[0], set[1]);
        set[0].used = load(used.data());
        set[0].key = _mm_and_si128(bytes, set[0].used);
        set[0].matches = matches;
#else
        (void)p, (void)examined, (void)matches;
#endif
    }

private:
#if defined(__SSE2__)
    static __m128i load(const char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }

    // Where the name after "<" or "</" ends: its first space, control character, ">" or "/".
    // 16 when it runs on.
    static std::size_t nameEnd(__m128i bytes) {
        const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x20)), bytes);
        const __m128i ends =
            _mm_or_si128(_mm_or_si128(low, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>'))),
                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8('/')));
        const unsigned mask = unsigned(_mm_movemask_epi8(ends)) & ~3u; // past "<" and a "/"
        return mask == 0 ? KeyBytes : std::size_t(__builtin_ctz(mask));
    }

    // The set of two entries for the name at p, from the four bytes after the "<": looking a
    // name up then needs nothing but the bytes, and names sharing those bytes ("tag" and "tags",
    // "/tag" and "/tags") take the two entries of one set.
    static std::size_t setOf(const char* p) {
        std::uint32_t first;
        std::memcpy(&first, p + 1, sizeof first);
        return std::size_t((first * 0x9E3779B1u) >> (32 - SetBits)) * 2;
    }

    struct Entry {
        __m128i key = _mm_setzero_si128(); // never a key: every key starts with "<"
        __m128i used = _mm_set1_epi8(char(0xFF));
        std::vector<Match> matches;

        bool holds(__m128i bytes) const {
            return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, used), key)) == 0xFFFF;
        }
    };
    static constexpr int SetBits = 7;
    std::array<Entry, 2 << SetBits> m_entries;
#endif
};

} // namespace tagmill::detail
