#pragma once

#include "engine/MatchMemo.h"
#include "engine/TextSearch.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tagmill::detail {

/// Every pattern searched starts with "<", so a text is searched by visiting the places where
/// a "<" may begin one and walking this tree of the folded characters that follow the "<" in
/// each pattern: all tags are found in one pass, however many there are.
template <typename Char> class PatternTrie {
public:
    struct Match {
        std::uint32_t tag;
        bool closing;
    };
    struct Pattern {
        std::basic_string_view<Char> text; // folded, "<" included
        Match match;
    };

    explicit PatternTrie(const std::vector<Pattern>& patterns) : m_nodes(1) {
        if (!patterns.empty() && patterns.size() <= FewPatterns) {
            for (const Pattern& pattern : patterns)
                m_few.push_back(FewPattern::of(pattern));
            m_fewFitWords = std::all_of(m_few.begin(), m_few.end(), [](const FewPattern& few) {
                return few.text.size() <= 16;
            });
            return;
        }
        for (const Pattern& pattern : patterns) {
            std::uint32_t node = 0;
            for (Char c : pattern.text.substr(1))
                node = childOrNew(node, c);
            m_nodes[node].matches.push_back(pattern.match);
        }
        for (Node& node : m_nodes)
            if (node.children.size() > TableAfter)
                fillTable(node);
        for (std::uint32_t node = 0; node < m_nodes.size(); ++node)
            joinRun(node);
    }

    /// The patterns that begin at the "<" at `at`; null when the text ends before the walk does
    /// and more may follow (atEnd false): the caller tries again with more. What it points to
    /// stays until the next call.
    const std::vector<Match>* matchesAt(std::basic_string_view<Char> text, std::size_t at,
                                        bool atEnd) const {
        if constexpr (sizeof(Char) == 1) {
            if (m_few.empty() && text.size() - at >= MatchMemo<Match>::KeyBytes)
                if (const std::vector<Match>* kept = m_memo.find(text.data() + at))
                    return kept;
        }
        return compared(text, at, atEnd);
    }

private:
    // What comparing the patterns finds: one after another when they are few, else by walking
    // the tree, whose result is kept for the next time the same name comes. Out of line, so
    // that a name found in the memo costs no more than the lookup.
    [[gnu::noinline]] const std::vector<Match>* compared(std::basic_string_view<Char> text,
                                                         std::size_t at, bool atEnd) const {
        m_found.clear();
        if (!m_few.empty())
            return fewMatchAt(text, at, atEnd, m_found) ? &m_found : nullptr;
        std::size_t examined = 0;
        if (!walk(text, at, atEnd, m_found, examined))
            return nullptr;
        // A walk cut short by the end of the text says nothing of the same bytes with more
        // after them.
        if constexpr (sizeof(Char) == 1)
            if (text.size() - at >= MatchMemo<Match>::KeyBytes && at + examined < text.size())
                m_memo.keep(text.data() + at, examined, m_found);
        return &m_found;
    }

    static constexpr std::uint32_t None = 0; // the root is nobody's child
    // Up to this many patterns (those of four tags) are compared one after another, which
    // costs less than walking the tree: most differ from the text at the byte after the "<".
    static constexpr std::size_t FewPatterns = 8;

    // The walk from the "<" at `at`; `examined` tells how many units from there it looked at.
    bool walk(std::basic_string_view<Char> text, std::size_t at, bool atEnd,
              std::vector<Match>& found, std::size_t& examined) const {
        std::uint32_t node = 0;
        std::size_t i = at + 1;
        auto stop = [&](bool decided) {
            examined = i - at;
            return decided;
        };
        for (;;) {
            const Node& here = m_nodes[node];
            if (!here.matches.empty())
                found.insert(found.end(), here.matches.begin(), here.matches.end());
            if (!here.run.empty()) {
                for (Char c : here.run) {
                    if (i == text.size())
                        return stop(atEnd);
                    if (foldedAt(text, i++) != c)
                        return stop(true);
                }
                node = here.runEnd;
                continue;
            }
            if (here.children.empty())
                return stop(true);
            if (i == text.size())
                return stop(atEnd);
            node = here.child(foldedAt(text, i++));
            if (node == None)
                return stop(true);
        }
    }

    // A pattern compared in turn. Byte patterns of up to 16 bytes are compared as two words, the
    // text ORed with the case bit where the pattern has a letter, which then matches either case.
    struct FewPattern {
        std::basic_string<Char> text;
        Match match;
        std::array<std::uint64_t, 2> caseBits{}, want{}, used{};

        static FewPattern of(const Pattern& pattern) {
            FewPattern few{std::basic_string<Char>(pattern.text), pattern.match};
            if constexpr (sizeof(Char) == 1) {
                for (std::size_t i = 0; i < std::min<std::size_t>(pattern.text.size(), 16); ++i) {
                    const auto c = std::uint64_t(std::uint8_t(pattern.text[i]));
                    const int shift = int(i % 8) * 8;
                    if (c >= 'a' && c <= 'z')
                        few.caseBits[i / 8] |= std::uint64_t(0x20) << shift;
                    few.want[i / 8] |= c << shift;
                    few.used[i / 8] |= std::uint64_t(0xFF) << shift;
                }
            }
            return few;
        }
        // Whether the pattern is at p, which has 16 bytes to read.
        bool wordsMatch(const char* p) const {
            std::uint64_t word[2];
            std::memcpy(word, p, sizeof word);
            return ((((word[0] | caseBits[0]) & used[0]) ^ want[0]) |
                    (((word[1] | caseBits[1]) & used[1]) ^ want[1])) == 0;
        }
    };

    bool fewMatchAt(std::basic_string_view<Char> text, std::size_t at, bool atEnd,
                    std::vector<Match>& found) const {
        if constexpr (sizeof(Char) == 1) {
            if (text.size() - at >= 16 && m_fewFitWords) {
                for (const FewPattern& few : m_few)
                    if (few.wordsMatch(text.data() + at))
                        found.push_back(few.match);
                return true;
            }
        }
        bool decided = true;
        for (const FewPattern& few : m_few) {
            const std::basic_string<Char>& pattern = few.text;
            std::size_t i = 1;
            while (i < pattern.size() && at + i < text.size() &&
                   foldedAt(text, at + i) == pattern[i])
                ++i;
            if (i == pattern.size())
                found.push_back(few.match);
            else if (at + i == text.size() && !atEnd)
                decided = false;
        }
        return decided;
    }
    static constexpr std::size_t TableAfter = 8; // children looked up in a table beyond this

    struct Node {
        std::vector<std::pair<Char, std::uint32_t>> children;
        std::unique_ptr<std::array<std::uint32_t, 128>> ascii; // for nodes with many children
        std::vector<Match> matches;
        // A chain of nodes with one child each and nothing found on the way, walked as a
        // string: most patterns share little with the others.
        std::basic_string<Char> run;
        std::uint32_t runEnd = None;

        std::uint32_t child(Char c) const {
            const auto unit = std::make_unsigned_t<Char>(c);
            if (ascii && unit < 128)
                return (*ascii)[unit];
            for (const auto& [key, index] : children)
                if (key == c)
                    return index;
            return None;
        }
    };

    static Char foldedAt(std::basic_string_view<Char> text, std::size_t i) {
        if constexpr (sizeof(Char) == 1)
            return foldUnit(text[i]);
        else
            return foldedUnitAt(text, i);
    }

    std::uint32_t childOrNew(std::uint32_t node, Char c) {
        for (const auto& [key, index] : m_nodes[node].children)
            if (key == c)
                return index;
        const auto index = std::uint32_t(m_nodes.size());
        m_nodes.emplace_back();
        m_nodes[node].children.emplace_back(c, index);
        return index;
    }

    static void fillTable(Node& node) {
        node.ascii = std::make_unique<std::array<std::uint32_t, 128>>();
        node.ascii->fill(None);
        for (const auto& [key, child] : node.children)
            if (std::make_unsigned_t<Char>(key) < 128)
                (*node.ascii)[std::make_unsigned_t<Char>(key)] = child;
    }

    void joinRun(std::uint32_t node) {
        std::basic_string<Char> run;
        std::uint32_t end = node;
        while (m_nodes[end].children.size() == 1) {
            const auto [c, next] = m_nodes[end].children.front();
            run += c;
            end = next;
            if (!m_nodes[end].matches.empty())
                break;
        }
        if (run.size() < 2)
            return;
        m_nodes[node].run = std::move(run);
        m_nodes[node].runEnd = end;
    }

    std::vector<Node> m_nodes;
    std::vector<FewPattern> m_few;      // the patterns, when few
    mutable MatchMemo<Match> m_memo;    // what the walks found at the names seen lately
    mutable std::vector<Match> m_found; // what the last call found, unless it was kept
    bool m_fewFitWords = false;         // every one of them 16 bytes or shorter
};

} // namespace tagmill::detail
