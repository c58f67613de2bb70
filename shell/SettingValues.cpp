#include "shell/SettingValues.h"

#include <QLocale>
#include <QRegularExpression>

#include <climits>
#include <cmath>
#include <stdexcept>

namespace tagmill {

QString joinTags(const QStringList& tags) {
    return tags.join(TagSeparator);
}

QStringList splitTags(const QString& saved) {
    if (saved.isEmpty())
        return {};
    return saved.split(TagSeparator);
}

double leadingNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^[ \t]*([+-]?(?:\d+\.?\d*|\.\d+)))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    return QLocale::c().toDouble(match.capturedView(1));
}

int wholeNumber(const QString& text) {
    bool isNumber = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &isNumber);
    // The C locale reads "nan" and "inf" as doubles, and a number too large as infinity.
    if (!isNumber || !std::isfinite(value))
        throw std::runtime_error("Type mismatch: \"" + text.toStdString() + "\" is not a number");
    // nearbyint rounds halves to even under the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < INT_MIN || rounded > INT_MAX)
        throw std::runtime_error("Overflow: \"" + text.toStdString() + "\" is too large");
    return int(rounded);
}

} // namespace tagmill
