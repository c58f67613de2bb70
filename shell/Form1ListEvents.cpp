// How the file list and the tag list pass the mouse, the keyboard and drops to their commands.

#include "shell/Form1.h"

#include "shell/FileListCommands.h"
#include "shell/ReportView.h"
#include "shell/TagListCommands.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tagmill {

void Form1::connectListEvents() {
    m_listView1->setAcceptDrops(true);
    connect(m_listView1, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        m_fileListCommands->ListView1_ItemClick(index.row());
    });
    m_listView3->installEventFilter(this);
}

// True when the event is used up here; presses, moves and releases go on to the list, which
// selects the entry under the pointer.
bool Form1::fileListEvent(QEvent* event) {
    FileListCommands& files = *m_fileListCommands;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        files.ListView1_MouseDown();
        return false;
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        const int row = m_listView1->indexAt(move->position().toPoint()).row();
        files.ListView1_MouseMove(row, int(move->globalPosition().y()));
        return false;
    }
    case QEvent::MouseButtonRelease:
        files.ListView1_MouseUp();
        return false;
    case QEvent::MouseButtonDblClick:
        files.ListView1_DblClick();
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (FileListCommands::acceptsDrop(*drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!FileListCommands::acceptsDrop(*drop->mimeData())) {
            drop->ignore();
            return true;
        }
        files.ListView1_OLEDragDrop(*drop->mimeData());
        drop->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}

// The Delete key removes the selected tag; every other key is the list's own.
bool Form1::tagListEvent(QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Delete)
        return false;
    m_tagListCommands->ListView3_KeyDown();
    return true;
}

} // namespace tagmill
