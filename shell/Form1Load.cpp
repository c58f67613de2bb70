// The opening sequence: everything the window restores before it shows itself.

#include "shell/Form1.h"

#include "lists/SampleFiles.h"
#include "shell/ApplicationTitle.h"
#include "shell/ReportView.h"
#include "shell/SettingValues.h"
#include "shell/Twips.h"
#include "shell/Vendor.h"
#include "shell/WindowPlacement.h"
#include "textio/FileReaders.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>

#include <stdexcept>
#include <utility>

namespace tagmill {

namespace {

QString readSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error(file.errorString().toStdString() + ": " + path.toStdString());
    return QString::fromUtf8(file.readAll());
}

} // namespace

void Form1::Form_Load() {
    using Step = void (Form1::*)();
    static constexpr std::pair<int, Step> Steps[] = {
        {100, &Form1::applySkin},          {102, &Form1::loadHandPointer},
        {104, &Form1::drawForWebSite},     {106, &Form1::recordSampleSnapshot},
        {108, &Form1::setCaptionAndTitle}, {110, &Form1::addListColumns},
        {112, &Form1::restoreTags},        {114, &Form1::restoreOption},
        {116, &Form1::restoreCheck1},      {118, &Form1::buildResultsColumns},
        {120, &Form1::showCentred}};
    ErrorTrap trap = errorTrap("Form_Load");
    for (const auto& [line, step] : Steps) {
        // An end signal answered while a box of the opening was open has closed the window.
        if (m_closed)
            return;
        trap.step(line, [this, step = step] { (this->*step)(); });
    }
    // Whatever happened to the stored tags, from now on the list is the user's to keep.
    m_tagsRestored = true;
}

void Form1::applySkin() {
    const QFileInfo skin(m_programFolder + "/x/o.cjs");
    if (!skin.isFile() || skin.isHidden())
        return;
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    QList<QWidget*> surfaces{this, m_frame1, m_frame2, m_check1};
    for (std::size_t number = 1; number < m_option.size(); ++number)
        surfaces.append(m_option[number]);
    for (QWidget* surface : surfaces) {
        QPalette palette = surface->palette();
        palette.setColor(QPalette::Window, buttonFace);
        surface->setPalette(palette);
    }
    setStyleSheet(readSkin(skin.filePath()));
}

void Form1::loadHandPointer() {
    const QString path = m_programFolder + "/HAND-M.CUR";
    if (FileExists(path))
        m_desktop.pointers.loadCustom(path);
}

// About one start in a hundred shows the maker's web site.
void Form1::drawForWebSite() {
    const int draw = int(m_desktop.random.fraction() * 100) + 1;
    if (draw == 7 && !m_desktop.launcher.open(QUrl(WebSite)))
        throw std::runtime_error("No program could be started to open " +
                                 WebSite.toString().toStdString());
}

// The sample files come with their own command; until then there is nothing to record.
// Recorded once: the samples folder may change later, the command loads what came with the
// program.
void Form1::recordSampleSnapshot() {
    if (!m_settings.ReadSetting(keys::Snapshot, {}).isEmpty())
        return;
    m_settings.WriteSetting(keys::Snapshot, ScrambleText(sampleList(m_programFolder), SnapshotKey));
}

void Form1::setCaptionAndTitle() {
    setWindowTitle(ProductName);
    setWindowIcon(QIcon(QStringLiteral(":/tagmill.png")));
    m_applicationTitle = tagmill::applicationTitle(ProductName);
}

void Form1::addListColumns() {
    m_files.setHeader(QStringLiteral("XML File(s)"));
    m_listView1->setColumnWidth(0, pixelsOfTwips(7000));
    m_tags.setHeader(QStringLiteral("Tags  -  Do not enter '<' or '/>' here"));
    m_listView3->setColumnWidth(0, pixelsOfTwips(7000));
}

void Form1::restoreTags() {
    m_tags.append(splitTags(m_settings.ReadSetting(keys::Tags, QString())));
    m_tagsRestored = true;
}

void Form1::restoreOption() {
    const double option = leadingNumber(m_settings.ReadSetting(keys::Option, "1"));
    for (std::size_t number = 1; number < m_option.size(); ++number) {
        if (option == double(number))
            m_option[number]->setChecked(true);
    }
}

void Form1::restoreCheck1() {
    const int value = wholeNumber(m_settings.ReadSetting(keys::Check1, "0"));
    if (value != 0 && value != 1)
        throw std::runtime_error("Invalid property value: " + std::to_string(value));
    m_check1->setChecked(value == 1);
}

void Form1::buildResultsColumns() {
    m_results.resetColumns(m_check1->isChecked());
    for (int column = 0; column < m_results.columnCount(); ++column)
        m_listView2->setColumnWidth(column, pixelsOfTwips(m_results.columnWidthTwips(column)));
}

// A window manager's frame is known only once the window is shown; the window then moves so that
// the frame, not the client area alone, stands centred.
void Form1::showCentred() {
    const QRect available = screen()->availableGeometry();
    setGeometry(centredClientArea(size(), {}, available));
    show();
    const QMargins frame = windowHandle()->frameMargins();
    if (!frame.isNull())
        setGeometry(centredClientArea(size(), frame, available));
}

} // namespace tagmill
