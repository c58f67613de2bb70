#include "output/spreadsheet/NotFitted.h"

#include "output/spreadsheet/CellText.h"
#include "output/spreadsheet/SheetLimits.h"

namespace tagmill {

namespace {

constexpr qsizetype kCellsNamed = 10; // a longer list would bury the sentence

QString cutSentence(qsizetype count, const QStringList& cells) {
    const bool one = count == 1;
    QString text = withThousands(count) + (one ? " text was" : " texts were") +
                   " longer than the " + withThousands(kCellTextMax) +
                   " characters a cell holds and " + (one ? "was" : "were") +
                   " cut to fit: " + cells.join(", ");
    if (count > cells.size())
        text += " and " + withThousands(count - cells.size()) + " more";
    return text + '.';
}

QString leftOutSentence(qsizetype count) {
    const bool one = count == 1;
    return withThousands(count) + (one ? " ticked row" : " ticked rows") + " after table row " +
           withThousands(kSheetRows - 1) + (one ? " does" : " do") + " not fit on the sheet and " +
           (one ? "was" : "were") + " left out.";
}

} // namespace

void NotFitted::addCut(const QString& cell) {
    if (m_cutCells.size() < kCellsNamed)
        m_cutCells.append(cell);
    ++m_cutCount;
}

QString NotFitted::text() const {
    QStringList sentences;
    if (m_cutCount > 0)
        sentences.append(cutSentence(m_cutCount, m_cutCells));
    if (m_leftOutRows > 0)
        sentences.append(leftOutSentence(m_leftOutRows));
    return sentences.join("\r\n");
}

QString withThousands(qsizetype count) {
    QString digits = QString::number(count);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, ',');
    return digits;
}

QString cellName(qsizetype row, int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar('A' + (n - 1) % 26));
    return letters + QString::number(row + 1);
}

} // namespace tagmill
