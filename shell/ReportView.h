#pragma once

#include <QTableView>

namespace tagmill {

/// A list in report view: a header row over plain rows, one per entry, selected whole. The
/// space bar ticks or clears the current row when the rows carry check boxes.
class ReportView : public QTableView {
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tagmill
