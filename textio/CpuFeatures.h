#pragma once

namespace tagmill {

/// Whether the processor has AVX2, asked once: the vectorised scans pick their build by it.
inline const bool HasAvx2 = [] {
#if defined(__x86_64__)
    return bool(__builtin_cpu_supports("avx2"));
#else
    return false;
#endif
}();

} // namespace tagmill
