// Writes a corpus of many short values: lexicon files whose <entry> elements each hold 5 to 50
// characters, mostly outside ASCII (Greek, Cyrillic, CJK, accented Latin, some ASCII), in
// records with attributes, comments and other elements around them. UTF-8 without a byte-order
// mark; the same seed always gives the same bytes. Prints how many <entry> values it wrote.
//
//   make_short_values DIR [FILES=2000] [SEED=1]
//
// The defaults make 2,000 files of 435 values each: 870,000 values in about 175 MB.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace tagmill::bench {

// The tag the benchmarks search for. No other element's name starts with it.
const char* const ShortValueTag = "entry";
constexpr long ValuesPerFile = 435;

struct Script {
    const char* lang;
    const char* lower; // UTF-8, one code point per letter
    const char* upper; // "" where the script has no capitals
    bool spaced;       // words separated by spaces
    unsigned weight;   // out of 100
};

// Letters only: no '<', '&', '>' or quote, so every value is its own text.
const Script Scripts[] = {
    {"el", "αβγδεζηθικλμνξοπρστυφχψωάέήίόύώ", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ", true, 24},
    {"ru", "абвгдежзийклмнопрстуфхцчшщъыьэюяё", "АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ", true, 24},
    {"zh",
     "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学"
     "对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头"
     "面公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向"
     "情部正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信",
     "", false, 12},
    {"ja",
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
     "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
     "日本語東京大阪学生先生時間電車新聞",
     "", false, 8},
    {"fr", "abcdeéèêëfghiîïjklmnoôpqrstuùûüvwxyzàâæçœ", "ABCDEÉÈFGHIJLMNOPRSTUVÀÇ", true, 8},
    {"de", "abcdefghijklmnopqrstuvwxyzäöüß", "ABCDEFGHIJKLMNOPRSTUVWZÄÖÜ", true, 6},
    {"cs", "aábcčdďeéěfghiíjklmnňoópqrřsštťuúůvwxyýzž", "ABCČDEFHJKLMNOPRŘSŠTUVZŽ", true, 4},
    {"pl", "aąbcćdeęfghijklłmnńoóprsśtuwyzźż", "ABCDEFGHIJKLŁMNOPRSŚTWZŻ", true, 4},
    {"en", "abcdefghijklmnopqrstuvwxyz0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", true, 10},
};

const char* const Sources[] = {"wiktionary", "corpus", "field-notes", "editor", "import"};
const char* const Statuses[] = {"draft", "checked", "reviewed"};
const char* const Parts[] = {"noun", "verb", "adj", "adv", "phrase"};

// Splits a UTF-8 string into its code points.
std::vector<std::string> codePoints(const char* text) {
    std::vector<std::string> out;
    for (const char* p = text; *p;) {
        const char* start = p++;
        while ((*p & 0xC0) == 0x80)
            ++p;
        out.emplace_back(start, p);
    }
    return out;
}

class ShortValueWriter {
public:
    explicit ShortValueWriter(unsigned seed) : m_random(seed) {
        for (const Script& script : Scripts) {
            m_lower.push_back(codePoints(script.lower));
            m_upper.push_back(codePoints(script.upper));
        }
    }

    long values() const { return m_values; }

    std::string lexicon(long count) {
        std::string out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lexicon source=\"Bench\">\n";
        for (long i = 0; i < count; ++i)
            record(out);
        out += "</lexicon>\n";
        return out;
    }

private:
    unsigned pick(unsigned n) { return unsigned(m_random() % n); }

    std::size_t pickScript() {
        unsigned roll = pick(100);
        for (std::size_t i = 0; i < std::size(Scripts); ++i) {
            if (roll < Scripts[i].weight)
                return i;
            roll -= Scripts[i].weight;
        }
        return std::size(Scripts) - 1;
    }

    std::string letter(const std::vector<std::string>& letters) {
        return letters[pick(unsigned(letters.size()))];
    }

    // 5 to 50 characters in words of 1 to 10 letters; where the script has capitals, one word in
    // ten is in capitals and two are capitalised. No space first, last or twice in a row.
    std::string value(std::size_t script) {
        const std::vector<std::string>& lower = m_lower[script];
        const std::vector<std::string>& upper = m_upper[script];
        const unsigned length = 5 + pick(46);
        std::string s;
        unsigned left = 0; // letters left in the current word
        unsigned style = 0;
        for (unsigned i = 0; i < length; ++i) {
            const bool wordStart = i == 0 || left == 0;
            if (wordStart) {
                if (i > 0 && i + 1 < length && Scripts[script].spaced) {
                    s += ' ';
                    ++i;
                }
                left = 1 + pick(10);
                style = upper.empty() ? 9 : pick(10);
            }
            const bool capital = style == 0 || (style <= 2 && wordStart);
            s += letter(capital ? upper : lower);
            --left;
        }
        return s;
    }

    // Appends each piece in turn (GCC 12 warns falsely on "text" + std::string).
    template <typename... Pieces> static void append(std::string& out, const Pieces&... pieces) {
        (out.append(pieces), ...);
    }

    void record(std::string& out) {
        const std::string n = std::to_string(++m_id);
        if (pick(8) == 0)
            append(out, "  <!-- record ", n, " -->\n");
        append(out, "  <record n=\"", n, "\"");
        if (pick(2) == 0)
            append(out, " status=\"", Statuses[pick(std::size(Statuses))], "\"");
        out += ">\n";
        const std::size_t script = pickScript();
        append(out, "    <entry lang=\"", Scripts[script].lang, "\" id=\"", n, "\"");
        if (pick(4) == 0)
            append(out, " pos=\"", Parts[pick(std::size(Parts))], "\"");
        append(out, ">", value(script), "</entry>\n");
        ++m_values;
        // One pick per statement: the order in which a call's arguments are worked out is the
        // compiler's choice, and the bytes must not depend on it.
        const std::string ref = std::to_string(pick(10000));
        append(out, "    <source ref=\"S-", ref, "\" kind=\"", Sources[pick(std::size(Sources))],
               "\"/>\n");
        if (pick(4) == 0) {
            const std::string editor = std::to_string(pick(100));
            const unsigned year = 10 + pick(15);
            const unsigned month = 1 + pick(12);
            const unsigned day = 1 + pick(28);
            char date[16];
            std::snprintf(date, sizeof date, "20%02u-%02u-%02u", year, month, day);
            append(out, "    <meta><editor>ed-", editor, "</editor><added>", date,
                   "</added></meta>\n");
        }
        out += "  </record>\n";
    }

    std::mt19937 m_random;
    std::vector<std::vector<std::string>> m_lower;
    std::vector<std::vector<std::string>> m_upper;
    unsigned m_id = 0;
    long m_values = 0;
};

} // namespace tagmill::bench

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_short_values DIR [FILES=2000] [SEED=1]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 2000;
    const unsigned seed = argc > 3 ? unsigned(std::atol(argv[3])) : 1;
    std::filesystem::create_directories(dir);
    tagmill::bench::ShortValueWriter writer(seed);
    long long bytes = 0;
    for (long i = 0; i < files; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "lexicon-%05ld.xml", i);
        const std::string text = writer.lexicon(tagmill::bench::ValuesPerFile);
        FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
            std::fclose(f) != 0) {
            std::perror(name);
            return 1;
        }
        bytes += (long long)text.size();
    }
    std::printf("%ld <%s> values in %ld files, %lld bytes\n", writer.values(),
                tagmill::bench::ShortValueTag, files, bytes);
    return 0;
}
