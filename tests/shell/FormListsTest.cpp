// The file and tag lists in the real window: drops, the mouse and the keyboard reach their
// commands.

#include "FormFixture.h"
#include "ScriptedListings.h"

#include <QDropEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QUrl>

using namespace tagmill;
using platform::Pointer;

namespace {

class FormListsTest : public FormFixture {
protected:
    QWidget& viewportOf(const char* list) { return *control<QTableView>(list).viewport(); }

    // Sends a drag over the list and drops it there; true when the list took it.
    bool dropOnFileList(const QMimeData& data) {
        QWidget& target = viewportOf("ListView1");
        const QPointF at(20, 20);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        return drop.isAccepted();
    }

    void waitForEntries(Form1& form, int count) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.fileList().rowCount() >= count; }, 20000));
        QTest::qWait(20); // nothing more arrives
    }
};

TEST_F(FormListsTest, DroppedFileAndFolderLandInTheList) {
    Form1& form = open();
    const QString file = placeFile("data/single.txt", "x");
    placeFile("tree/b.xml", "x");
    placeFile("tree/sub/c.doc", "x");
    placeFile("tree/a.XML", "x");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(file), QUrl::fromLocalFile(m_programFolder.filePath("tree"))});
    EXPECT_TRUE(dropOnFileList(data));
    waitForEntries(form, 4);
    const QString tree = m_programFolder.filePath("tree");
    EXPECT_EQ(form.fileList().entries(),
              QStringList({file, tree + "/a.XML", tree + "/b.xml", tree + "/sub/c.doc"}));

    QMimeData text;
    text.setText(file);
    EXPECT_FALSE(dropOnFileList(text));
    QTest::qWait(20);
    EXPECT_EQ(form.fileList().rowCount(), 4);
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormListsTest, DoubleClickRemovesTheSelectedFileAndDeleteTheSelectedTag) {
    Form1& form = open();
    form.fileList().append({"a.xml", "b.xml"});
    form.tagList().append({"td", "tr"});
    auto& files = control<QTableView>("ListView1");
    const QPoint second = files.visualRect(form.fileList().index(1, 0)).center();
    // A double click starts with a click, which selects the entry.
    QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(files.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(form.fileList().entries(), QStringList{"a.xml"});

    // Each key is pressed with the second tag selected.
    auto& tags = control<QTableView>("ListView3");
    tags.setFocus();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        form.tagList().clear();
        form.tagList().append({"td", "tr"});
        tags.selectRow(1);
        QTest::keyClick(&tags, key, modifiers);
        return form.tagList().entries();
    };
    for (const Qt::KeyboardModifiers modifiers :
         {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
        EXPECT_EQ(press(Qt::Key_Delete, modifiers), QStringList{"td"}) << modifiers.toInt();
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Backspace, Qt::Key_Space,
                              Qt::Key_Escape, Qt::Key_Insert, Qt::Key_Return, Qt::Key_D})
        EXPECT_EQ(press(key, Qt::NoModifier), QStringList({"td", "tr"}))
            << "other keys are the list's own: " << QKeySequence(key).toString().toStdString();
}

TEST_F(FormListsTest, DraggingWithTheMouseMovesTheEntry) {
    Form1& form = open();
    form.fileList().append({"a.xml", "b.xml", "c.xml"});
    auto& files = control<QTableView>("ListView1");
    QWidget& viewport = *files.viewport();
    const auto centre = [&](int row) {
        return files.visualRect(form.fileList().index(row, 0)).center();
    };
    QTest::mousePress(&viewport, Qt::LeftButton, {}, centre(0));
    EXPECT_EQ(m_desktop.pointers.iconOver, m_programFolder.path() + "/drag.ico");
    for (int row : {1, 2}) {
        QMouseEvent move(QEvent::MouseMove, centre(row), viewport.mapToGlobal(centre(row)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&viewport, &move);
    }
    QTest::mouseRelease(&viewport, Qt::LeftButton, {}, centre(2));
    EXPECT_EQ(form.fileList().entries(), QStringList({"b.xml", "c.xml", "a.xml"}));
    EXPECT_FALSE(m_desktop.pointers.iconOver.has_value());
}

TEST_F(FormListsTest, ButtonsReachTheirCommands) {
    Form1& form = open();
    m_desktop.files.answers = {{"/data/a.xml"}};
    click("PushButton1");
    m_desktop.inputs.answers = {"td"};
    click("PushButton3");
    EXPECT_EQ(form.fileList().entries(), QStringList{"/data/a.xml"});
    EXPECT_EQ(form.tagList().entries(), QStringList{"td"});
    control<QTableView>("ListView3").selectRow(0);
    click("PushButton8");
    EXPECT_TRUE(form.tagList().entries().isEmpty());
    click("PushButton14");
    EXPECT_TRUE(form.fileList().entries().isEmpty());
}

// The scan is held at one folder, so the close comes while it still has entries to hand over,
// after the window has taken some: none of the rest arrives once the window is closed.
TEST_F(FormListsTest, ClosingDuringAScanEndsItAndSavesTheTags) {
    ScriptedListings listings;
    listings.marked = "/big/f7/";
    Form1& form = open(listings);
    for (int i = 0; i < 10; ++i)
        placeFile(QString("big/f%1/h.xml").arg(i), "x");
    form.tagList().append({"td"});
    m_desktop.inputs.answers = {"xml"};
    m_desktop.files.answers = {{m_programFolder.filePath("big")}};
    click("PushButton5");
    EXPECT_TRUE(form.isBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return listings.held == 1; }, 20000));
    // f0 to f6 are read before f7: their entries reach the window while the scan is held.
    waitForEntries(form, 7);
    form.close();
    EXPECT_EQ(m_desktop.settings.values["Tags"], "td");
    listings.openGate();
    QTest::qWait(100);
    EXPECT_EQ(form.fileList().rowCount(), 7) << "nothing arrives after the close";
}

} // namespace
