#pragma once

// The searches of options 1 to 4 over a file that arrives in pieces. Each keeps what it needs
// between pieces as positions in the whole text (0-based, counted from the first character
// after the mark), and tells through needed() the earliest position whose text it may still
// use: the caller keeps the text from there on and may drop what lies before. Each scan goes
// as far as the text allows and stops where it has to see more; atEnd says that nothing more
// follows.
//
// Out receives what is found:
//   void value(std::size_t stream, std::basic_string_view<Char> text)
//   void failure(std::size_t stream, const QString& description)

#include "engine/PatternStarts.h"
#include "engine/PatternTrie.h"
#include "engine/Searches.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace tagmill::detail {

inline constexpr std::uint64_t NotOpen = std::numeric_limits<std::uint64_t>::max();

/// Position of the first c at or after `from`; the text's length when there is none.
template <typename Char>
std::size_t findUnit(std::basic_string_view<Char> text, std::size_t from, Char c) {
    const std::size_t at = firstFrom(text, from, c);
    return at == text.npos ? text.size() : at;
}

/// Options 1 and 2 for every tag at once. For each tag, as on its own: from the search
/// position, the first opening pattern, then the first closing pattern at or after it; the
/// next search starts after that closing pattern.
template <typename Char> class ElementSearch {
public:
    ElementSearch(const std::vector<TagPatterns<Char>>& tags, bool includeTags)
        : m_trie(patternsOf(tags)), m_includeTags(includeTags) {
        for (const TagPatterns<Char>& tag : tags)
            m_tags.push_back({0, NotOpen, tag.closing.size()});
        std::vector<std::basic_string_view<Char>> openings, all;
        for (const TagPatterns<Char>& tag : tags) {
            openings.push_back(tag.opening);
            all.push_back(tag.opening);
            all.push_back(tag.closing);
        }
        m_openingStarts.emplace(openings);
        m_allStarts.emplace(all);
    }

    /// Forgets the last file, keeping the patterns, which take a while to lay out for many tags.
    void restart() {
        for (TagState& tag : m_tags) {
            tag.next = 0;
            tag.open = NotOpen;
        }
        m_openCount = 0;
        m_scanned = 0;
    }

    template <typename Out>
    void scan(std::basic_string_view<Char> text, std::uint64_t base, bool atEnd, Out& out) {
        std::size_t at = std::size_t(m_scanned - base);
        // While no element is open, closing patterns cannot matter.
        while ((at = (m_openCount > 0 ? m_allStarts : m_openingStarts)->next(text, at)) <
               text.size()) {
            const auto* found = m_trie.matchesAt(text, at, atEnd);
            if (!found) {
                m_scanned = base + at;
                return;
            }
            if (!found->empty())
                take(text, base, at, *found, out);
            ++at;
        }
        m_scanned = base + text.size();
    }

    std::uint64_t needed() const {
        std::uint64_t earliest = m_scanned;
        for (const TagState& tag : m_tags)
            earliest = std::min(earliest, tag.open);
        return earliest;
    }

private:
    static std::vector<typename PatternTrie<Char>::Pattern>
    patternsOf(const std::vector<TagPatterns<Char>>& tags) {
        std::vector<typename PatternTrie<Char>::Pattern> patterns;
        for (std::uint32_t t = 0; t < tags.size(); ++t) {
            patterns.push_back({tags[t].opening, {t, false}});
            patterns.push_back({tags[t].closing, {t, true}});
        }
        return patterns;
    }

    struct TagState {
        std::uint64_t next; // where the search for the next opening pattern starts
        std::uint64_t open; // the opening pattern waiting for its closing one, or NotOpen
        std::size_t closingLength;
    };

    // The patterns found at one "<": openings first, since a closing pattern may close an
    // element opened at the very same place.
    template <typename Out>
    void take(std::basic_string_view<Char> text, std::uint64_t base, std::size_t at,
              const std::vector<typename PatternTrie<Char>::Match>& found, Out& out) {
        const std::uint64_t position = base + at;
        for (const auto& match : found) {
            TagState& tag = m_tags[match.tag];
            if (!match.closing && tag.open == NotOpen && position >= tag.next) {
                tag.open = position;
                ++m_openCount;
            }
        }
        for (const auto& match : found) {
            TagState& tag = m_tags[match.tag];
            if (match.closing && tag.open != NotOpen) {
                deliver(text, std::size_t(tag.open - base), at, match.tag, out);
                tag.next = position + tag.closingLength;
                tag.open = NotOpen;
                --m_openCount;
            }
        }
    }

    template <typename Out> struct TagOut {
        std::basic_string_view<Char> text;
        std::size_t stream;
        Out& out;
        void value(std::size_t start, std::size_t length) {
            out.value(stream, text.substr(start, length));
        }
        void failure(const QString& description) { out.failure(stream, description); }
    };

    template <typename Out>
    void deliver(std::basic_string_view<Char> text, std::size_t open, std::size_t close,
                 std::size_t stream, Out& out) {
        TagOut<Out> tagOut{text, stream, out};
        if (m_includeTags)
            tagOut.value(open, close + m_tags[stream].closingLength - open);
        else
            deliverInnerValue(text, open, close, tagOut);
    }

    PatternTrie<Char> m_trie;
    std::optional<PatternStarts<Char>> m_openingStarts; // where an opening pattern may begin
    std::optional<PatternStarts<Char>> m_allStarts;     // where any pattern may begin
    std::vector<TagState> m_tags;
    std::size_t m_openCount = 0;
    bool m_includeTags;
    std::uint64_t m_scanned = 0;
};

/// Option 3 for every tag at once: each line (a run of characters between CR or LF) that holds
/// a tag's opening pattern goes to that tag's stream, once however often it holds it. Lines are
/// only looked at where a pattern may begin, so most of the text is passed over 16 bytes at a
/// time.
template <typename Char> class LineSearch {
public:
    /// A line holding no pattern so far stops being kept once it is longer than carryLimit; should
    /// a pattern follow, Out is asked for the line from its start, which it reads again:
    ///   void value(std::size_t stream, std::uint64_t from, std::uint64_t base,
    ///              std::basic_string_view<Char> rest)   the text from `from` to `base`, then rest
    explicit LineSearch(const std::vector<TagPatterns<Char>>& tags,
                        std::uint64_t carryLimit = NotOpen)
        : m_trie(patternsOf(tags)), m_lastLine(tags.size(), 0), m_carryLimit(carryLimit) {
        std::vector<std::basic_string_view<Char>> openings;
        for (const auto& pattern : patternsOf(tags))
            openings.push_back(pattern.text);
        m_starts.emplace(openings);
    }

    /// Forgets the last file, keeping the patterns.
    void restart() {
        std::fill(m_lastLine.begin(), m_lastLine.end(), 0);
        m_marked.clear();
        m_line = 1;
        m_inLine = false;
        m_lineStart = m_lineKnownAt = m_scanned = 0;
    }

    template <typename Out>
    void scan(std::basic_string_view<Char> text, std::uint64_t base, bool atEnd, Out& out) {
        std::size_t at = std::size_t(m_scanned - base);
        for (;;) {
            if (m_inLine) {
                const std::size_t end = findLineBreak(text, at);
                const bool lineEnds = end < text.size() || atEnd;
                if (!markTags(text, at, end, lineEnds, base))
                    return;
                if (!lineEnds) {
                    m_scanned = base + end;
                    return;
                }
                for (std::size_t stream : m_marked)
                    deliver(text, base, end, stream, out);
                m_marked.clear();
                m_inLine = false;
                ++m_line;
                at = std::min(end + 1, text.size());
                m_lineStart = m_lineKnownAt = base + at;
                continue;
            }
            at = m_starts->next(text, at);
            if (at == text.size()) {
                findLineStart(text, at, base);
                m_scanned = base + at;
                return;
            }
            const auto* found = m_trie.matchesAt(text, at, atEnd);
            if (!found) {
                findLineStart(text, at, base);
                m_scanned = base + at;
                return;
            }
            if (!found->empty()) {
                findLineStart(text, at, base);
                m_inLine = true;
                for (const auto& match : *found)
                    mark(match.tag);
            }
            ++at;
        }
    }

    std::uint64_t needed() const {
        if (!m_inLine && m_scanned - m_lineStart > m_carryLimit)
            return std::min(m_lineKnownAt, m_scanned);
        return m_lineStart;
    }

private:
    // The opening patterns; one holding a line break can never lie within a line.
    static std::vector<typename PatternTrie<Char>::Pattern>
    patternsOf(const std::vector<TagPatterns<Char>>& tags) {
        std::vector<typename PatternTrie<Char>::Pattern> patterns;
        for (std::uint32_t t = 0; t < tags.size(); ++t)
            if (std::none_of(tags[t].opening.begin(), tags[t].opening.end(),
                             [](Char c) { return isLineBreak(char16_t(c)); }))
                patterns.push_back({tags[t].opening, {t, false}});
        return patterns;
    }

    // Finds where the line holding position `at` starts: after the last line break before it.
    // Only the text after the last position whose line start is known is looked at, so each
    // character is looked at once.
    void findLineStart(std::basic_string_view<Char> text, std::size_t at, std::uint64_t base) {
        const std::size_t floor = std::size_t(m_lineKnownAt - base);
        std::size_t i = at;
        while (i > floor && !isLineBreak(char16_t(text[i - 1])))
            --i;
        if (i > floor)
            m_lineStart = base + i;
        m_lineKnownAt = base + at;
    }

    template <typename Out>
    void deliver(std::basic_string_view<Char> text, std::uint64_t base, std::size_t end,
                 std::size_t stream, Out& out) {
        if (m_lineStart >= base) {
            const auto start = std::size_t(m_lineStart - base);
            out.value(stream, text.substr(start, end - start));
        } else if constexpr (sizeof(Char) == 1) {
            out.value(stream, m_lineStart, base, text.substr(0, end));
        }
    }

    // Marks the tags whose opening pattern lies in [from, end); false when a pattern may run on
    // past the text, whose start is then where the next scan goes on.
    bool markTags(std::basic_string_view<Char> text, std::size_t from, std::size_t end,
                  bool lineEnds, std::uint64_t base) {
        const std::basic_string_view<Char> line = text.substr(0, end);
        for (std::size_t at = from; (at = m_starts->next(line, at)) < end; ++at) {
            const auto* found = m_trie.matchesAt(text, at, lineEnds);
            if (!found) {
                m_scanned = base + at;
                return false;
            }
            for (const auto& match : *found)
                mark(match.tag);
        }
        return true;
    }

    void mark(std::size_t tag) {
        if (m_lastLine[tag] == m_line)
            return;
        m_lastLine[tag] = m_line;
        m_marked.push_back(tag);
    }

    PatternTrie<Char> m_trie;
    std::optional<PatternStarts<Char>> m_starts;
    std::vector<std::uint64_t> m_lastLine; // the last line (numbered from 1) marked for each tag
    std::vector<std::size_t> m_marked;     // the tags whose pattern the current line holds
    std::uint64_t m_line = 1;
    bool m_inLine = false; // a line holding a pattern is being read to its end
    std::uint64_t m_carryLimit;
    std::uint64_t m_lineStart = 0;   // the start of the line of the scan position
    std::uint64_t m_lineKnownAt = 0; // the position up to which m_lineStart has been found
    std::uint64_t m_scanned = 0;
};

/// Option 4: the characters between the first and second quotation mark, the third and
/// fourth, and so on; an unpaired last mark gives nothing. One stream.
template <typename Char> class QuoteSearch {
public:
    void restart() {
        m_open = NotOpen;
        m_scanned = 0;
    }

    template <typename Out>
    void scan(std::basic_string_view<Char> text, std::uint64_t base, bool, Out& out) {
        for (std::size_t at = std::size_t(m_scanned - base);;) {
            at = findUnit(text, at, Char('"'));
            if (at == text.size())
                break;
            if (m_open == NotOpen) {
                m_open = base + at;
            } else {
                const std::size_t start = std::size_t(m_open - base) + 1;
                out.value(0, text.substr(start, at - start));
                m_open = NotOpen;
            }
            ++at;
        }
        m_scanned = base + text.size();
    }

    std::uint64_t needed() const { return std::min(m_open, m_scanned); }

private:
    std::uint64_t m_open = NotOpen;
    std::uint64_t m_scanned = 0;
};

} // namespace tagmill::detail
