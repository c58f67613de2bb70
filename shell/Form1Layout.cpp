// Builds the window's controls where they have always stood.

#include "shell/Form1.h"

#include "shell/FileListCommands.h"
#include "shell/ReportView.h"
#include "shell/ResultsOutputCommands.h"
#include "shell/SampleCommands.h"
#include "shell/TagListCommands.h"
#include "shell/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace tagmill {

namespace {

constexpr int ClientWidthTwips = 15960;
constexpr int ClientHeightTwips = 7035;

struct Twips {
    int left, top, width, height;
};

QRect pixels(Twips t) {
    return {pixelsOfTwips(t.left), pixelsOfTwips(t.top), pixelsOfTwips(t.width),
            pixelsOfTwips(t.height)};
}

struct ButtonPlace {
    int number;
    const char* caption;
    Twips where;
};

// Buttons on the window itself; the four "?" of the options sit in Frame1.
constexpr ButtonPlace WindowButtons[] = {
    {1, "Add XML Files", {120, 1780, 3840, 405}},
    {5, "Add All XML Files In Folder", {4080, 1780, 3840, 405}},
    {16, "Load XML Files From Text File", {120, 2290, 3840, 405}},
    {13, "Load Sample/Example Files", {4080, 2290, 3840, 405}},
    {14, "Clear List", {120, 2800, 3840, 405}},
    {2, "Help", {4080, 2800, 3840, 405}},
    {3, "Add Tag", {120, 6015, 3840, 405}},
    {4, "Load Tags From Text File", {4080, 6015, 3840, 405}},
    {8, "Delete Selected Tag", {120, 6525, 3840, 405}},
    {10, "Clear List", {4080, 6525, 2880, 405}},
    {21, "?", {7080, 6525, 840, 405}},
    {7, "Start Extracting", {8040, 2800, 7800, 405}},
    {6, "Save Results As Text File", {8040, 5520, 3840, 405}},
    {22, "Save Results As Excel File", {12000, 5520, 3840, 405}},
    {11, "Copy Results To Clipboard", {8040, 6030, 3840, 405}},
    {9, "Clear List", {12000, 6030, 3840, 405}},
    {12, "Save As Comma Delimited", {8040, 6540, 3840, 405}},
    {17, "Save As Tab Delimited", {12000, 6540, 3840, 405}},
};

struct OptionPlace {
    int number;
    const char* caption;
    Twips where;
    ButtonPlace help;
};

constexpr OptionPlace Options[] = {
    {1,
     "Get value between tag (and include tag in results)",
     {240, 300, 4470, 255},
     {15, "?", {4750, 270, 360, 345}}},
    {2, "Get value between tag", {240, 700, 2180, 255}, {18, "?", {2450, 670, 360, 345}}},
    {3,
     "Get entire line containing tag",
     {240, 1100, 2710, 255},
     {19, "?", {2980, 1070, 360, 345}}},
    {4, "Get all data between quotes", {240, 1500, 2660, 255}, {20, "?", {2930, 1470, 360, 345}}},
};

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPointSizeF(points);
    return font;
}

void setBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

template <typename Control>
Control* place(QWidget* parent, const QString& name, const QString& caption, Twips where) {
    auto* control = new Control(caption, parent);
    control->setObjectName(name);
    control->setGeometry(pixels(where));
    return control;
}

ReportView* placeList(QWidget* parent, const char* name, const char* hint, Twips where) {
    auto* list = new ReportView(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(pixels(where));
    list->setToolTip(QLatin1String(hint));
    return list;
}

QString numbered(const char* kind, int number) {
    return QLatin1String(kind) + QString::number(number);
}

} // namespace

void Form1::buildControls() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(pixels({0, 0, ClientWidthTwips, ClientHeightTwips}).size());
    setFont(arialBold(9));
    setBackground(*this, Qt::white);
    buildLists();
    buildFrames();
    buildPushButtons();
    m_fileListCommands = std::make_unique<FileListCommands>(
        m_context, m_files, *m_listView1, m_fileLoader, m_programFolder, m_folderCalls);
    m_tagListCommands =
        std::make_unique<TagListCommands>(m_context, m_tags, *m_listView3, m_tagLoader);
    m_resultsOutputCommands =
        std::make_unique<ResultsOutputCommands>(m_context, m_results, m_writer);
    // Selecting option 1 from code does what a click on it does: the choice is saved. What
    // fails is the sample command's to report, not the option's.
    m_sampleCommands = std::make_unique<SampleCommands>(m_context, m_files, m_fileLoader, m_tags,
                                                        m_tagLoader, m_programFolder, [this] {
                                                            m_option[1]->setChecked(true);
                                                            saveOption(1);
                                                        });
    connectCommands();
    connectListEvents();
    watchHover();
}

void Form1::buildLists() {
    m_listView1 = placeList(this, "ListView1",
                            "Drag and drop files here. Double-click item to remove it. Move | "
                            "line to right and out of window to reveal full names.",
                            {120, 120, 7800, 1575});
    m_listView1->setModel(&m_files);
    m_listView3 = placeList(this, "ListView3", "Enter tags as 'td' not '<td>' (for example)",
                            {120, 3315, 7800, 2610});
    m_listView3->setModel(&m_tags);
    m_listView2 =
        placeList(this, "ListView2", "Move | line to right and out of window to reveal full names.",
                  {8040, 3310, 7800, 2115});
    m_listView2->setModel(&m_results);
}

void Form1::buildFrames() {
    m_frame1 = place<QGroupBox>(this, "Frame1", "Extract Options", {8040, 30, 7800, 1920});
    setBackground(*m_frame1, Qt::white);
    for (const OptionPlace& option : Options) {
        m_option[std::size_t(option.number)] = place<QRadioButton>(
            m_frame1, numbered("Option", option.number), option.caption, option.where);
        m_pushButton[std::size_t(option.help.number)] =
            place<QPushButton>(m_frame1, numbered("PushButton", option.help.number),
                               option.help.caption, option.help.where);
    }
    // Option 5 can only be chosen through the saved setting.
    m_option[5] = place<QRadioButton>(m_frame1, "Option5", "Get tag and data (visible = false)",
                                      {6840, 1575, 600, 225});
    m_option[5]->hide();
    m_option[1]->setChecked(true);
    for (std::size_t number = 1; number < m_option.size(); ++number)
        setBackground(*m_option[number], Qt::white);

    m_frame2 = place<QGroupBox>(this, "Frame2", "Include Option", {8040, 1980, 7800, 705});
    setBackground(*m_frame2, Qt::white);
    m_check1 = place<QCheckBox>(m_frame2, "Check1", "Include filename in extraction results",
                                {240, 300, 5775, 255});
    setBackground(*m_check1, Qt::white);
}

void Form1::buildPushButtons() {
    for (const ButtonPlace& button : WindowButtons)
        m_pushButton[std::size_t(button.number)] = place<QPushButton>(
            this, numbered("PushButton", button.number), button.caption, button.where);
    const QFont font = arialBold(11.25);
    for (std::size_t number = 1; number < m_pushButton.size(); ++number) {
        QPushButton& button = *m_pushButton[number];
        button.setFont(font);
        QPalette palette = button.palette();
        palette.setColor(QPalette::Button, Qt::white);
        button.setPalette(palette);
    }
}

} // namespace tagmill
