#include "shell/Form1.h"

#include "shell/FileListCommands.h"
#include "shell/ReportView.h"
#include "shell/ResultsOutputCommands.h"
#include "shell/SampleCommands.h"
#include "shell/TagListCommands.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tagmill {

using platform::Pointer;

Form1::Form1(platform::Desktop desktop, QString programFolder, detail::FolderCalls& folderCalls,
             QWidget* parent)
    : QWidget(parent), m_desktop(desktop), m_programFolder(std::move(programFolder)),
      m_folderCalls(folderCalls), m_settings(desktop.settings), m_pointer(desktop.pointers, *this),
      m_context(desktop, m_settings, m_applicationTitle, m_pointer) {
    buildControls();
}

// The run's workers must stop before the table they fill goes away. The list loader, the last
// member, stops its work before the lists go.
Form1::~Form1() {
    stopRun();
}

void Form1::connectCommands() {
    const auto onClick = [this](int number, auto handler) {
        connect(m_pushButton[std::size_t(number)], &QPushButton::clicked, this, handler);
    };
    FileListCommands& files = *m_fileListCommands;
    TagListCommands& tags = *m_tagListCommands;
    ResultsOutputCommands& outputs = *m_resultsOutputCommands;
    onClick(1, [&files] { files.PushButton1_Click(); });
    onClick(5, [&files] { files.PushButton5_Click(); });
    onClick(14, [&files] { files.PushButton14_Click(); });
    onClick(16, [&files] { files.PushButton16_Click(); });
    onClick(3, [&tags] { tags.PushButton3_Click(); });
    onClick(4, [&tags] { tags.PushButton4_Click(); });
    onClick(8, [&tags] { tags.PushButton8_Click(); });
    onClick(10, [&tags] { tags.PushButton10_Click(); });
    onClick(6, [&outputs] { outputs.PushButton6_Click(); });
    onClick(11, [&outputs] { outputs.PushButton11_Click(); });
    onClick(12, [&outputs] { outputs.PushButton12_Click(); });
    onClick(17, [&outputs] { outputs.PushButton17_Click(); });
    onClick(22, [&outputs] { outputs.PushButton22_Click(); });
    onClick(13, [this] { m_sampleCommands->PushButton13_Click(); });
    onClick(2, &Form1::PushButton2_Click);
    onClick(7, &Form1::PushButton7_Click);
    onClick(9, &Form1::PushButton9_Click);
    onClick(15, [this] { showOptionHelp(15, 1); });
    onClick(18, [this] { showOptionHelp(18, 2); });
    onClick(19, [this] { showOptionHelp(19, 3); });
    onClick(20, [this] { showOptionHelp(20, 4); });
    onClick(21, &Form1::PushButton21_Click);
    for (int number = 1; number < int(m_option.size()); ++number)
        connect(m_option[std::size_t(number)], &QRadioButton::clicked, this,
                [this, number] { Option_Click(number); });
    connect(m_check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
}

// Buttons show the hand and the surfaces around them the arrow. A move is reported by the
// control under the pointer alone, so a button inside a frame never passes it on to the frame.
void Form1::watchHover() {
    QList<QWidget*> watched{this,
                            m_frame1,
                            m_frame2,
                            m_listView1->viewport(),
                            m_listView2->viewport(),
                            m_listView3->viewport()};
    for (std::size_t number = 1; number < m_pushButton.size(); ++number)
        watched.append(m_pushButton[number]);
    for (QWidget* widget : watched) {
        widget->setMouseTracking(true);
        widget->setAttribute(Qt::WA_NoMousePropagation);
        widget->installEventFilter(this);
    }
    for (std::size_t number = 1; number < m_option.size(); ++number)
        m_option[number]->setAttribute(Qt::WA_NoMousePropagation);
    m_check1->setAttribute(Qt::WA_NoMousePropagation);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // The hourglass stays wherever the pointer goes while a long command works.
    if (event->type() == QEvent::MouseMove && !isBusy())
        setPointer(qobject_cast<QPushButton*>(watched) ? Pointer::Custom : Pointer::Arrow);
    if (watched == m_listView1->viewport() && fileListEvent(event))
        return true;
    if (watched == m_listView3 && tagListEvent(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
}

// A window that has not shown yet may have a window handle but no window on the screen, and
// closing such a handle sends no close event.
void Form1::closeFromOutside() {
    close();
    if (!m_closed)
        Form_QueryUnload();
}

ErrorTrap Form1::errorTrap(const QString& procedure) {
    return m_context.errorTrap(procedure);
}

void Form1::say(const QString& text) {
    m_context.say(text);
}

void Form1::setPointer(Pointer pointer) {
    m_pointer.set(pointer);
}

} // namespace tagmill
