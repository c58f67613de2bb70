#include "cli/RowsFrom.h"

#include "cli/RowFormat.h"
#include "cli/RowOutput.h"
#include "engine/ResultsSnapshot.h"
#include "lists/ListFile.h"
#include "textio/SystemError.h"
#include "textio/Utf8Check.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tagmill::cli {

namespace {

constexpr std::size_t FlushBytes = 1 << 20;
constexpr std::size_t ReadBytes = 1 << 20;

// Why a line is no row; thrown within the parser, which knows nothing of lines.
struct RowFault {
    QString reason;
};

[[noreturn]] void fault(const QString& reason) {
    throw RowFault{reason};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool endsPlainRun(char c) {
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
}

// The first byte from `at` on that ends a string's plain run: its closing quotation mark, a
// backslash, or a control character, which is a fault; 16 bytes are tested at once.
const char* plainRunEnd(const char* at, const char* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    for (; end - at >= 16; at += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, lastControl), v);
        const __m128i special = _mm_or_si128(
            control, _mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)));
        if (const int mask = _mm_movemask_epi8(special); mask != 0)
            return at + __builtin_ctz(unsigned(mask));
    }
#endif
    while (at != end && !endsPlainRun(*at))
        ++at;
    return at;
}

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

// One line of well-formed UTF-8 read as a row, strictly: whatever the writer of rows cannot
// have written, a tool between it and here has changed, and a row taken wrongly would go on
// unseen into the table.
class RowParser {
public:
    explicit RowParser(std::string_view line)
        : m_at(line.data()), m_end(line.data() + line.size()) {}

    void parse(std::string& file, std::string& value) {
        skipBlanks();
        if (!take('{'))
            fault(QStringLiteral("not a JSON object"));
        bool seen[2] = {false, false};
        skipBlanks();
        if (!take('}')) {
            do {
                member(file, value, seen);
            } while (take(','));
            if (!take('}'))
                fault(QStringLiteral("expected ',' or '}'"));
        }
        skipBlanks();
        if (m_at != m_end)
            fault(QStringLiteral("text after the object"));
        if (!seen[1])
            fault(QStringLiteral("no \"value\""));
        if (!seen[0])
            fault(QStringLiteral("no \"file\""));
    }

private:
    // One "key":"text" with the blanks around it; seen tells which of "file" and "value" came.
    void member(std::string& file, std::string& value, bool (&seen)[2]) {
        skipBlanks();
        if (m_at == m_end || *m_at != '"')
            fault(QStringLiteral("expected a key in quotes"));
        m_key.clear();
        readString(m_key);
        const int which = m_key == "file" ? 0 : m_key == "value" ? 1 : -1;
        if (which < 0)
            fault(QStringLiteral("unknown key \"%1\"").arg(QString::fromStdString(m_key)));
        if (seen[which])
            fault(QStringLiteral("\"%1\" given twice").arg(QString::fromStdString(m_key)));
        skipBlanks();
        if (!take(':'))
            fault(QStringLiteral("expected ':' after the key"));
        skipBlanks();
        if (m_at == m_end || *m_at != '"')
            fault(QStringLiteral("\"%1\" is not a string").arg(QString::fromStdString(m_key)));
        std::string& text = which == 0 ? file : value;
        text.clear();
        readString(text);
        seen[which] = true;
        skipBlanks();
    }

    void skipBlanks() {
        while (m_at != m_end && (*m_at == ' ' || *m_at == '\t' || *m_at == '\r'))
            ++m_at;
    }

    bool take(char c) {
        if (m_at == m_end || *m_at != c)
            return false;
        ++m_at;
        return true;
    }

    // The string at the quotation mark m_at stands on, its escapes undone, appended to out.
    void readString(std::string& out) {
        ++m_at;
        for (;;) {
            const char* plain = m_at;
            m_at = plainRunEnd(m_at, m_end);
            out.append(plain, std::size_t(m_at - plain));
            if (m_at == m_end)
                fault(QStringLiteral("a string without its closing quote"));
            const char c = *m_at++;
            if (c == '"')
                return;
            if (c != '\\')
                fault(QStringLiteral("a control character not escaped"));
            readEscape(out);
        }
    }

    // The escape after a backslash.
    void readEscape(std::string& out) {
        if (m_at == m_end)
            fault(QStringLiteral("a string without its closing quote"));
        const char c = *m_at++;
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out += c;
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'u':
            appendUtf8(out, readUnicodeEscape());
            return;
        default:
            fault(c > 0x20 && c < 0x7F ? QStringLiteral("a bad escape \\%1").arg(QChar(c))
                                       : QStringLiteral("a bad escape"));
        }
    }

    // The character of a \u escape, the "\u" taken already: a surrogate pair's two escapes give
    // one. A surrogate alone stands for no character, and UTF-8 has no form for it.
    char32_t readUnicodeEscape() {
        const char* escape = m_at - 2;
        const char32_t unit = readHex();
        if (isHighSurrogate(unit) && m_end - m_at >= 2 && m_at[0] == '\\' && m_at[1] == 'u') {
            m_at += 2;
            const char32_t low = readHex();
            if (isLowSurrogate(low))
                return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        if (isHighSurrogate(unit) || isLowSurrogate(unit))
            fault(QStringLiteral("a lone surrogate %1").arg(QString::fromLatin1(escape, 6)));
        return unit;
    }

    char32_t readHex() {
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i, ++m_at) {
            const char c = m_at == m_end ? '\0' : *m_at;
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                fault(QStringLiteral("a bad \\u escape"));
            unit = unit << 4 | char32_t(digit);
        }
        return unit;
    }

    const char* m_at;
    const char* m_end;
    std::string m_key;
};

// Rows read a piece at a time, each piece whole lines; the line numbers run on across pieces.
class RowsParser {
public:
    explicit RowsParser(QString name) : m_name(std::move(name)) {}

    // The lines of the piece, the last one without its line feed only at the end of the input.
    void parse(std::string_view lines) {
        // Checked whole at once, as it mostly is valid; only a fault is looked for line by line.
        const bool wholeValid = isValidUtf8(lines);
        for (std::size_t begin = 0; begin < lines.size();) {
            ++m_lineNumber;
            const std::size_t end = std::min(lines.find('\n', begin), lines.size());
            std::string_view line = lines.substr(begin, end - begin);
            begin = end + 1;
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            if (line.empty())
                continue;
            try {
                if (!wholeValid && !isValidUtf8(line))
                    fault(QStringLiteral("not UTF-8"));
                RowParser(line).parse(m_file, m_value);
            } catch (const RowFault& fault) {
                throw RowsError(m_name, m_lineNumber, fault.reason);
            }
            if (m_rows.size() == 0 || m_file != m_rows.currentPath())
                m_rows.startFile(m_file);
            m_rows.append(m_value, true);
        }
    }
    RowStore take() { return std::move(m_rows); }

private:
    QString m_name;
    RowStore m_rows;
    qsizetype m_lineNumber = 0;
    std::string m_file;
    std::string m_value;
};

// Reads the descriptor to its end, a piece at a time into one buffer, and parses the whole
// lines of each piece. The input is not kept whole: a hundred megabytes of fresh memory would
// cost the system more to map than the rows take to parse.
RowStore parseStream(int fd, const QString& name) {
    RowsParser parser(name);
    std::vector<char> buffer(ReadBytes);
    std::size_t held = 0; // bytes of a line not yet whole, at the start of the buffer
    for (;;) {
        if (held == buffer.size())
            buffer.resize(2 * buffer.size());
        const ssize_t got = ::read(fd, buffer.data() + held, buffer.size() - held);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw RowsError(name, 0, systemErrorText(errno));
        if (got == 0) {
            parser.parse(std::string_view(buffer.data(), held));
            return parser.take();
        }
        const std::string_view bytes(buffer.data(), held + std::size_t(got));
        const std::size_t whole = bytes.rfind('\n') + 1; // 0 when no line ends here
        parser.parse(bytes.substr(0, whole));
        held = bytes.size() - whole;
        std::memmove(buffer.data(), buffer.data() + whole, held);
    }
}

struct OpenFile {
    int fd;
    ~OpenFile() {
        if (fd != STDIN_FILENO)
            ::close(fd);
    }
};

} // namespace

QString RowsError::message() const {
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(name).arg(line).arg(reason)
                    : QStringLiteral("%1: %2").arg(name, reason);
}

RowStore readRows(const QString& path) {
    const bool standardInput = path == QLatin1String("-");
    const QString name = standardInput ? QStringLiteral("standard input") : path;
    OpenFile file{STDIN_FILENO};
    if (!standardInput) {
        file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (file.fd < 0)
            throw RowsError(name, 0, errno == ENOENT ? ListFileNotFound : systemErrorText(errno));
    }
    // Nobody types rows; waiting for them would look like a hang.
    if (::isatty(file.fd))
        throw RowsError(name, 0,
                        QStringLiteral("A terminal, not rows: pipe them in or name a file"));
    return parseStream(file.fd, name);
}

void writeRows(const RowStore& rows, const CommandLine& line, Destination& destination) {
    if (const TableWriter writer = tableWriter(line.format)) {
        if (!writer(ResultsSnapshot(line.withFilename, rows), destination.device(), {}))
            destination.fail(destination.device().errorString());
        return;
    }
    RowFormat format(line.format, line.withFilename);
    std::string out;
    format.appendHeader(out);
    std::string file;
    bool first = true;
    rows.forEach(0, [&](const RowStore::RowView& row) {
        if (first || row.path != file) {
            file.assign(row.path);
            format.setFile(file);
            first = false;
        }
        format.appendRow(out, row.value);
        if (out.size() >= FlushBytes)
            destination.write(out);
        return destination.ok();
    });
    format.finish(out);
    destination.write(out);
}

} // namespace tagmill::cli
