#include "textio/Utf8Check.h"

#include "textio/CpuFeatures.h"
#include "textio/Utf8CheckIsa.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill {

namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Checks the multi-byte sequence starting at bytes[i]; on success moves i past it.
bool skipSequence(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return false;
    }
    if (bytes.size() - i < length)
        return false;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high)
        return false;
    for (std::size_t k = 2; k < length; ++k)
        if (!isContinuation(static_cast<unsigned char>(bytes[i + k])))
            return false;
    i += length;
    return true;
}

// How many of the 16 bytes at p are ASCII before the first that is not (16 when all are).
std::size_t asciiPrefix(const char* p) {
#if defined(__SSE2__)
    const unsigned mask =
        unsigned(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
    return mask == 0 ? 16 : std::size_t(__builtin_ctz(mask));
#else
    std::size_t n = 0;
    while (n < 16 && static_cast<unsigned char>(p[n]) < 0x80)
        ++n;
    return n;
#endif
}

// True when the 64 bytes at p are all ASCII: one test for four vectors.
bool asciiBlock(const char* p) {
#if defined(__SSE2__)
    auto load = [p](int k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + k); };
    const __m128i any =
        _mm_or_si128(_mm_or_si128(load(0), load(1)), _mm_or_si128(load(2), load(3)));
    return _mm_movemask_epi8(any) == 0;
#else
    for (int k = 0; k < 64; k += 16)
        if (asciiPrefix(p + k) != 16)
            return false;
    return true;
#endif
}

// Skips a run of ASCII from i: a byte at a time between letters of other scripts, where runs
// are a space or two, and whole vectors once a run is long.
void skipAscii(std::string_view bytes, std::size_t& i) {
    if (bytes.size() - i >= 16 && asciiPrefix(bytes.data() + i) == 16) {
        i += 16;
        while (bytes.size() - i >= 64 && asciiBlock(bytes.data() + i))
            i += 64;
        while (bytes.size() - i >= 16 && asciiPrefix(bytes.data() + i) == 16)
            i += 16;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
#if defined(__x86_64__)
    if (HasAvx2)
        return detail::isValidUtf8Avx2(bytes);
#endif
    return detail::isValidUtf8Scalar(bytes);
}

bool detail::isValidUtf8Scalar(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = b[i];
        if (lead < 0x80) {
            skipAscii(bytes, i);
        } else if (lead >= 0xC2 && lead <= 0xDF && n - i >= 2 && isContinuation(b[i + 1])) {
            i += 2; // Greek, Cyrillic, accented Latin: checked here without the general case
        } else if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && n - i >= 3 &&
                   isContinuation(b[i + 1]) && isContinuation(b[i + 2])) {
            i += 3; // most of the rest of the BMP, CJK among it
        } else if (!skipSequence(bytes, i)) {
            return false;
        }
    }
    return true;
}

bool detail::isLongAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 16 <= bytes.size(); i += 16)
        if (asciiPrefix(bytes.data() + i) != 16)
            return false;
    // What is left is shorter than 16 bytes, and isAscii takes that from the last 16.
    return i == bytes.size() || isAscii(bytes.substr(bytes.size() - 16));
}

} // namespace tagmill
