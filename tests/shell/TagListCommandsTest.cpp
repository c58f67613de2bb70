#include "CommandsFixture.h"

#include "shell/TagListCommands.h"

using namespace tagmill;
using platform::FakeFileDialogs;
using platform::Pointer;

namespace {

class TagListCommandsTest : public CommandsFixture {
protected:
    TagListCommands m_commands{m_context, m_list, m_view, m_loader};

    QStringList tags() const { return m_list.entries(); }
};

TEST_F(TagListCommandsTest, AddTagKeepsWhatWasTypedAndIgnoresNothing) {
    m_desktop.inputs.answers = {"td", "td", "<td>", "   ", "", std::nullopt};
    for (int i = 0; i < 6; ++i)
        m_commands.PushButton3_Click();
    EXPECT_EQ(tags(), QStringList({"td", "td", "<td>", "   "}));
    ASSERT_EQ(m_desktop.inputs.asked.size(), 6u);
    EXPECT_EQ(m_desktop.inputs.asked[0],
              (platform::FakeInputBoxes::Question{"Tagmill", "Enter tag to add: ", ""}));
    EXPECT_TRUE(shown().empty());
}

TEST_F(TagListCommandsTest, DeletingTheSelectedTag) {
    m_list.append({"a", "b", "c"});
    m_commands.PushButton8_Click();
    m_commands.ListView3_KeyDown();
    EXPECT_EQ(tags(), QStringList({"a", "b", "c"})) << "nothing selected";

    m_view.selectRow(1);
    m_pointer.set(Pointer::Busy);
    m_commands.ListView3_KeyDown();
    EXPECT_EQ(tags(), QStringList({"a", "b", "c"})) << "the key waits while busy";
    m_commands.PushButton8_Click();
    EXPECT_EQ(tags(), QStringList({"a", "c"})) << "the button does not";

    m_pointer.set(Pointer::Arrow);
    m_view.selectRow(0);
    m_commands.ListView3_KeyDown();
    EXPECT_EQ(tags(), QStringList{"c"});
    EXPECT_TRUE(shown().empty());
}

TEST_F(TagListCommandsTest, ClearListWorksWhileBusy) {
    m_list.append({"a", "b"});
    m_pointer.set(Pointer::Busy);
    m_commands.PushButton10_Click();
    EXPECT_TRUE(tags().isEmpty());
}

TEST_F(TagListCommandsTest, LoadTagsShowsTheHourglassAndLoadsEveryFileInTurn) {
    const QString first = write("first.txt", "td\r\n<tr>\r\n");
    const QString second =
        write("second.txt", QByteArray("\xFF\xFE", 2) + QByteArray("p\0r\0i\0c\0e\0\n\0", 12));
    m_desktop.files.answers = {{first, pathOf("gone.txt"), second}};
    m_commands.PushButton4_Click();
    ASSERT_EQ(m_desktop.files.requests.size(), 1u);
    EXPECT_EQ(m_desktop.files.requests[0],
              (FakeFileDialogs::Request{FakeFileDialogs::Kind::OpenFiles,
                                        "Load List(s) - Hold Ctrl to select multiple list files",
                                        "", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"}));
    EXPECT_EQ(m_pointer.current(), Pointer::Busy);
    finishLoading();
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
    EXPECT_EQ(tags(), QStringList({"td", "<tr>", "price"}));
    EXPECT_EQ(shown(), std::vector({box("File not found")}));
}

TEST_F(TagListCommandsTest, CancellingLoadTagsShowsNothing) {
    m_commands.PushButton4_Click();
    finishLoading();
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(m_desktop.pointers.shown.empty());
    EXPECT_TRUE(tags().isEmpty());
}

} // namespace
