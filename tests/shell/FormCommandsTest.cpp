#include "FormFixture.h"

#include <QMouseEvent>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QTest>

using namespace tagmill;
using platform::Message;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::Pointer;

namespace {

const QString MoreFeatures =
    "If you need more extraction features please email support@veldcraft.example and I will add "
    "them if you give an example of what you have (before) and what you want for results "
    "(after).";

Message plainBox(const QString& text) {
    return {"Tagmill", text, MessageButtons::Ok, MessageIcon::None};
}

ValueBatch batchOf(std::initializer_list<std::string_view> values) {
    ValueBatch batch;
    for (std::string_view value : values)
        batch.append(value);
    return batch;
}

class FormCommandsTest : public FormFixture {
protected:
    void moveOver(QWidget& widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
    }
};

TEST_F(FormCommandsTest, HelpTexts) {
    open();
    const struct {
        const char* button;
        QString text;
    } cases[] = {
        {"PushButton2",
         "Please click on the '?' button near each feature to get the instructions for that "
         "feature."},
        {"PushButton15",
         "Get value between tag (and include tag in results)\r\n\r\nSoftware will extract "
         "characters between <tag> and </tag> and include the tag name in results.\r\n\r\nFor "
         "example if tag is: look\r<look><here>hi</here></look> will extract "
         "<here>hi</here>\r\n\r\n" +
             MoreFeatures},
        {"PushButton18",
         "Get value between tag\r\n\r\nSoftware will extract characters between <tag> and "
         "</tag>\r\n\r\nFor example if tag is: look\r<look><here>hi</here></look> will extract "
         "hi\r\n\r\n" +
             MoreFeatures},
        {"PushButton19",
         "Get entire line containing tag\r\n\r\nSoftware will extract entire line containing tag "
         "name.\r\n\r\nFor example if tag is: look\r<look><here>hi</here></look> will extract "
         "<look><here>hi</here></look>\r\n\r\n" +
             MoreFeatures},
        {"PushButton20",
         "Get all data between quotes\r\n\r\nSoftware will extract only characters between "
         "quotes.\r\n\r\n<record from=\"53000059\" "
         "to=\"graphics/pictures/person/53000059/portrait\"/> will extract 53000059 and "
         "graphics/pictures/person/53000059/portrait\r\n\r\n" +
             MoreFeatures},
        {"PushButton21", "Enter tags as\r\rtd\r\n\r\nnot\r\r<td>\r\n\r\nFor example:\r\n\r\ntd is "
                         "good\r\n\r\n<td> is bad"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        m_desktop.messages.shown.clear();
        click(c.button);
        ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
        EXPECT_EQ(m_desktop.messages.shown[0], plainBox(c.text));
    }
}

TEST_F(FormCommandsTest, OptionHelpStartsWithTheCaptionAsShown) {
    open();
    control<QRadioButton>("Option2").setText("Renamed");
    click("PushButton18");
    ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
    EXPECT_TRUE(m_desktop.messages.shown[0].text.startsWith("Renamed\r\n\r\nSoftware"));
}

TEST_F(FormCommandsTest, OptionsAndCheckBoxAreSavedAtOnce) {
    open();
    const struct {
        const char* control;
        const char* key;
        const char* value;
    } clicks[] = {
        {"Option2", "Option", "2"}, {"Option4", "Option", "4"}, {"Option3", "Option", "3"},
        {"Option1", "Option", "1"}, {"Check1", "Check1", "1"},  {"Check1", "Check1", "0"},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.control);
        click(c.control);
        EXPECT_EQ(m_desktop.settings.values[c.key], c.value);
    }
    EXPECT_EQ(m_desktop.settings.values.size(), 3u)
        << "nothing but Option and Check1, beside the samples' snapshot of the opening";
    EXPECT_EQ(m_form->results().columnCount(), 1) << "the columns wait for the next run";
}

TEST_F(FormCommandsTest, SettingThatCannotBeWrittenIsReported) {
    open();
    m_desktop.settings.failWrites = true;
    click("Option2");
    ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
    EXPECT_TRUE(m_desktop.messages.shown[0].text.startsWith(
        "The settings file could not be written.\r\nin Gleaner2021/08/31.Form1.Option2_Click at "
        "line 100\r\r"));
}

TEST_F(FormCommandsTest, ClearListEmptiesItsOwnListOnly) {
    Form1& form = open();
    const auto fill = [&] {
        form.fileList().clear();
        form.fileList().append({"a.xml"});
        form.tagList().clear();
        form.tagList().append({"td", "tr"});
        form.results().resetColumns(true);
        form.results().appendValues("a.xml", batchOf({"1", "2"}));
    };
    fill();
    click("PushButton9");
    EXPECT_EQ(form.results().rowCount(), 0);
    EXPECT_EQ(form.results().columnCount(), 2) << "the columns stay";
    EXPECT_EQ(form.tagList().entries().size(), 2);
    EXPECT_EQ(form.fileList().entries().size(), 1);

    fill();
    click("PushButton10");
    EXPECT_TRUE(form.tagList().entries().isEmpty());
    EXPECT_EQ(form.results().rowCount(), 2);
    EXPECT_EQ(form.fileList().entries().size(), 1);
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormCommandsTest, HandOverButtonsArrowOverSurfaces) {
    Form1& form = open();
    EXPECT_EQ(form.pointer(), Pointer::Arrow);
    QStringList buttons;
    for (int number = 1; number <= 22; ++number)
        buttons << "PushButton" + QString::number(number);
    for (const QString& button : buttons) {
        SCOPED_TRACE(button.toStdString());
        moveOver(control(button));
        EXPECT_EQ(form.pointer(), Pointer::Custom);
        moveOver(form);
        EXPECT_EQ(form.pointer(), Pointer::Arrow);
    }
    const QList<QWidget*> surfaces{
        &control("Frame1"), &control("Frame2"), control<QTableView>("ListView1").viewport(),
        control<QTableView>("ListView2").viewport(), control<QTableView>("ListView3").viewport()};
    for (QWidget* surface : surfaces) {
        moveOver(control("PushButton15"));
        moveOver(*surface);
        EXPECT_EQ(form.pointer(), Pointer::Arrow) << surface->objectName().toStdString();
    }
    // Option buttons and the check box leave the pointer as it is.
    moveOver(control("PushButton15"));
    moveOver(control("Option1"));
    moveOver(control("Check1"));
    EXPECT_EQ(form.pointer(), Pointer::Custom);
    EXPECT_EQ(m_desktop.pointers.shown.back(), Pointer::Custom);
}

TEST_F(FormCommandsTest, HourglassStaysWhereverThePointerGoes) {
    Form1& form = open();
    form.tagList().append({"td"});
    form.fileList().append({placeFile("a.xml", "<td>1</td>")});
    click("PushButton7");
    ASSERT_TRUE(form.isBusy());
    for (const QString name : {"PushButton1", "Frame1", "PushButton15", "Frame2"}) {
        moveOver(control(name));
        EXPECT_EQ(form.pointer(), Pointer::Busy) << name.toStdString();
    }
    moveOver(form);
    moveOver(*control<QTableView>("ListView2").viewport());
    EXPECT_EQ(form.pointer(), Pointer::Busy);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_desktop.messages.shown.empty(); }));
    EXPECT_EQ(form.pointer(), Pointer::Arrow);
    moveOver(control("PushButton1"));
    EXPECT_EQ(form.pointer(), Pointer::Custom);
}

TEST_F(FormCommandsTest, RowsAreTickedWithTheMouseOrTheSpaceBar) {
    Form1& form = open();
    form.results().resetColumns(true);
    form.results().appendValues("/data/a.xml", batchOf({"one", "two", "three"}));
    auto& view = control<QTableView>("ListView2");
    view.setFocus();

    view.setCurrentIndex(form.results().index(1, 1)); // the value's cell, not the box's
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_TRUE(form.results().isChecked(1));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_FALSE(form.results().isChecked(1));

    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.rect = view.visualRect(form.results().index(2, 0));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = "/data/a.xml";
    const QRect box =
        view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(form.results().isChecked(2));
    EXPECT_FALSE(form.results().isChecked(0));
}

} // namespace
