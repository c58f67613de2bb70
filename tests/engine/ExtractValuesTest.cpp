#include "engine/ExtractValues.h"

#include <gtest/gtest.h>

using namespace tagmill;

namespace {

struct Outcome {
    QStringList values;
    QStringList failures;
    int yields = 0;
};

Outcome extract(ExtractionOption option, const QStringList& units, const QStringList& tags) {
    Outcome out;
    ExtractValues(
        option, units, tags, [&](const QString& v) { out.values.append(v); }, [&] { ++out.yields; },
        [&](const QString& d) { out.failures.append(d); });
    return out;
}

struct Example {
    const char* text;
    const char* tag;
    QStringList option1;
    QStringList option2;
    QStringList option4;
};

// Option 3 gives the whole line for every example, since each holds "<" + tag.
const Example WorkedExamples[] = {
    {"<look><here>hi</here></look>", "look", {"<look><here>hi</here></look>"}, {"hi"}, {}},
    {"<look><here>hi</here></look>", "here", {"<here>hi</here>"}, {"hi"}, {}},
    {"<item id=\"7\">Pen</item>", "item", {"<item id=\"7\">Pen</item>"}, {"Pen"}, {"7"}},
    {"<Name>Ann</NAME>", "name", {"<Name>Ann</NAME>"}, {"Ann"}, {}},
    {"<p>one<b>two</b>three</p>", "p", {"<p>one<b>two</b>three</p>"}, {"two"}, {}},
    {"<p>text<br/>more</p>", "p", {"<p>text<br/>more</p>"}, {"more"}, {}},
    {"<x></x>", "x", {"<x></x>"}, {""}, {}},
    {"<x/>", "x", {}, {}, {}},
    {"<td2>a</td2><td>b</td>", "td", {"<td2>a</td2><td>b</td>"}, {"a"}, {}},
    {"<a><a>x</a></a>", "a", {"<a><a>x</a>"}, {"x"}, {}},
    {"<record from=\"53000059\" to=\"graphics/pictures/person/53000059/portrait\"/>",
     "record",
     {},
     {},
     {"53000059", "graphics/pictures/person/53000059/portrait"}},
    {"<tdata>x</tdata><td>y</td>", "td", {"<tdata>x</tdata><td>y</td>"}, {"x"}, {}},
    {"<x/> then <x>later</x>", "x", {"<x/> then <x>later</x>"}, {"later"}, {}},
    {"<desc>\r\n  Red\r\n</desc>", "desc", {"<desc>\r\n  Red\r\n</desc>"}, {"\r\n  Red\r\n"}, {}},
    {"<td>a</td >", "td", {}, {}, {}},
    {"<PRÉIS>5</préis>", "préis", {"<PRÉIS>5</préis>"}, {"5"}, {}},
    {"<e>one</e><e>two</e>", "e", {"<e>one</e>", "<e>two</e>"}, {"one", "two"}, {}},
    {"\"a\" \"b\" \"c", "q", {}, {}, {"a", "b"}},
    {"\"\"", "q", {}, {}, {""}},
    {"<p></b>x</p>", "p", {"<p></b>x</p>"}, {"x"}, {}},
    {"<p>a>b</p>", "p", {"<p>a>b</p>"}, {"b"}, {}},
    {"<k>x</k>", "K", {"<k>x</k>"}, {"x"}, {}},
    // A non-ASCII letter never matches an ASCII one: the Kelvin sign is not a k.
    {"<\u212A>x</\u212A>", "k", {}, {}, {}},
};

TEST(ExtractValues, WorkedExamples) {
    for (const Example& ex : WorkedExamples) {
        const QString text = QString::fromUtf8(ex.text);
        const QStringList tags{QString::fromUtf8(ex.tag)};
        SCOPED_TRACE(ex.text);
        EXPECT_EQ(extract(ExtractionOption::TagAndValue, {text}, tags).values, ex.option1);
        EXPECT_EQ(extract(ExtractionOption::ValueOnly, {text}, tags).values, ex.option2);
        EXPECT_EQ(extract(ExtractionOption::Quoted, {text}, tags).values, ex.option4);
        const QStringList line =
            text.contains("<" + tags[0], Qt::CaseInsensitive) && !text.contains(QChar(0x212A))
                ? QStringList{text}
                : QStringList{};
        EXPECT_EQ(extract(ExtractionOption::WholeLine, {text}, tags).values, line);
    }
}

TEST(ExtractValues, TagShapesThatFindNothingOrEverything) {
    const QString text = "<td>a</td><td class=\"c\">b</td>";
    EXPECT_TRUE(extract(ExtractionOption::TagAndValue, {text}, {"<td>"}).values.isEmpty());
    EXPECT_TRUE(extract(ExtractionOption::ValueOnly, {text}, {"td "}).values.isEmpty());
    EXPECT_EQ(extract(ExtractionOption::WholeLine, {text}, {"td "}).values, QStringList{text});
    // An empty tag opens at any "<" and closes only at "</>".
    EXPECT_EQ(extract(ExtractionOption::TagAndValue, {"a<b>c</>d"}, {""}).values,
              QStringList{"<b>c</>"});
    EXPECT_EQ(extract(ExtractionOption::WholeLine, {"<a>", "none", "x<"}, {""}).values,
              (QStringList{"<a>", "x<"}));
}

TEST(ExtractValues, OpeningTagWithoutEndBeforeClosingIsAFailureAndTheSearchGoesOn) {
    const Outcome out = extract(ExtractionOption::ValueOnly, {"<x</x><x>ok</x>"}, {"x"});
    EXPECT_EQ(out.values, QStringList{"ok"});
    ASSERT_EQ(out.failures.size(), 1);
    EXPECT_FALSE(out.failures[0].isEmpty());
    // Option 1 takes the same stretch whole and has no such failure.
    EXPECT_EQ(extract(ExtractionOption::TagAndValue, {"<x</x>"}, {"x"}).values,
              QStringList{"<x</x>"});
}

TEST(ExtractValues, OrderIsTagsThenOccurrencesAndLinesGroupByTag) {
    const QString text = "<b>1</b><a>2</a><b>3</b>";
    EXPECT_EQ(extract(ExtractionOption::ValueOnly, {text}, {"a", "b"}).values,
              (QStringList{"2", "1", "3"}));
    const QStringList lines{"<a><b>", "<b>", "<a><a>"};
    EXPECT_EQ(extract(ExtractionOption::WholeLine, lines, {"a", "b"}).values,
              (QStringList{"<a><b>", "<a><a>", "<a><b>", "<b>"}));
}

TEST(ExtractValues, BlocksAreSearchedAsOneText) {
    const QStringList blocks{"<price>1", "2</pri", "ce> \"a", "b\""};
    EXPECT_EQ(extract(ExtractionOption::ValueOnly, blocks, {"price"}).values, QStringList{"12"});
    EXPECT_EQ(extract(ExtractionOption::Quoted, blocks, {"price"}).values, QStringList{"ab"});
}

TEST(ExtractValues, YieldsBeforeSearchStepsExceptForLines) {
    EXPECT_EQ(extract(ExtractionOption::ValueOnly, {"<a>1</a><a>2</a>"}, {"a"}).yields, 3);
    EXPECT_EQ(extract(ExtractionOption::WholeLine, {"<a>"}, {"a"}).yields, 0);
    const Outcome none = extract(ExtractionOption::Nothing, {"<a>1</a>"}, {"a"});
    EXPECT_TRUE(none.values.isEmpty());
}

} // namespace
