#include "cli/RowFormat.h"

#include <gtest/gtest.h>

using namespace tagmill::cli;

namespace {

std::string csvField(std::string_view text) {
    std::string out;
    appendCsvField(out, text);
    return out;
}

// The check looks at 16 bytes at a time: a comma, quote, CR or LF must be seen wherever it
// stands, in a block or in the bytes after the last one.
TEST(CsvField, IsQuotedWhateverPlaceTheSpecialCharacterHas) {
    for (const char special : {',', '"', '\r', '\n'}) {
        for (std::size_t at = 0; at < 41; ++at) {
            std::string value(41, 'x');
            value[at] = special;
            std::string quoted(1, '"');
            quoted.append(value, 0, at);
            quoted.append(special == '"' ? 2 : 1, special);
            quoted.append(value, at + 1);
            quoted += '"';
            EXPECT_EQ(csvField(value), quoted) << int(special) << " at " << at;
        }
    }
    EXPECT_EQ(csvField(std::string(41, 'x')), std::string(41, 'x'));
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("caf\xC3\xA9\t;'"), "caf\xC3\xA9\t;'") << "TAB, semicolon: as they are";
}

} // namespace
