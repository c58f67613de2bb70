#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tagmill::detail {

/// A pattern starting with "<", probed on the character after the "<" and on its last one. The
/// fold bytes are 0x20 for letters, whose case bit is then set before comparing.
struct PatternProbe {
    std::size_t lastOffset;
    char second, secondFold, last, lastFold;
};
inline constexpr std::size_t MaxProbes = 4;

// The AVX2 builds of the byte scans; call only when the processor has AVX2.
std::size_t scanLineBreakAvx2(std::string_view text, std::size_t& i);
std::size_t scanProbesAvx2(std::string_view text, std::size_t& i, const PatternProbe* probes,
                           std::size_t count, std::size_t reach);
std::size_t scanLtTableAvx2(std::string_view text, std::size_t& i,
                            const std::array<bool, 256>& follows);

} // namespace tagmill::detail
