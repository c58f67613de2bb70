#pragma once

#include <QString>
#include <QStringList>

namespace tagmill {

/// The key the sample snapshot is scrambled with: eight lower-case letters.
inline const QString SnapshotKey = QStringLiteral("quillmap");

/// The folder of example files beside the program: programFolder + "/Samples/".
QString samplesFolder(const QString& programFolder);

/// The path of every file in the samples folder, in the folder listing's order, joined by "|";
/// empty when the folder is missing or empty.
QString sampleList(const QString& programFolder);

/// Shifts each byte up by the code of the key's next letter, wrapping within 1 to 255, and gives
/// the results as the characters U+0001 to U+00FF. Bytes 1 to 255 only: 0 has no place.
QString scrambleBytes(const QByteArray& bytes, const QString& key);
/// Undoes scrambleBytes with the same key. A character above U+00FF, which scrambleBytes never
/// gives, counts by its low eight bits.
QByteArray unscrambleBytes(const QString& text, const QString& key);

/// scrambleBytes of the text's UTF-8 (a path never holds U+0000).
QString ScrambleText(const QString& text, const QString& key);
/// Undoes ScrambleText with the same key.
QString UnscrambleText(const QString& text, const QString& key);

} // namespace tagmill
