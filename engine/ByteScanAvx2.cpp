// The byte scans for processors with AVX2; this file alone is compiled with -mavx2 and is only
// called after a run-time check.

#include "engine/ByteScan.h"
#include "engine/ByteScanIsa.h"

#include <immintrin.h>

namespace tagmill::detail {

namespace {

struct Avx2 {
    static constexpr std::size_t Width = 32;
    using V = __m256i;
    static __m256i set1(char c) { return _mm256_set1_epi8(c); }
    static __m256i load(const char* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static __m256i or_(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
    static unsigned long long eq(__m256i a, __m256i b) {
        return unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, b)));
    }
};

} // namespace

std::size_t scanLineBreakAvx2(std::string_view text, std::size_t& i) {
    return scanLineBreak<Avx2>(text, i);
}

std::size_t scanProbesAvx2(std::string_view text, std::size_t& i, const PatternProbe* probes,
                           std::size_t count, std::size_t reach) {
    return scanProbes<Avx2>(text, i, probes, count, reach);
}

std::size_t scanLtTableAvx2(std::string_view text, std::size_t& i,
                            const std::array<bool, 256>& follows) {
    return scanLtTable<Avx2>(text, i, follows);
}

} // namespace tagmill::detail
