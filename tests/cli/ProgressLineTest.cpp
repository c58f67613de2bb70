// The progress line's text: counts grouped by thousands, decimal byte units, clock times, the
// time left at the pace so far, and the cut that keeps it within the terminal.

#include "cli/Progress.h"

#include <gtest/gtest.h>

using namespace tagmill::cli;
using namespace std::chrono_literals;

namespace {

TEST(ProgressLine, TellsTheFiguresOfTheRun) {
    struct Case {
        ProgressFigures figures;
        int columns;
        const char* line;
    };
    const Case cases[] = {
        {{0, 1, 0, 0, 0, 500ms},
         200,
         "tagmill-cli: 0 of 1 files, 0 B, 0 rows, 0:00 elapsed, -- left"},
        {{1234, 10000, 56'700'000, 8901, 1234, 12s},
         200,
         "tagmill-cli: 1,234 of 10,000 files, 56.7 MB, 8,901 rows, 0:12 elapsed, about 1:25 "
         "left"},
        // The share read of the files being read counts before any of them is done.
        {{0, 1, 999, 7, 0.25, 10s},
         200,
         "tagmill-cli: 0 of 1 files, 999 B, 7 rows, 0:10 elapsed, about 0:30 left"},
        {{1'000'000, 1'000'000, 1000, 1'234'567, 1'000'000, 3723s},
         200,
         "tagmill-cli: 1,000,000 of 1,000,000 files, 1.0 kB, 1,234,567 rows, 1:02:03 elapsed, "
         "about 0:00 left"},
        {{100, 123, 999'960, 100, 100, 59'999ms},
         200,
         "tagmill-cli: 100 of 123 files, 1.0 MB, 100 rows, 0:59 elapsed, about 0:14 left"},
        {{5, 6, 1'500'000'000'000, 0, 5, 10s},
         200,
         "tagmill-cli: 5 of 6 files, 1.5 TB, 0 rows, 0:10 elapsed, about 0:02 left"},
        {{999, 1000, 999'949, 0, 999, 1s},
         200,
         "tagmill-cli: 999 of 1,000 files, 999.9 kB, 0 rows, 0:01 elapsed, about 0:00 left"},
        // One column short of the terminal's width, so that the cursor never passes its edge.
        {{1, 2, 0, 0, 1, 1s}, 21, "tagmill-cli: 1 of 2 "},
        {{1, 2, 0, 0, 1, 1s}, 1, ""},
        {{1, 2, 0, 0, 1, 1s}, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(progressLine(c.figures, c.columns), c.line) << c.line;
}

} // namespace
