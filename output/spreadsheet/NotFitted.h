#pragma once

#include <QString>
#include <QStringList>

namespace tagmill {

/// Keeps account of what a sheet could not hold, to tell the user in one text.
class NotFitted {
public:
    /// A text at this cell (as "B12") was cut to fit.
    void addCut(const QString& cell);
    /// A ticked row fell after the sheet's last row.
    void addLeftOutRow() { ++m_leftOutRows; }

    /// Plain English, a sentence for cut texts and one for left-out rows, joined by CR LF; empty
    /// when everything fitted.
    QString text() const;

private:
    qsizetype m_cutCount = 0;
    QStringList m_cutCells; // the first few, in the order written
    qsizetype m_leftOutRows = 0;
};

/// A count with a comma between each three digits, as "1,048,575".
QString withThousands(qsizetype count);

/// A cell's name on the sheet, as "B12", from a 0-based row and column.
QString cellName(qsizetype row, int column);

} // namespace tagmill
