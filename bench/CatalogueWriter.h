#pragma once

// Product catalogues for benchmarks: nested elements, quoted attributes, multi-line
// descriptions, comments, about 1% mixed-case tags and a little non-ASCII UTF-8.
// The same seed always gives the same bytes.

#include <cctype>
#include <cstdio>
#include <random>
#include <string>

namespace tagmill::bench {

inline const char* const Categories[] = {"tents",    "sleeping", "cooking",
                                         "clothing", "climbing", "lights"};
inline const char* const Words[] = {"light",   "sturdy", "waterproof", "compact", "warm",
                                    "durable", "packs",  "small",      "for",     "two",
                                    "three",   "season", "trail",      "summit"};
// Rarer words outside ASCII.
inline const char* const ForeignWords[] = {"café", "crème", "Zürich", "ångström"};

class Writer {
public:
    explicit Writer(unsigned seed) : m_random(seed) {}

    std::string catalogue(std::size_t bytes) {
        std::string out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalogue shop=\"Bench\">\n";
        while (out.size() < bytes)
            product(out);
        out += "</catalogue>\n";
        return out;
    }

private:
    unsigned pick(unsigned n) { return unsigned(m_random() % n); }

    // About one tag in a hundred is written in another letter case.
    std::string tagName(const char* lower) {
        std::string name = lower;
        const unsigned roll = pick(200);
        if (roll == 0)
            for (char& c : name)
                c = char(std::toupper(c));
        else if (roll == 1)
            name[0] = char(std::toupper(name[0]));
        return name;
    }

    std::string words(unsigned n) {
        std::string s;
        for (unsigned i = 0; i < n; ++i) {
            if (i)
                s += ' ';
            s += pick(50) == 0 ? ForeignWords[pick(std::size(ForeignWords))]
                               : Words[pick(std::size(Words))];
        }
        return s;
    }

    void element(std::string& out, const char* indent, const char* tag, const std::string& attrs,
                 const std::string& text) {
        const std::string name = tagName(tag);
        out += indent;
        out += "<" + name + attrs + ">" + text + "</" + name + ">\n";
    }

    void product(std::string& out) {
        const unsigned id = ++m_id;
        if (pick(4) == 0)
            out += "  <!-- product " + std::to_string(id) + ": <price> may change -->\n";
        out += "  <product id=\"P-" + std::to_string(id) + "\" category=\"" +
               Categories[pick(std::size(Categories))] + "\" stock=\"" + std::to_string(pick(500)) +
               "\">\n";
        element(out, "    ", "name", "", words(3) + " " + std::to_string(id));
        char price[32];
        std::snprintf(price, sizeof price, "%u.%02u", 5 + pick(900), pick(100));
        element(out, "    ", "price", " currency=\"EUR\"", price);
        out += "    <description>\n      " + words(8) + "\n      " + words(6) +
               "\n    </description>\n";
        out += "    <tags>";
        for (unsigned i = 0, n = 1 + pick(3); i < n; ++i)
            out += "<tag>" + std::string(Words[pick(std::size(Words))]) + "</tag>";
        out += "</tags>\n";
        out += "    <dimensions unit=\"cm\" length=\"" + std::to_string(10 + pick(200)) +
               "\" width=\"" + std::to_string(5 + pick(90)) + "\"/>\n";
        out += "  </product>\n";
    }

    std::mt19937 m_random;
    unsigned m_id = 0;
};

} // namespace tagmill::bench
