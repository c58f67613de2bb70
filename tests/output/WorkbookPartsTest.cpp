#include "output/spreadsheet/CellText.h"
#include "output/spreadsheet/NotFitted.h"
#include "output/spreadsheet/SheetLimits.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <string>

namespace tagmill {
namespace {

std::string times(qsizetype count, std::string_view piece) {
    std::string text;
    for (qsizetype i = 0; i < count; ++i)
        text += piece;
    return text;
}

struct EscapeCase {
    const char* name;
    std::string text;
    bool dropEquals;
    std::string handed; // what libxlsxwriter is given
    qsizetype length;
};

TEST(CellText, MakesTextsReadyForACell) {
    const EscapeCase cases[] = {
        {"plain", "abc", false, "abc", 3},
        {"empty", "", true, "", 0},
        {"equals kept", "=A1=", false, "=A1=", 4},
        {"every equals dropped", "==a=b==c=", true, "abc", 3},
        {"only equals", "===", true, "", 0},
        {"two-byte",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         false,
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         5},
        {"outside the BMP counts two", "\xF0\x9F\x98\x80", false, "\xF0\x9F\x98\x80", 2},
        {"literal escape kept", "_x0041_", false, "_x005F_x0041_", 7},
        {"lower-case hex", "_x00ff_", false, "_x005F_x00ff_", 7},
        {"escapes back to back", "_x0041_x0042_", false, "_x005F_x0041_x005F_x0042_", 13},
        {"escape made by dropping =", "_x00=41_", true, "_x005F_x0041_", 7},
        {"not an escape: short", "_x004_", false, "_x004_", 6},
        {"not an escape: no hex", "_x004g_", false, "_x004g_", 7},
        {"not an escape: capital X", "_X0041_", false, "_X0041_", 7},
        {"NUL", std::string("a\0b", 3), false, "a_x0000_b", 3},
        {"U+FFFE and U+FFFF", "\xEF\xBF\xBE\xEF\xBF\xBF", false, "_xFFFE__xFFFF_", 2},
        {"other controls left to libxlsxwriter", "\x01\t\r\n\x1F\x7F", false, "\x01\t\r\n\x1F\x7F",
         6},
        {"stray continuation byte", "a\x80z", false, "a\xEF\xBF\xBDz", 3},
        {"cut-off sequence", "a\xE2\x82", false, "a\xEF\xBF\xBD\xEF\xBF\xBD", 3},
        {"overlong", "\xC0\xAF", false, "\xEF\xBF\xBD\xEF\xBF\xBD", 2},
        {"surrogate", "\xED\xA0\x80", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", 3},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false, times(4, "\xEF\xBF\xBD"), 4},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CellText cell = cellText(c.text, c.dropEquals);
        EXPECT_EQ(cell.utf8, c.handed);
        EXPECT_EQ(cell.length, c.length);
        EXPECT_FALSE(cell.cut);
    }
}

struct CutCase {
    const char* name;
    std::string text;
    bool dropEquals;
    std::string kept;
    qsizetype length;
    bool cut;
};

TEST(CellText, CutsOnAWholeCharacterToWhatACellHolds) {
    const std::string most = times(kCellTextMax, "a");
    const std::string pair = "\xF0\x9F\x98\x80";
    const CutCase cases[] = {
        {"exactly full", most, false, most, kCellTextMax, false},
        {"one over", most + "b", false, most, kCellTextMax, true},
        {"pair ends exactly at the end", times(kCellTextMax - 2, "a") + pair, false,
         times(kCellTextMax - 2, "a") + pair, kCellTextMax, false},
        {"pair not split", times(kCellTextMax - 1, "a") + pair, false, times(kCellTextMax - 1, "a"),
         kCellTextMax - 1, true},
        {"two-byte characters", times(kCellTextMax + 5, "\xC3\xA9"), false,
         times(kCellTextMax, "\xC3\xA9"), kCellTextMax, true},
        {"counted after dropping =", "====" + most, true, most, kCellTextMax, false},
        {"equals counted when kept", "====" + most, false, "====" + most.substr(4), kCellTextMax,
         true},
        // libxlsxwriter counts the escape's seven characters where the cell holds one.
        {"escapes count as handed", "_x0041_" + times(kCellTextMax - 7, "a"), false,
         "_x005F_x0041_" + times(kCellTextMax - 13, "a"), kCellTextMax - 6, true},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CellText cell = cellText(c.text, c.dropEquals);
        EXPECT_EQ(cell.utf8.size(), c.kept.size());
        EXPECT_TRUE(cell.utf8 == c.kept);
        EXPECT_EQ(cell.length, c.length);
        EXPECT_EQ(cell.cut, c.cut);
    }
}

TEST(NotFitted, SaysWhatWasCutAndLeftOutInPlainWords) {
    struct Case {
        const char* name;
        int cuts;
        qsizetype leftOut;
        QString text;
    };
    const QString rows = "ticked rows after table row 1,048,575 do not fit on the sheet and were "
                         "left out.";
    const Case cases[] = {
        {"everything fitted", 0, 0, ""},
        {"one text", 1, 0,
         "1 text was longer than the 32,767 characters a cell holds and was cut to fit: B2."},
        {"two texts", 2, 0,
         "2 texts were longer than the 32,767 characters a cell holds and were cut to fit: B2, "
         "B3."},
        {"ten texts, all named", 10, 0,
         "10 texts were longer than the 32,767 characters a cell holds and were cut to fit: B2, "
         "B3, B4, B5, B6, B7, B8, B9, B10, B11."},
        {"eleven texts", 11, 0,
         "11 texts were longer than the 32,767 characters a cell holds and were cut to fit: B2, "
         "B3, B4, B5, B6, B7, B8, B9, B10, B11 and 1 more."},
        {"thousands of texts", 1234, 0,
         "1,234 texts were longer than the 32,767 characters a cell holds and were cut to fit: "
         "B2, B3, B4, B5, B6, B7, B8, B9, B10, B11 and 1,224 more."},
        {"one row", 0, 1,
         "1 ticked row after table row 1,048,575 does not fit on the sheet and was left out."},
        {"two rows", 0, 2, "2 " + rows},
        {"a million rows", 0, 1000000, "1,000,000 " + rows},
        {"both", 1, 3,
         "1 text was longer than the 32,767 characters a cell holds and was cut to fit: B2.\r\n"
         "3 " +
             rows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NotFitted notFitted;
        for (int i = 0; i < c.cuts; ++i)
            notFitted.addCut(cellName(i + 1, 1));
        for (qsizetype i = 0; i < c.leftOut; ++i)
            notFitted.addLeftOutRow();
        EXPECT_EQ(notFitted.text(), c.text);
    }
}

TEST(NotFitted, WritesCountsAndCellNames) {
    EXPECT_EQ(withThousands(0), "0");
    EXPECT_EQ(withThousands(999), "999");
    EXPECT_EQ(withThousands(1000), "1,000");
    EXPECT_EQ(withThousands(32767), "32,767");
    EXPECT_EQ(withThousands(1048575), "1,048,575");
    EXPECT_EQ(withThousands(123456789), "123,456,789");

    EXPECT_EQ(cellName(0, 0), "A1");
    EXPECT_EQ(cellName(11, 1), "B12");
    EXPECT_EQ(cellName(1048575, 25), "Z1048576");
    EXPECT_EQ(cellName(0, 26), "AA1");
    EXPECT_EQ(cellName(0, 701), "ZZ1");
    EXPECT_EQ(cellName(0, 702), "AAA1");
}

TEST(SheetLimits, BoundsTheSheetsSizeByItsTickedRows) {
    RowStore rows;
    rows.startFile("ab");
    rows.append("cde", true);
    rows.append(std::string(1000, 'x'), false);
    rows.startFile("");
    rows.append("", true);

    // The sheet's own markup; then per ticked row its markup, and per cell markup and seven
    // bytes a byte.
    EXPECT_EQ(sheetXmlBound(ResultsSnapshot(true, rows)),
              65536u + (100 + 100 + 7 * 2 + 100 + 7 * 3) + (100 + 100 + 100));
    EXPECT_EQ(sheetXmlBound(ResultsSnapshot(false, rows)),
              65536u + (100 + 100 + 7 * 3) + (100 + 100));
    EXPECT_EQ(sheetXmlBound(ResultsSnapshot(true, RowStore())), 65536u);
}

} // namespace
} // namespace tagmill
