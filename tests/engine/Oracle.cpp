#include "engine/Oracle.h"

namespace tagmill::test {

namespace {

char32_t foldCharacter(char32_t c) {
    if (c < 128)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    const char32_t f = QChar::toCaseFolded(c);
    return f < 128 ? c : f;
}

// The folded form of the unit at 0-based index k. Two units that form a surrogate pair are one
// character: it is folded whole, and each unit stands for its half of the folded pair.
QChar foldedAt(const QString& s, int k) {
    const QChar c = s[k];
    if (c.isHighSurrogate() && k + 1 < s.size() && s[k + 1].isLowSurrogate())
        return QChar(QChar::highSurrogate(foldCharacter(QChar::surrogateToUcs4(c, s[k + 1]))));
    if (c.isLowSurrogate() && k > 0 && s[k - 1].isHighSurrogate())
        return QChar(QChar::lowSurrogate(foldCharacter(QChar::surrogateToUcs4(s[k - 1], c))));
    return QChar(char16_t(foldCharacter(c.unicode())));
}

bool matchesAt(const QString& text, int i, const QString& pattern) {
    if (i < 1 || i + pattern.size() - 1 > text.size())
        return false;
    for (int k = 0; k < pattern.size(); ++k)
        if (foldedAt(text, i - 1 + k) != foldedAt(pattern, k))
            return false;
    return true;
}

// 1-based position of the first match at or after start, 0 when none.
int inStr(int start, const QString& text, const QString& pattern) {
    for (int i = start; i + pattern.size() - 1 <= text.size(); ++i)
        if (matchesAt(text, i, pattern))
            return i;
    return 0;
}

// 1-based position of the last match lying within the first `end` characters, 0 when none.
int inStrRev(const QString& text, const QString& pattern, int end) {
    for (int i = end - int(pattern.size()) + 1; i >= 1; --i)
        if (matchesAt(text, i, pattern))
            return i;
    return 0;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.append(current);
            current.clear();
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            current += text[i];
        }
    }
    if (!current.isEmpty() || lines.isEmpty())
        lines.append(current);
    return lines;
}

void betweenTags(const QString& unit, const QString& tag, bool includeTags, OracleResult& r) {
    const QString opening = "<" + tag;
    const QString closing = "</" + tag + ">";
    int p = 1;
    while (p <= unit.size()) {
        const int o = inStr(p, unit, opening);
        if (o == 0)
            return;
        const int c = inStr(o, unit, closing);
        if (c == 0)
            return;
        if (includeTags) {
            r.values.append(unit.mid(o - 1, c + closing.size() - o));
        } else {
            const int s = inStr(o, unit, ">") + 1;
            if (c - s < 0) {
                ++r.failures;
            } else {
                const QString raw = unit.mid(s - 1, c - s);
                int e = inStrRev(raw, "</", int(raw.size()));
                if (e < 2)
                    e = -1;
                const int t =
                    (e == -1 ? inStrRev(raw, ">", int(raw.size())) : inStrRev(raw, ">", e)) + 1;
                if (e == -1)
                    e = int(raw.size()) + 1;
                r.values.append(raw.mid(t - 1, e - t));
            }
        }
        p = c + int(closing.size());
    }
}

void quoted(const QString& unit, OracleResult& r) {
    int p = 1;
    while (p <= unit.size()) {
        const int q1 = inStr(p, unit, "\"");
        if (q1 == 0)
            return;
        const int q2 = inStr(q1 + 1, unit, "\"");
        if (q2 == 0)
            return;
        r.values.append(unit.mid(q1, q2 - q1 - 1));
        p = q2 + 1;
    }
}

} // namespace

OracleResult oracleExtract(ExtractionOption option, const QString& text, const QStringList& tags) {
    OracleResult r;
    switch (option) {
    case ExtractionOption::TagAndValue:
    case ExtractionOption::ValueOnly:
        for (const QString& tag : tags)
            betweenTags(text, tag, option == ExtractionOption::TagAndValue, r);
        break;
    case ExtractionOption::WholeLine:
        for (const QString& tag : tags)
            for (const QString& line : splitLines(text))
                if (inStr(1, line, "<" + tag) != 0)
                    r.values.append(line);
        break;
    case ExtractionOption::Quoted:
        quoted(text, r);
        break;
    case ExtractionOption::Nothing:
        break;
    }
    return r;
}

} // namespace tagmill::test
