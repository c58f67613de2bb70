#include "textio/Utf8Check.h"

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

} // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (bytes.size() - i >= 64 && asciiBlock(bytes.data() + i)) {
            i += 64;
            continue;
        }
        if (bytes.size() - i >= 16) {
            const std::size_t ascii = asciiPrefix(bytes.data() + i);
            i += ascii;
            if (ascii == 16)
                continue;
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
        } else if (!skipSequence(bytes, i)) {
            return false;
        }
    }
    return true;
}

bool isAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 16 <= bytes.size(); i += 16)
        if (asciiPrefix(bytes.data() + i) != 16)
            return false;
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

} // namespace tagmill
