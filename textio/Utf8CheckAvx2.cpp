// UTF-8 checked 32 bytes at a time for processors with AVX2; this file alone is compiled with
// -mavx2 and is only called after a run-time check.
//
// Keiser and Lemire's method: every ill-formed pair of bytes is found by three table lookups,
// on the previous byte's high and low nibbles and on this byte's high nibble, each giving the
// set of faults the pair may have; a fault is there when all three agree. Whether a byte must
// be the third or fourth of a sequence follows from the bytes two and three back.

#include "textio/Utf8CheckIsa.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

namespace tagmill::detail {

namespace {

// One bit per fault of a pair of bytes (the previous byte, this one).
constexpr std::uint8_t TooShort = 1 << 0;     // a lead byte not followed by a continuation
constexpr std::uint8_t TooLong = 1 << 1;      // ASCII followed by a continuation
constexpr std::uint8_t Overlong3 = 1 << 2;    // E0 followed by 80..9F
constexpr std::uint8_t TooLarge = 1 << 3;     // F4 followed by 90..BF, or F5..FF by 90..BF
constexpr std::uint8_t Surrogate = 1 << 4;    // ED followed by A0..BF
constexpr std::uint8_t Overlong2 = 1 << 5;    // C0 or C1 followed by a continuation
constexpr std::uint8_t TooLarge1000 = 1 << 6; // F5..FF followed by 80..8F
constexpr std::uint8_t Overlong4 = 1 << 6;    // F0 followed by 80..8F
constexpr std::uint8_t TwoConts = 1 << 7;     // two continuations: a fault unless a lead is near
constexpr std::uint8_t Carry = TooShort | TooLong | TwoConts; // faults of any low nibble

__m256i table(std::uint8_t a0, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t a4,
              std::uint8_t a5, std::uint8_t a6, std::uint8_t a7, std::uint8_t a8, std::uint8_t a9,
              std::uint8_t a10, std::uint8_t a11, std::uint8_t a12, std::uint8_t a13,
              std::uint8_t a14, std::uint8_t a15) {
    return _mm256_setr_epi8(char(a0), char(a1), char(a2), char(a3), char(a4), char(a5), char(a6),
                            char(a7), char(a8), char(a9), char(a10), char(a11), char(a12),
                            char(a13), char(a14), char(a15), char(a0), char(a1), char(a2), char(a3),
                            char(a4), char(a5), char(a6), char(a7), char(a8), char(a9), char(a10),
                            char(a11), char(a12), char(a13), char(a14), char(a15));
}

__m256i highNibbles(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

__m256i lowNibbles(__m256i v) {
    return _mm256_and_si256(v, _mm256_set1_epi8(0x0F));
}

// The block's bytes moved on by N, the last N of the previous block coming first.
template <int N> __m256i before(__m256i block, __m256i previous) {
    return _mm256_alignr_epi8(block, _mm256_permute2x128_si256(previous, block, 0x21), 16 - N);
}

struct Tables {
    __m256i firstHigh = table(
        // ASCII first
        TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong,
        // a continuation first
        TwoConts, TwoConts, TwoConts, TwoConts,
        // C0..CF, D0..DF, E0..EF, F0..FF first
        TooShort | Overlong2, TooShort, TooShort | Overlong3 | Surrogate,
        TooShort | TooLarge | TooLarge1000 | Overlong4);
    __m256i firstLow = table(Carry | Overlong3 | Overlong2 | Overlong4, // x0
                             Carry | Overlong2,                         // x1
                             Carry, Carry,                              // x2, x3
                             Carry | TooLarge,                          // x4
                             Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                             Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                             Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                             Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000,
                             Carry | TooLarge | TooLarge1000 | Surrogate, // xD
                             Carry | TooLarge | TooLarge1000, Carry | TooLarge | TooLarge1000);
    __m256i secondHigh = table(
        // ASCII second
        TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort,
        // 80..8F, 90..9F, A0..AF, B0..BF second
        TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge1000 | Overlong4,
        TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge,
        TooLong | Overlong2 | TwoConts | Surrogate | TooLarge,
        TooLong | Overlong2 | TwoConts | Surrogate | TooLarge,
        // a lead byte second
        TooShort, TooShort, TooShort, TooShort);
    // Above zero where a block's last bytes begin a sequence they do not finish.
    __m256i unfinished = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                          -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                          -1, char(0xF0 - 1), char(0xE0 - 1), char(0xC0 - 1));
};

class Checker {
public:
    void add(__m256i block) {
        if (_mm256_movemask_epi8(block) == 0) {
            m_faults = _mm256_or_si256(m_faults, m_unfinished);
            m_unfinished = _mm256_setzero_si256();
        } else {
            m_faults = _mm256_or_si256(m_faults, faults(block));
            m_unfinished = _mm256_subs_epu8(block, m_tables.unfinished);
        }
        m_previous = block;
    }
    bool valid() const {
        const __m256i all = _mm256_or_si256(m_faults, m_unfinished);
        return _mm256_testz_si256(all, all) != 0;
    }

private:
    __m256i faults(__m256i block) const {
        const __m256i first = before<1>(block, m_previous);
        const __m256i pairs = _mm256_and_si256(
            _mm256_and_si256(_mm256_shuffle_epi8(m_tables.firstHigh, highNibbles(first)),
                             _mm256_shuffle_epi8(m_tables.firstLow, lowNibbles(first))),
            _mm256_shuffle_epi8(m_tables.secondHigh, highNibbles(block)));
        // E0 and above two back, F0 and above three back: this byte must continue a sequence.
        const __m256i third =
            _mm256_subs_epu8(before<2>(block, m_previous), _mm256_set1_epi8(char(0xE0 - 0x80)));
        const __m256i fourth =
            _mm256_subs_epu8(before<3>(block, m_previous), _mm256_set1_epi8(char(0xF0 - 0x80)));
        const __m256i mustContinue =
            _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
        return _mm256_xor_si256(mustContinue, pairs);
    }

    Tables m_tables;
    __m256i m_previous = _mm256_setzero_si256();
    __m256i m_faults = _mm256_setzero_si256();
    __m256i m_unfinished = _mm256_setzero_si256();
};

} // namespace

bool isValidUtf8Avx2(std::string_view bytes) {
    Checker checker;
    std::size_t i = 0;
    for (; bytes.size() - i >= 32; i += 32)
        checker.add(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes.data() + i)));
    if (i < bytes.size()) {
        char last[32] = {}; // ASCII after the end
        std::memcpy(last, bytes.data() + i, bytes.size() - i);
        checker.add(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(last)));
    }
    return checker.valid();
}

} // namespace tagmill::detail
