#include "CommandsFixture.h"
#include "ScriptedListings.h"

#include "shell/FileListCommands.h"

#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

using namespace tagmill;
using platform::FakeFileDialogs;
using platform::Pointer;

namespace {

const QString AddFilesTitle = "Add File(s) - Hold Ctrl to select multiple files";

class FileListCommandsTest : public CommandsFixture {
protected:
    FileListCommands m_commands{m_context, m_list, m_view, m_loader, "/opt/tagmill"};

    QStringList entries() const { return m_list.entries(); }
    // Paths relative to the temporary folder.
    QStringList relativeEntries() const {
        QStringList relative;
        for (const QString& entry : m_list.entries())
            relative.append(entry.startsWith(m_files.path()) ? entry.mid(m_files.path().size())
                                                             : entry);
        return relative;
    }
    void makeTree() {
        for (const char* name : {"top.xml", "Top.txt", "~temp.xml", "a/1.XML", "a/2.doc",
                                 "a/b/3.xml", "c/4.xml", "noext"})
            write(name);
    }
};

TEST_F(FileListCommandsTest, AddXmlFilesAppendsTheChosenFiles) {
    m_desktop.files.answers = {{"/data/one.xml"},
                               {"/data/a.xml", "/data/b.xml"},
                               {"/a.xml", "/b.xml"},
                               {"/data/one.xml"},
                               {}};
    for (int i = 0; i < 5; ++i)
        m_commands.PushButton1_Click();
    EXPECT_EQ(entries(), QStringList({"/data/one.xml", "/data/a.xml", "/data/b.xml", "/a.xml",
                                      "/b.xml", "/data/one.xml"}));
    ASSERT_EQ(m_desktop.files.requests.size(), 5u);
    EXPECT_EQ(m_desktop.files.requests[0],
              (FakeFileDialogs::Request{FakeFileDialogs::Kind::OpenFiles, AddFilesTitle, "",
                                        "All Files (*.xml)|*.xml|"}));
    EXPECT_TRUE(shown().empty());
}

TEST_F(FileListCommandsTest, TooManyFilesForTheDialogAddNothing) {
    QStringList many;
    for (int i = 0; i < 24; ++i)
        many.append(QString("/data/file%1.xml").arg(i, 2, 10, QChar(u'0')));
    m_desktop.files.answers = {many, {QString(260, u'p')}, many.mid(0, 23)};
    m_commands.PushButton1_Click();
    m_commands.PushButton1_Click();
    const auto message = box("You've selected too many files to add.\r\rPlease try adding via "
                             "the \"Add All\" button.");
    EXPECT_EQ(shown(), std::vector({message, message}));
    EXPECT_TRUE(entries().isEmpty());
    m_commands.PushButton1_Click();
    EXPECT_EQ(entries().size(), 23) << "260 characters fit";
}

TEST_F(FileListCommandsTest, AddAllInFolderAsksTheExtensionAndTheFolderAndRemembersBoth) {
    makeTree();
    m_desktop.inputs.answers = {"XML"};
    m_desktop.files.answers = {{m_files.path()}};
    m_commands.PushButton5_Click();
    ASSERT_EQ(m_desktop.inputs.asked.size(), 1u);
    EXPECT_EQ(m_desktop.inputs.asked[0].title, "Tagmill");
    EXPECT_EQ(m_desktop.inputs.asked[0].prompt,
              "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
              "all doc files, etc.)");
    EXPECT_EQ(m_desktop.inputs.asked[0].preset, "xml");
    ASSERT_EQ(m_desktop.files.requests.size(), 1u);
    EXPECT_EQ(m_desktop.files.requests[0],
              (FakeFileDialogs::Request{FakeFileDialogs::Kind::ExistingFolder,
                                        "Please select folder:", "", ""}));
    EXPECT_EQ(m_pointer.current(), Pointer::Busy) << "until the last file is in";
    finishLoading();
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
    EXPECT_EQ(relativeEntries(), QStringList({"/top.xml", "/a/1.XML", "/c/4.xml", "/a/b/3.xml"}));
    EXPECT_EQ(m_desktop.settings.values["Extension"], "XML");
    EXPECT_EQ(m_desktop.settings.values["LastFolder"], m_files.path());

    m_list.clear();
    m_desktop.inputs.answers = {"*"};
    m_desktop.files.answers = {{m_files.path() + "/a"}};
    m_commands.PushButton5_Click();
    EXPECT_EQ(m_desktop.inputs.asked[1].preset, "XML");
    EXPECT_EQ(m_desktop.files.requests[1].folder, m_files.path()) << "starts at the last folder";
    finishLoading();
    EXPECT_EQ(relativeEntries(), QStringList({"/a/1.XML", "/a/2.doc", "/a/b/3.xml"}));
    EXPECT_TRUE(shown().empty());
}

TEST_F(FileListCommandsTest, AddAllInFolderStopsQuietlyWhenCancelled) {
    makeTree();
    m_desktop.settings.values["Extension"] = "xml";
    m_desktop.inputs.answers = {std::nullopt, "", "txt"};
    m_commands.PushButton5_Click(); // the input box cancelled
    m_commands.PushButton5_Click(); // the box emptied
    EXPECT_TRUE(m_desktop.files.requests.empty());
    EXPECT_EQ(m_desktop.settings.values["Extension"], "xml");
    m_commands.PushButton5_Click(); // the folder chooser cancelled
    EXPECT_EQ(m_desktop.settings.values["Extension"], "txt") << "kept for next time";
    EXPECT_FALSE(m_desktop.settings.values.contains("LastFolder"));
    finishLoading();
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(m_desktop.pointers.shown.empty()) << "no hourglass";
    EXPECT_TRUE(shown().empty());
}

TEST_F(FileListCommandsTest, AddAllInFolderGoesOnWhenTheSettingsCannotBeWritten) {
    makeTree();
    m_desktop.settings.failWrites = true;
    m_desktop.inputs.answers = {"xml"};
    m_desktop.files.answers = {{m_files.path() + "/c"}};
    m_commands.PushButton5_Click();
    finishLoading();
    EXPECT_EQ(relativeEntries(), QStringList{"/c/4.xml"});
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_TRUE(shown()[0].text.contains("Form1.PushButton5_Click at line 102"));
    EXPECT_TRUE(shown()[1].text.contains("Form1.PushButton5_Click at line 106"));
}

TEST_F(FileListCommandsTest, ListFilesLoadInOrderWithTheirMessages) {
    const QString first = write("lists/first.txt", "/data/1.xml\r\n\r\n/data/2.xml\r\n");
    const QString second = write("lists/second.txt", "\xEF\xBB\xBF/data/3.xml\n  /data/4.xml");
    // Several chosen files come back folder by folder, so the folder is joined to each name.
    m_desktop.files.answers = {{first, pathOf("lists/missing.txt"), second}};
    QStringList whenNotFound;
    m_desktop.messages.onShow = [&](const platform::Message& message) {
        if (message.text == "File not found")
            whenNotFound = entries();
    };
    m_commands.PushButton16_Click();
    finishLoading();
    const QString format = "File should look like:\r/data/test/1.xml\r/data/test/2.xml\retc.";
    EXPECT_EQ(shown(), std::vector({box(format), box("File not found")}));
    EXPECT_EQ(whenNotFound, QStringList({"/data/1.xml", "", "/data/2.xml"}));
    EXPECT_EQ(entries(),
              QStringList({"/data/1.xml", "", "/data/2.xml", "/data/3.xml", "  /data/4.xml"}));
    ASSERT_EQ(m_desktop.files.requests.size(), 1u);
    EXPECT_EQ(m_desktop.files.requests[0],
              (FakeFileDialogs::Request{FakeFileDialogs::Kind::OpenFiles, AddFilesTitle, "",
                                        "All Files (*.*)|*.*|"}));
    EXPECT_TRUE(m_desktop.pointers.shown.empty()) << "no hourglass";
}

TEST_F(FileListCommandsTest, ListFileFormatIsShownEvenWhenTheDialogIsCancelled) {
    m_commands.PushButton16_Click();
    EXPECT_EQ(shown(), std::vector({box("File should look like:\r/data/test/1.xml\r"
                                        "/data/test/2.xml\retc.")}));
}

TEST_F(FileListCommandsTest, AListFileThatCannotBeReadIsReportedAndTheNextOneLoads) {
    const QString good = write("good.txt", "/data/a.xml");
    m_desktop.files.answers = {{m_files.path(), good}};
    m_commands.PushButton16_Click();
    finishLoading();
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].title, "Application Error");
    EXPECT_TRUE(shown()[1].text.startsWith(m_files.path() + ": "));
    EXPECT_TRUE(
        shown()[1].text.contains("in Gleaner2021/08/31.Form1.PushButton16_Click at line 104"));
    EXPECT_EQ(entries(), QStringList{"/data/a.xml"});
}

TEST_F(FileListCommandsTest, TooManyListFilesAreAnErrorAndLoadNothing) {
    QStringList many;
    for (int i = 0; i < 24; ++i)
        many.append(write(QString("list-of-files-%1.txt").arg(i), "/data/x.xml"));
    m_desktop.files.answers = {many};
    m_commands.PushButton16_Click();
    finishLoading();
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_TRUE(shown()[1].text.startsWith(
        "The names of the files chosen do not fit in 260 characters.\r\nin "
        "Gleaner2021/08/31.Form1.PushButton16_Click at line 102"));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(FileListCommandsTest, ClearAndDoubleClickAreRefusedWhileBusy) {
    m_list.append({"a", "b", "c"});
    m_view.selectRow(1);
    m_pointer.set(Pointer::Busy);
    m_commands.ListView1_DblClick();
    m_commands.PushButton14_Click();
    EXPECT_EQ(entries(), QStringList({"a", "b", "c"}));

    m_pointer.set(Pointer::Arrow);
    m_commands.ListView1_DblClick();
    EXPECT_EQ(entries(), QStringList({"a", "c"}));
    m_view.clearSelection();
    m_commands.ListView1_DblClick();
    EXPECT_EQ(entries(), QStringList({"a", "c"})) << "nothing selected";
    m_commands.PushButton14_Click();
    EXPECT_TRUE(entries().isEmpty());
    m_commands.ListView1_DblClick();
    EXPECT_TRUE(shown().empty());
}

// A scan that fails in a way no folder listing foresees (memory running out in an enormous
// tree) is reported with the scan's own location, and the window goes on: the hourglass goes,
// and what was found before stays.
TEST_F(FileListCommandsTest, AFailedScanIsReportedAtTheScansLocation) {
    makeTree();
    ScriptedListings listings;
    listings.marked = "/a/b";
    listings.throws = true;
    FileListCommands commands{m_context, m_list, m_view, m_loader, "/opt/tagmill", listings};
    const QString box = "std::bad_alloc\r\nin Hollowfen2021/08/31.AddFolder.GetSubDirectories2016 "
                        "at line 100\r\rPlease email screenshot of this message to "
                        "support@veldcraft.example";

    m_desktop.inputs.answers = {"xml"};
    m_desktop.files.answers = {{m_files.path()}};
    commands.PushButton5_Click();
    finishLoading();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].title, "Application Error");
    EXPECT_EQ(shown()[0].text, box);
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
    EXPECT_EQ(relativeEntries(), QStringList({"/top.xml", "/a/1.XML", "/c/4.xml"}));

    m_list.clear();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(pathOf("a")), QUrl::fromLocalFile(pathOf("c"))});
    commands.ListView1_OLEDragDrop(data);
    finishLoading();
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].text, box);
}

TEST_F(FileListCommandsTest, DropAddsFilesAsTheyAreAndScansFoldersForEveryFile) {
    makeTree();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/nowhere/dropped.txt"), QUrl::fromLocalFile(pathOf("a")),
                  QUrl::fromLocalFile(pathOf("c")), QUrl::fromLocalFile(pathOf("top.xml"))});
    ASSERT_TRUE(FileListCommands::acceptsDrop(data));
    m_pointer.set(Pointer::Busy); // taken while busy too
    m_commands.ListView1_OLEDragDrop(data);
    finishLoading();
    EXPECT_EQ(relativeEntries(), QStringList({"/nowhere/dropped.txt", "/a/1.XML", "/a/2.doc",
                                              "/a/b/3.xml", "/c/4.xml", "/top.xml"}));
    EXPECT_EQ(m_pointer.current(), Pointer::Busy) << "a drop leaves the pointer alone";
}

TEST_F(FileListCommandsTest, OnlyLocalFilesAreTaken) {
    QMimeData text;
    text.setText("/data/a.xml");
    QMimeData web;
    web.setUrls({QUrl::fromLocalFile("/data/a.xml"), QUrl("https://example.org/b.xml")});
    QMimeData none;
    for (const QMimeData* data : {&text, &web, &none}) {
        EXPECT_FALSE(FileListCommands::acceptsDrop(*data));
        m_commands.ListView1_OLEDragDrop(*data);
    }
    finishLoading();
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(FileListCommandsTest, DraggingAnEntrySwapsItWithEachEntryItPasses) {
    m_list.append({"a", "b", "c", "d", "b"});
    const int middle = 330; // neither near the top nor the bottom of the screen
    m_commands.ListView1_MouseMove(1, middle);
    EXPECT_EQ(entries(), QStringList({"a", "b", "c", "d", "b"})) << "no button held";

    m_commands.ListView1_MouseDown();
    m_view.selectRow(0);
    m_commands.ListView1_ItemClick(0);
    EXPECT_EQ(m_desktop.pointers.iconOver, "/opt/tagmill/drag.ico");
    m_commands.ListView1_MouseMove(0, middle);
    m_commands.ListView1_MouseMove(1, middle);
    EXPECT_EQ(entries(), QStringList({"b", "a", "c", "d", "b"}));
    m_commands.ListView1_MouseMove(3, middle); // a quick move skips c
    EXPECT_EQ(entries(), QStringList({"b", "d", "c", "a", "b"}));
    EXPECT_EQ(m_view.selectedRow(), 3);
    m_commands.ListView1_MouseMove(-1, middle);
    m_commands.ListView1_MouseUp();
    EXPECT_FALSE(m_desktop.pointers.iconOver.has_value());
    m_commands.ListView1_MouseMove(2, middle);
    EXPECT_EQ(entries(), QStringList({"b", "d", "c", "a", "b"})) << "released";

    m_commands.ListView1_MouseDown();
    m_commands.ListView1_ItemClick(0);
    m_commands.ListView1_MouseMove(4, middle);
    EXPECT_EQ(entries(), QStringList({"b", "d", "c", "a", "b"})) << "the same text stays";
    m_commands.ListView1_MouseUp();

    // The moved entry is removed: pressing beside the entries and moving moves nothing.
    m_view.selectRow(0);
    m_commands.ListView1_DblClick();
    m_commands.ListView1_MouseDown();
    m_commands.ListView1_MouseMove(1, middle);
    EXPECT_EQ(entries(), QStringList({"d", "c", "a", "b"}));
}

TEST_F(FileListCommandsTest, DraggingNearTheTopOrBottomOfTheScreenScrollsOneEntryAhead) {
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many.append(QString::number(i));
    m_list.append(many);
    m_view.show();
    QScrollBar& bar = *m_view.verticalScrollBar();
    // Drags the end entry of the list, scrolled to that end, eleven entries along; gives how far
    // the list scrolled.
    const auto drag = [&](bool down, int screenY) {
        const int start = down ? 0 : bar.maximum();
        bar.setValue(start);
        const int from = down ? 0 : 199;
        const int step = down ? 1 : -1;
        m_commands.ListView1_MouseDown();
        m_commands.ListView1_ItemClick(from);
        for (int moved = 1; moved < 12; ++moved)
            m_commands.ListView1_MouseMove(from + moved * step, screenY);
        m_commands.ListView1_MouseUp();
        return bar.value() - start;
    };
    EXPECT_EQ(drag(true, 364), 0);
    EXPECT_GT(drag(true, 365), 0);
    EXPECT_EQ(entries().mid(0, 3), QStringList({"2", "3", "4"})) << "moved twice, down by 11 each";
    EXPECT_EQ(drag(false, 305), 0);
    EXPECT_LT(drag(false, 304), 0);
    EXPECT_EQ(m_view.rowAt(0), 187) << "the entry above the last place shows at the top";
    EXPECT_EQ(entries().mid(187, 4), QStringList({"187", "198", "199", "188"}))
        << "moved twice, up by 11 each";
}

} // namespace
