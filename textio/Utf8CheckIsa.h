#pragma once

#include <string_view>

namespace tagmill::detail {

// The builds of isValidUtf8 for each kind of processor; tests hold them side by side.
bool isValidUtf8Scalar(std::string_view bytes);
// Call only when the processor has AVX2.
bool isValidUtf8Avx2(std::string_view bytes);

} // namespace tagmill::detail
