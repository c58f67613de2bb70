// The byte scans for processors with AVX2; this file alone is compiled with -mavx2 and is only
// called after a run-time check.

#include "engine/ByteScan.h"
#include "engine/ByteScanIsa.h"

#include <immintrin.h>

namespace tagmill::detail {

namespace {

struct Avx2 {
    static constexpr std::size_t Width = 32;
    static __m256i set1(char c) { return _mm256_set1_epi8(c); }
    static __m256i load(const char* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static unsigned long long eq(__m256i a, __m256i b) {
        return unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, b)));
    }
};

} // namespace

std::size_t scanLineBreakAvx2(std::string_view text, std::size_t& i) {
    return scanLineBreak<Avx2>(text, i);
}

} // namespace tagmill::detail
