#include "shell/ReportView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTextDocument>
#include <QToolTip>

namespace tagmill {

ReportView::ReportView(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed row heights keep scrolling through millions of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
}

int ReportView::selectedRow() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const QModelIndex box = current.siblingAtColumn(0);
    // The check box sits in the first column; a row counts as one, whatever cell is current.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && box.isValid() &&
        (box.flags() & Qt::ItemIsUserCheckable)) {
        const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    QTableView::keyPressEvent(event);
}

bool ReportView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::event(event);
    showHint(*static_cast<QHelpEvent*>(event), this);
    return true;
}

bool ReportView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    showHint(*static_cast<QHelpEvent*>(event), viewport());
    return true;
}

// A tooltip that looks like markup is shown as rich text, and a hint such as "not '<td>'" would
// lose its tag; as escaped rich text it shows character for character, on one line as before.
void ReportView::showHint(const QHelpEvent& event, QWidget* over) {
    QToolTip::showText(event.globalPos(), Qt::convertFromPlainText(toolTip(), Qt::WhiteSpacePre),
                       over);
}

} // namespace tagmill
