#pragma once

// Random texts built from markup-like fragments, and their bytes in each supported encoding.

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <optional>

namespace tagmill::test {

inline const QStringList MarkupPieces{"<",
                                      ">",
                                      "</",
                                      "/>",
                                      "\"",
                                      "'",
                                      " ",
                                      "\r\n",
                                      "\n",
                                      "\r",
                                      "\t",
                                      "x",
                                      "hi",
                                      "é",
                                      "€",
                                      "ß",
                                      "Ä",
                                      "td",
                                      "TD",
                                      "Td",
                                      "td2",
                                      "tdata",
                                      "préis",
                                      "PRÉIS",
                                      "a",
                                      "A",
                                      "item",
                                      "id=",
                                      "<td>",
                                      "</td>",
                                      "<TD ",
                                      "</Td>",
                                      "<préis>",
                                      "</PRÉIS>",
                                      "<a>",
                                      "</a>",
                                      "<item id=\"",
                                      "<x/>",
                                      "</td >",
                                      "</>",
                                      "<!-- c -->",
                                      "<td2>v</td2>",
                                      "<Item>",
                                      "</ITEM>",
                                      "<Description-X>",
                                      "</description-X>",
                                      "<description-long ",
                                      "</DESCRIPTION-LONG>",
                                      "<Description-Lone>",
                                      "</description-loop>"};

/// A text of `fragments` pieces drawn at random from `pieces`.
inline QString randomMarkup(QRandomGenerator& random, int fragments,
                            const QStringList& pieces = MarkupPieces) {
    QString text;
    for (int i = 0; i < fragments; ++i)
        text += pieces[random.bounded(int(pieces.size()))];
    return text;
}

enum class FileForm { Utf8, Utf8Mark, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Windows1252 };
inline const FileForm AllFileForms[] = {FileForm::Utf8,       FileForm::Utf8Mark, FileForm::Utf16LE,
                                        FileForm::Utf16BE,    FileForm::Utf32LE,  FileForm::Utf32BE,
                                        FileForm::Windows1252};

/// The file bytes holding text in that form; nothing when the text cannot be written in it.
inline std::optional<QByteArray> encodeAs(const QString& text, FileForm form) {
    auto encode = [&](auto encoding, const char* mark, int markSize) {
        QStringEncoder encoder(encoding);
        return QByteArray(mark, markSize) + QByteArray(encoder(text));
    };
    switch (form) {
    case FileForm::Utf8:
        return text.toUtf8();
    case FileForm::Utf8Mark:
        return encode(QStringConverter::Utf8, "\xEF\xBB\xBF", 3);
    case FileForm::Utf16LE:
        return encode(QStringConverter::Utf16LE, "\xFF\xFE", 2);
    case FileForm::Utf16BE:
        return encode(QStringConverter::Utf16BE, "\xFE\xFF", 2);
    case FileForm::Utf32LE:
        return encode(QStringConverter::Utf32LE, "\xFF\xFE\0\0", 4);
    case FileForm::Utf32BE:
        return encode(QStringConverter::Utf32BE, "\0\0\xFE\xFF", 4);
    case FileForm::Windows1252: {
        QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
        QByteArray bytes = encoder(text);
        if (encoder.hasError())
            return std::nullopt;
        return bytes;
    }
    }
    return std::nullopt;
}

} // namespace tagmill::test
