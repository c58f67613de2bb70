#include "lists/Wildcard.h"

namespace tagmill {

namespace {

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

// Greedy matching with one backtrack point: the last "*" seen takes one more character each
// time the rest fails, so the work stays proportional to name length times pattern length.
bool matchesWildcard(QStringView name, QStringView pattern) {
    if (pattern == u"*.*")
        return true;
    qsizetype n = 0, p = 0;
    qsizetype starAt = -1, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace tagmill
