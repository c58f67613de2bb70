#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::detail {

/// What a walk of the pattern tree found at a "<", kept for the next "<" that is followed by the
/// same bytes. Markup repeats a few names over and over, and the walk takes a branch at every
/// byte it looks at; looking a name up here takes one compare of 16 bytes. What the walk found
/// depends only on the bytes it looked at, so the key is those bytes, and at least the whole
/// name with the byte that ends it: a different name can never be taken for a kept one.
template <typename Match> class MatchMemo {
public:
    static constexpr std::size_t KeyBytes = 16;

    /// The matches kept for the 16 bytes at p, whose first is the "<"; null when none are.
    const std::vector<Match>* find(const char* p) const {
#if defined(__SSE2__)
        const __m128i bytes = load(p);
        const Entry& entry = m_entries[slotOf(p, bytes)];
        const __m128i same = _mm_cmpeq_epi8(_mm_and_si128(bytes, entry.used), entry.key);
        if (_mm_movemask_epi8(same) == 0xFFFF)
            return &entry.matches;
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
        Entry& entry = m_entries[slotOf(p, bytes)];
        entry.used = load(used.data());
        entry.key = _mm_and_si128(bytes, entry.used);
        entry.matches = matches;
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

    // Names sharing their first bytes mostly differ in length, "tag" and "tags" among them.
    static std::size_t slotOf(const char* p, __m128i bytes) {
        std::uint32_t first;
        std::memcpy(&first, p + 1, sizeof first);
        const std::uint32_t mixed = (first ^ std::uint32_t(nameEnd(bytes) << 27)) * 0x9E3779B1u;
        return mixed >> (32 - SlotBits);
    }

    struct Entry {
        __m128i key = _mm_setzero_si128(); // never a key: every key starts with "<"
        __m128i used = _mm_set1_epi8(char(0xFF));
        std::vector<Match> matches;
    };
    static constexpr int SlotBits = 8;
    std::array<Entry, 1 << SlotBits> m_entries;
#endif
};

} // namespace tagmill::detail
