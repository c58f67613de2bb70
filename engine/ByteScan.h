#pragma once

// The vectorised byte scans, written once over a vector width (Vec supplies Width, its vector
// type V, set1, load, or_ and eq, equality as a bit mask per byte). A file includes this header and
// instantiates the scans for the one instruction set it is compiled for. Everything sits in an
// unnamed namespace, so copies built for AVX2 can never stand in for the baseline ones at link
// time.

#include "engine/ByteScanIsa.h"

#include <cstddef>
#include <string_view>

namespace tagmill::detail {
namespace {

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

// The first "<" at or after i, among whole vectors that the probes' bytes fit in (reach: the
// vector width plus the furthest byte a probe looks at), that is followed as one of the probes
// says. No branch on a vector's "<" alone: in markup every other vector holds one, which would
// make such a branch a coin toss for the processor. Four vectors in a row without a "<" are
// rarer than that in markup, and common in long text between tags or a sparse file's zeros:
// those are passed over after one compare each. Leaves i where the scalar loop goes on.
// Written for a fixed count of probes, so that the compiler keeps every probe's vectors in
// registers and unrolls the loop over them.
template <typename Vec, std::size_t Count>
std::size_t scanProbesOf(std::string_view text, std::size_t& i, const PatternProbe* probes,
                         std::size_t reach) {
    typename Vec::V second[Count], secondFold[Count], last[Count], lastFold[Count];
    for (std::size_t k = 0; k < Count; ++k) {
        second[k] = Vec::set1(probes[k].second);
        secondFold[k] = Vec::set1(probes[k].secondFold);
        last[k] = Vec::set1(probes[k].last);
        lastFold[k] = Vec::set1(probes[k].lastFold);
    }
    const auto lt = Vec::set1('<');
    const char* p = text.data();
    // The "<" of the vector at `at` that a probe's bytes follow, given where its "<" are.
    auto probed = [&](std::size_t at, unsigned long long lts) {
        const auto after = Vec::load(p + at + 1);
        unsigned long long any = 0;
        for (std::size_t k = 0; k < Count; ++k)
            any |=
                Vec::eq(Vec::or_(after, secondFold[k]), second[k]) &
                Vec::eq(Vec::or_(Vec::load(p + at + probes[k].lastOffset), lastFold[k]), last[k]);
        return lts & any;
    };
    constexpr std::size_t Vectors = 4;
    constexpr std::size_t Block = Vectors * Vec::Width;
    for (; i + Block - Vec::Width + reach <= text.size(); i += Block) {
        unsigned long long lts[Vectors];
        unsigned long long anyLt = 0;
        for (std::size_t v = 0; v < Vectors; ++v)
            anyLt |= lts[v] = Vec::eq(Vec::load(p + i + v * Vec::Width), lt);
        if (anyLt == 0)
            continue;
        for (std::size_t v = 0; v < Vectors; ++v)
            if (const auto mask = probed(i + v * Vec::Width, lts[v]); mask != 0)
                return i + v * Vec::Width + std::size_t(__builtin_ctzll(mask));
    }
    for (; i + reach <= text.size(); i += Vec::Width)
        if (const auto mask = probed(i, Vec::eq(Vec::load(p + i), lt)); mask != 0)
            return i + std::size_t(__builtin_ctzll(mask));
    return std::string_view::npos;
}

template <typename Vec>
std::size_t scanProbes(std::string_view text, std::size_t& i, const PatternProbe* probes,
                       std::size_t count, std::size_t reach) {
    static_assert(MaxProbes == 4);
    switch (count) {
    case 1:
        return scanProbesOf<Vec, 1>(text, i, probes, reach);
    case 2:
        return scanProbesOf<Vec, 2>(text, i, probes, reach);
    case 3:
        return scanProbesOf<Vec, 3>(text, i, probes, reach);
    default:
        return scanProbesOf<Vec, 4>(text, i, probes, reach);
    }
}

// The first "<" at or after i whose next byte the table lets through, among whole vectors with
// the byte after them; leaves i where the scalar loop goes on.
template <typename Vec>
std::size_t scanLtTable(std::string_view text, std::size_t& i,
                        const std::array<bool, 256>& follows) {
    const auto lt = Vec::set1('<');
    const char* p = text.data();
    for (; i + Vec::Width + 1 <= text.size(); i += Vec::Width)
        for (auto mask = Vec::eq(Vec::load(p + i), lt); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + std::size_t(__builtin_ctzll(mask));
            if (follows[static_cast<unsigned char>(p[at + 1])])
                return at;
        }
    return std::string_view::npos;
}

} // namespace
} // namespace tagmill::detail
