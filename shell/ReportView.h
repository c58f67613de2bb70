#pragma once

#include <QTableView>

class QHelpEvent;

namespace tagmill {

/// A list in report view: a header row over plain rows, one per entry, selected whole. The
/// space bar ticks or clears the current row when the rows carry check boxes. Its tooltip, the
/// list's hint, shows wherever the pointer rests on the list, over entries too.
class ReportView : public QTableView {
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);

    /// The selected row, or -1 when none is.
    int selectedRow() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void showHint(const QHelpEvent& event, QWidget* over);
};

} // namespace tagmill
