// The fast UTF-8 checks against a plain reading of the well-formed byte sequences: every
// combination of telling bytes, placed across the 32-byte blocks the vector check works in,
// and random text with one byte spoiled.

#include "textio/Utf8Check.h"
#include "textio/CpuFeatures.h"
#include "textio/Utf8CheckIsa.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

using namespace tagmill;

namespace {

// Well-formed UTF-8 as its definition states it: each sequence's length from its lead byte,
// the allowed range of its second byte, then continuations.
bool referenceValid(std::string_view text) {
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned lead = b[i];
        std::size_t length = 1;
        unsigned low = 0x80, high = 0xBF;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead == 0xE0)
            length = 3, low = 0xA0;
        else if (lead == 0xED)
            length = 3, high = 0x9F;
        else if (lead >= 0xE1 && lead <= 0xEF)
            length = 3;
        else if (lead == 0xF0)
            length = 4, low = 0x90;
        else if (lead == 0xF4)
            length = 4, high = 0x8F;
        else if (lead >= 0xF1 && lead <= 0xF3)
            length = 4;
        else
            return false;
        if (text.size() - i < length)
            return false;
        if (length > 1 && (b[i + 1] < low || b[i + 1] > high))
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (b[i + k] < 0x80 || b[i + k] > 0xBF)
                return false;
        i += length;
    }
    return true;
}

// Fails with the bytes shown when a check disagrees with the reference.
void expectAgreement(const std::string& text) {
    const bool expected = referenceValid(text);
    const auto shown = [&] {
        std::string hex;
        for (unsigned char c : text)
            hex += "0123456789ABCDEF"[c >> 4], hex += "0123456789ABCDEF"[c & 15], hex += ' ';
        return hex;
    };
    ASSERT_EQ(detail::isValidUtf8Scalar(text), expected) << shown();
    if (HasAvx2) {
        ASSERT_EQ(detail::isValidUtf8Avx2(text), expected) << shown();
    }
    ASSERT_EQ(isValidUtf8(text), expected) << shown();
}

// Bytes at the edges of every range the definition draws.
constexpr std::array<unsigned char, 27> Telling = {
    0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
    0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF7, 0xF8, 0xFF};

TEST(Utf8Check, EveryFourTellingBytesAgreeWhereverTheyStandInABlock) {
    // Before the four: nothing, the end of a first block, across its edge; after them: the end
    // of the text (a sequence cut short there) or more text.
    const std::string before[] = {"", std::string(29, 'a'), std::string(30, 'a'),
                                  std::string(31, 'a'), std::string(28, 'a') + "\xC3\xA9"};
    const std::string after[] = {"", std::string(40, 'b')};
    std::string text;
    for (unsigned char b0 : Telling)
        for (unsigned char b1 : Telling)
            for (unsigned char b2 : Telling)
                for (unsigned char b3 : Telling)
                    for (const std::string& head : before)
                        for (const std::string& tail : after) {
                            text = head;
                            text += char(b0), text += char(b1), text += char(b2), text += char(b3);
                            text += tail;
                            expectAgreement(text);
                            if (::testing::Test::HasFatalFailure())
                                return;
                        }
}

TEST(Utf8Check, RandomTextWithOneByteSpoiledAgrees) {
    // Characters of every length, the longest ones next to the limits.
    const std::string pieces[] = {"a",
                                  "\n",
                                  "\xC2\x80",
                                  "\xDF\xBF",
                                  "\xC3\xA9",
                                  "\xE0\xA0\x80",
                                  "\xED\x9F\xBF",
                                  "\xEE\x80\x80",
                                  "\xE4\xB8\xAD",
                                  "\xEF\xBF\xBF",
                                  "\xF0\x90\x80\x80",
                                  "\xF4\x8F\xBF\xBF",
                                  "\xF3\xBF\xBF\xBF"};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = int(random() % 80);
        for (int k = 0; k < count; ++k)
            text += pieces[random() % std::size(pieces)];
        expectAgreement(text);
        if (!text.empty()) {
            text[random() % text.size()] = char(random() % 256);
            expectAgreement(text);
        }
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(Utf8Check, LongValidTextHasAFaultFoundAtEveryPlace) {
    std::string text;
    while (text.size() < 200)
        text += "\xCE\xB1\xE4\xB8\xAD\xF0\x9F\x98\x80 z";
    ASSERT_TRUE(isValidUtf8(text));
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string spoiled = text;
        spoiled[at] = '\xFF';
        expectAgreement(spoiled);
        spoiled[at] = '\x80';
        expectAgreement(spoiled);
        expectAgreement(text.substr(0, at)); // cut anywhere, a sequence may be left unfinished
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace

// The check takes 16 bytes at a time, the last 16 in two loads of 8 ending with the text: a byte
// beyond ASCII must be seen wherever it stands, in texts shorter and longer than each load.
TEST(AsciiCheck, SeesAByteBeyondAsciiAtEveryPlace) {
    for (std::size_t length = 0; length <= 41; ++length) {
        const std::string plain(length, '\x7F');
        EXPECT_TRUE(isAscii(plain)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string spoiled = plain;
            spoiled[at] = '\x80';
            EXPECT_FALSE(isAscii(spoiled)) << at << " of " << length;
        }
    }
}
