#pragma once

#include <cstddef>
#include <string_view>

namespace tagmill::detail {

// The AVX2 builds of the byte scans; call only when the processor has AVX2.
std::size_t scanLineBreakAvx2(std::string_view text, std::size_t& i);

} // namespace tagmill::detail
