#include "FormFixture.h"
#include "shell/WindowPlacement.h"
#include "ShownLabels.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QToolTip>

using namespace tagmill;

namespace {

// Where every control stands, in twips as the window was drawn; 15 twips are one pixel.
struct Placed {
    const char* name;
    const char* kind;
    const char* parent;
    const char* caption;
    int left, top, width, height;
};

const Placed Controls[] = {
    {"ListView1", "tagmill::ReportView", "", "", 120, 120, 7800, 1575},
    {"PushButton1", "QPushButton", "", "Add XML Files", 120, 1780, 3840, 405},
    {"PushButton5", "QPushButton", "", "Add All XML Files In Folder", 4080, 1780, 3840, 405},
    {"PushButton16", "QPushButton", "", "Load XML Files From Text File", 120, 2290, 3840, 405},
    {"PushButton13", "QPushButton", "", "Load Sample/Example Files", 4080, 2290, 3840, 405},
    {"PushButton14", "QPushButton", "", "Clear List", 120, 2800, 3840, 405},
    {"PushButton2", "QPushButton", "", "Help", 4080, 2800, 3840, 405},
    {"ListView3", "tagmill::ReportView", "", "", 120, 3315, 7800, 2610},
    {"PushButton3", "QPushButton", "", "Add Tag", 120, 6015, 3840, 405},
    {"PushButton4", "QPushButton", "", "Load Tags From Text File", 4080, 6015, 3840, 405},
    {"PushButton8", "QPushButton", "", "Delete Selected Tag", 120, 6525, 3840, 405},
    {"PushButton10", "QPushButton", "", "Clear List", 4080, 6525, 2880, 405},
    {"PushButton21", "QPushButton", "", "?", 7080, 6525, 840, 405},
    {"Frame1", "QGroupBox", "", "Extract Options", 8040, 30, 7800, 1920},
    {"Option1", "QRadioButton", "Frame1", "Get value between tag (and include tag in results)", 240,
     300, 4470, 255},
    {"PushButton15", "QPushButton", "Frame1", "?", 4750, 270, 360, 345},
    {"Option2", "QRadioButton", "Frame1", "Get value between tag", 240, 700, 2180, 255},
    {"PushButton18", "QPushButton", "Frame1", "?", 2450, 670, 360, 345},
    {"Option3", "QRadioButton", "Frame1", "Get entire line containing tag", 240, 1100, 2710, 255},
    {"PushButton19", "QPushButton", "Frame1", "?", 2980, 1070, 360, 345},
    {"Option4", "QRadioButton", "Frame1", "Get all data between quotes", 240, 1500, 2660, 255},
    {"PushButton20", "QPushButton", "Frame1", "?", 2930, 1470, 360, 345},
    {"Option5", "QRadioButton", "Frame1", "Get tag and data (visible = false)", 6840, 1575, 600,
     225},
    {"Frame2", "QGroupBox", "", "Include Option", 8040, 1980, 7800, 705},
    {"Check1", "QCheckBox", "Frame2", "Include filename in extraction results", 240, 300, 5775,
     255},
    {"PushButton7", "QPushButton", "", "Start Extracting", 8040, 2800, 7800, 405},
    {"ListView2", "tagmill::ReportView", "", "", 8040, 3310, 7800, 2115},
    {"PushButton6", "QPushButton", "", "Save Results As Text File", 8040, 5520, 3840, 405},
    {"PushButton22", "QPushButton", "", "Save Results As Excel File", 12000, 5520, 3840, 405},
    {"PushButton11", "QPushButton", "", "Copy Results To Clipboard", 8040, 6030, 3840, 405},
    {"PushButton9", "QPushButton", "", "Clear List", 12000, 6030, 3840, 405},
    {"PushButton12", "QPushButton", "", "Save As Comma Delimited", 8040, 6540, 3840, 405},
    {"PushButton17", "QPushButton", "", "Save As Tab Delimited", 12000, 6540, 3840, 405},
};

int px(int twips) {
    return qRound(twips / 15.0);
}

QString captionOf(QWidget& widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(&widget))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(&widget))
        return frame->title();
    return {};
}

class FormLayoutTest : public FormFixture {};

TEST_F(FormLayoutTest, EveryControlInItsPlaceWithItsCaptionAndFont) {
    Form1& form = open();
    for (const Placed& placed : Controls) {
        SCOPED_TRACE(placed.name);
        auto& widget = control(placed.name);
        EXPECT_STREQ(widget.metaObject()->className(), placed.kind);
        const QString parent =
            widget.parentWidget() == &form ? "" : widget.parentWidget()->objectName();
        EXPECT_EQ(parent, placed.parent);
        EXPECT_EQ(captionOf(widget), placed.caption);
        EXPECT_EQ(widget.geometry(),
                  QRect(px(placed.left), px(placed.top), px(placed.width), px(placed.height)));
        // The font drawn, not the one asked for: fontconfig stands Liberation Sans in for Arial.
        const QFontInfo drawn(widget.font());
        EXPECT_EQ(drawn.family(), QString("Liberation Sans"));
        EXPECT_TRUE(drawn.bold());
        const bool isPushButton = QLatin1String(placed.kind) == "QPushButton";
        EXPECT_EQ(widget.font().pointSizeF(), isPushButton ? 11.25 : 9.0);
        EXPECT_EQ(widget.isVisible(), QLatin1String(placed.name) != "Option5");
    }
    EXPECT_EQ(form.findChildren<QPushButton*>().size(), 22);
}

TEST_F(FormLayoutTest, ListHintsAndColumns) {
    open();
    const struct {
        const char* list;
        const char* hint;
        const char* header;
        int widthTwips;
    } lists[] = {
        {"ListView1",
         "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
         "of "
         "window to reveal full names.",
         "XML File(s)", 7000},
        {"ListView2", "Move | line to right and out of window to reveal full names.", "Results",
         7000},
        {"ListView3", "Enter tags as 'td' not '<td>' (for example)",
         "Tags  -  Do not enter '<' or '/>' here", 7000},
    };
    m_form->fileList().append({"/data/a.xml"});
    m_form->tagList().append({"td"});
    ValueBatch value;
    value.append("a value of its own");
    m_form->results().appendValues("/data/a.xml", value);
    for (const auto& expected : lists) {
        SCOPED_TRACE(expected.list);
        auto& view = control<QTableView>(expected.list);
        // The hint shows over an entry, over the empty part of the list and on its border, and
        // shows its text as it is: "<td>" is no markup.
        const struct {
            QWidget* widget;
            QPoint at;
        } rests[] = {{view.viewport(), view.visualRect(view.model()->index(0, 0)).center()},
                     {view.viewport(), QPoint(5, view.viewport()->height() - 5)},
                     {&view, QPoint(0, 0)}};
        for (const auto& rest : rests) {
            QHelpEvent event(QEvent::ToolTip, rest.at, rest.widget->mapToGlobal(rest.at));
            QApplication::sendEvent(rest.widget, &event);
            const QLabel* shown = shownToolTip();
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(renderedText(*shown), QString(expected.hint));
            QToolTip::hideText();
        }
        ASSERT_EQ(view.model()->columnCount(), 1);
        EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), expected.header);
        EXPECT_EQ(view.columnWidth(0), px(expected.widthTwips));
    }
}

TEST_F(FormLayoutTest, FixedCentredWindowWithoutMaximiseButton) {
    Form1& form = open();
    EXPECT_EQ(form.windowTitle(), "Tagmill");
    EXPECT_EQ(form.applicationTitle(), "Tagmill");
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.size(), QSize(1064, 469));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(form.isVisible());
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.geometry().center() - screenCentre).manhattanLength(), 1);
}

// The whole window stands centred, title bar and borders included.
TEST(WindowPlacement, TheFrameIsCentredOnTheAvailableScreen) {
    const QSize client(1064, 469);
    EXPECT_EQ(centredClientArea(client, {1, 30, 1, 1}, {0, 0, 1280, 800}),
              QRect(108, 180, 1064, 469))
        << "the frame from (107, 150) to (1172, 649)";
    const struct {
        QMargins frame;
        QRect available;
    } cases[] = {
        {{}, {0, 0, 1280, 800}},
        {{1, 30, 1, 1}, {0, 0, 1280, 800}},
        {{4, 24, 4, 4}, {0, 24, 1280, 776}},
        {{1, 30, 1, 1}, {1280, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        const QRect placed = centredClientArea(client, c.frame, c.available);
        EXPECT_EQ(placed.size(), client);
        const QRect whole = placed.marginsAdded(c.frame);
        EXPECT_LE((whole.center() - c.available.center()).manhattanLength(), 1);
        EXPECT_TRUE(c.available.contains(whole));
    }
}

TEST_F(FormLayoutTest, OptionOneSelectedAndBoxUntickedAtFirstStart) {
    open();
    EXPECT_TRUE(control<QRadioButton>("Option1").isChecked());
    EXPECT_FALSE(control<QCheckBox>("Check1").isChecked());
}

} // namespace
