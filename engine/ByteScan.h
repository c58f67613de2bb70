#pragma once

// The vectorised byte scans, written once over a vector width. A file includes this header and
// instantiates the scans for the one instruction set it is compiled for. Everything sits in an
// unnamed namespace, so copies built for AVX2 can never stand in for the baseline ones at link
// time.

#include <cstddef>
#include <string_view>

namespace tagmill::detail {
namespace {

inline char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

inline bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool matchesFoldedAt(std::string_view text, std::size_t at, std::string_view pattern) {
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (foldAscii(text[at + k]) != pattern[k])
            return false;
    return true;
}

// Vec supplies Width, a vector type V, set1, load, or_, eq (equality as a bit mask per byte).
//
// Tests Width candidate starts at once on the pattern's first and last byte, then checks the
// few survivors in full. Setting bit 0x20 folds ASCII case for pattern bytes that are letters.
// Scans from i while whole vectors fit and leaves i where the caller's scalar loop continues.
template <typename Vec>
std::size_t scanFolded(std::string_view text, std::size_t& i, std::string_view pattern) {
    const std::size_t m = pattern.size();
    const std::size_t lastStart = text.size() - m;
    const auto first = Vec::set1(pattern[0]);
    const auto last = Vec::set1(pattern[m - 1]);
    const auto firstFold = Vec::set1(isAsciiLetter(pattern[0]) ? 0x20 : 0);
    const auto lastFold = Vec::set1(isAsciiLetter(pattern[m - 1]) ? 0x20 : 0);
    const char* data = text.data();
    for (; i + Vec::Width - 1 <= lastStart; i += Vec::Width) {
        auto mask = Vec::eq(Vec::or_(Vec::load(data + i), firstFold), first) &
                    Vec::eq(Vec::or_(Vec::load(data + i + m - 1), lastFold), last);
        while (mask != 0) {
            const std::size_t at = i + std::size_t(__builtin_ctzll(mask));
            if (matchesFoldedAt(text, at, pattern))
                return at;
            mask &= mask - 1;
        }
    }
    return std::string_view::npos;
}

// The first CR or LF at or after i among whole vectors; leaves i where the scalar loop goes on.
template <typename Vec> std::size_t scanLineBreak(std::string_view text, std::size_t& i) {
    const auto cr = Vec::set1('\r');
    const auto lf = Vec::set1('\n');
    for (; i + Vec::Width <= text.size(); i += Vec::Width) {
        const auto v = Vec::load(text.data() + i);
        if (const auto mask = Vec::eq(v, cr) | Vec::eq(v, lf); mask != 0)
            return i + std::size_t(__builtin_ctzll(mask));
    }
    return std::string_view::npos;
}

} // namespace
} // namespace tagmill::detail
