#pragma once

// The vectorised byte scans, written once over a vector width (Vec supplies Width, set1, load
// and eq, equality as a bit mask per byte). A file includes this header and
// instantiates the scans for the one instruction set it is compiled for. Everything sits in an
// unnamed namespace, so copies built for AVX2 can never stand in for the baseline ones at link
// time.

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

} // namespace
} // namespace tagmill::detail
