#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace tagmill {

/// What stands between two tags in the saved tag list.
inline constexpr QLatin1String TagSeparator{"||MySeparator12||"};

/// The saved form of the tag list.
QString joinTags(const QStringList& tags);
/// The tags of a saved tag list; every piece between separators is a tag, empty ones too.
QStringList splitTags(const QString& saved);

/// The number that a text starts with, after leading blanks ("3abc" is 3, " 2.5x" is 2.5);
/// 0 when it starts with none.
double leadingNumber(const QString& text);

/// The text as a whole number, a fraction rounded to the nearest, halves to even ("2.5" is 2).
/// Throws std::runtime_error when the text is not a finite number.
int wholeNumber(const QString& text);

} // namespace tagmill
