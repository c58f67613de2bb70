#include "lists/PathNormaliser.h"

namespace tagmill {

namespace {

// Every pair of separators becomes one, left to right without overlap.
QString halveDoubledSeparators(QStringView text, QChar separator) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == separator && i + 1 < text.size() && text[i + 1] == separator)
            ++i;
    }
    return out;
}

} // namespace

QString CollapseDoubleBackslashes(const QString& path) {
    if (path.contains(u'/'))
        return halveDoubledSeparators(path, u'/');
    if (!path.startsWith(u'\\'))
        return halveDoubledSeparators(path, u'\\');
    qsizetype first = 1;
    while (first < path.size() && path[first] == u'\\')
        ++first;
    return QStringLiteral("\\\\") + halveDoubledSeparators(QStringView(path).sliced(first), u'\\');
}

QString joinFolderAndName(const QString& folder, const QString& name) {
    return CollapseDoubleBackslashes(folder + u'/' + name);
}

} // namespace tagmill
