#include "lists/Wildcard.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace tagmill;

namespace {

TEST(Wildcard, MatchesAsADirectoryListingDoes) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a.xml", "*.xml", true},
        {"A.XML", "*.xml", true},
        {"a.XmL", "*.XML", true},
        {".xml", "*.xml", true},
        {"a.xml.bak", "*.xml", false},
        {"axml", "*.xml", false},
        {"a.b.xml", "*.xml", true},
        {"noext", "*.*", true},
        {"", "*.*", true},
        {"a.txt", "*.*", true},
        {"noext", "*.", false},
        {"a..xml", "*..xml", true},
        {"a.xml", "*..xml", false},
        {"a.xml", "*.x?l", true},
        {"a.xl", "*.x?l", false},
        {"report.xml", "*.*ml", true},
        {"Ünïcödé.ÄBC", "*.äbc", true},
        {"a[1].xml", "*[1].xml", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
        {"abc", "a*b*c*", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchesWildcard(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)),
                  c.matches)
            << c.name << " against " << c.pattern;
}

} // namespace
