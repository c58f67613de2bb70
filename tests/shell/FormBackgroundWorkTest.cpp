// Work the window does off its thread (list files, scans) against the commands the user gives
// meanwhile: the order of the entries, a start while the lists fill, and the close.

#include "FormFixture.h"

#include "textio/HostileFiles.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <thread>

using namespace tagmill;
using platform::Pointer;
using test::ScriptedCalls;

namespace {

class FormBackgroundWorkTest : public FormFixture {
protected:
    // Opening any of these files waits until the gate opens: a list file on a slow mount.
    void holdOpening(QStringList paths) {
        m_calls.beforeOpen = [this, paths, gate = m_gate](const char* path) {
            if (!paths.contains(QFile::decodeName(path)))
                return;
            ++m_held;
            gate->wait();
        };
    }
    void openGate() { m_gate->count_down(); }

    void chooseAndClick(const QString& path, const char* button) {
        m_desktop.files.answers = {{path}};
        click(button);
    }

    bool waitForBox(const QString& text) {
        return QTest::qWaitFor(
            [&] {
                const auto& shown = m_desktop.messages.shown;
                return std::any_of(shown.begin(), shown.end(),
                                   [&](const platform::Message& box) { return box.text == text; });
            },
            20000);
    }

    std::shared_ptr<std::latch> m_gate = std::make_shared<std::latch>(1);
    std::atomic<int> m_held = 0; // opens waiting at the gate
    ScriptedCalls m_calls;
};

TEST_F(FormBackgroundWorkTest, EntriesJoinInTheOrderOfTheCommands) {
    Form1& form = open();
    const QString fileList = placeFile("files.txt", "/data/1.xml\r\n/data/2.xml\r\n");
    const QString tagList = placeFile("tags.txt", "a\r\nb\r\n");
    holdOpening({fileList, tagList});
    chooseAndClick(fileList, "PushButton16");
    chooseAndClick("/data/direct.xml", "PushButton1");
    chooseAndClick(tagList, "PushButton4");
    m_desktop.inputs.answers = {"typed"};
    click("PushButton3");
    QTest::qWait(20);
    EXPECT_TRUE(form.fileList().entries().isEmpty()) << "nothing jumps the queue";
    EXPECT_TRUE(form.tagList().entries().isEmpty());

    openGate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.tagList().rowCount() == 3; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.fileList().rowCount() == 3; }, 20000));
    EXPECT_EQ(form.fileList().entries(),
              QStringList({"/data/1.xml", "/data/2.xml", "/data/direct.xml"}));
    EXPECT_EQ(form.tagList().entries(), QStringList({"a", "b", "typed"}));
}

// A start while a list file is still loading searches the whole list once it is in, with the
// hourglass meanwhile, and a second click adds no second run.
TEST_F(FormBackgroundWorkTest, StartWhileTheListsFillSearchesThemOnceFilled) {
    Form1& form = open();
    const QString one = placeFile("input/1.xml", "<v>1</v>");
    const QString two = placeFile("input/2.xml", "<v>2</v>");
    const QString fileList = placeFile("files.txt", (one + "\n" + two).toUtf8());
    form.tagList().append({"v"});
    holdOpening({fileList});
    chooseAndClick(fileList, "PushButton16");
    m_desktop.messages.shown.clear();
    click("PushButton7");
    click("PushButton7");
    QTest::qWait(20);
    EXPECT_EQ(form.pointer(), Pointer::Busy);
    EXPECT_TRUE(m_desktop.messages.shown.empty()) << "no refusal of an empty file list";

    openGate();
    ASSERT_TRUE(waitForBox("Done."));
    QTest::qWait(50);
    ASSERT_EQ(form.results().rowCount(), 2);
    EXPECT_EQ(form.results().value(0), "<v>1</v>");
    EXPECT_EQ(form.results().value(1), "<v>2</v>");
    EXPECT_EQ(m_desktop.messages.shown.size(), 1u) << "one run, one Done.";
    EXPECT_EQ(form.pointer(), Pointer::Arrow);
}

// A list file stuck on its way in (a mount that does not answer) must not keep the program
// from ending: the close saves the tags and the window goes without waiting for it.
TEST_F(FormBackgroundWorkTest, TheCloseDoesNotWaitForAStuckLoad) {
    Form1& form = open();
    form.tagList().append({"td"});
    const QString tagList = placeFile("tags.txt", "late\r\n");
    holdOpening({tagList});
    chooseAndClick(tagList, "PushButton4");
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_held == 1; }, 20000));
    // Opens the gate should the close wait for the load after all, so the test fails rather
    // than hangs.
    std::atomic<bool> gone = false;
    std::atomic<bool> waitedFor = false;
    std::thread valve([&, gate = m_gate] {
        for (int tick = 0; tick < 1000 && !gone; ++tick)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!gone) {
            waitedFor = true;
            gate->count_down();
        }
    });
    form.close();
    m_form.reset();
    gone = true;
    valve.join();
    EXPECT_FALSE(waitedFor);
    EXPECT_EQ(m_desktop.settings.values["Tags"], "td");
    if (!waitedFor)
        openGate();
    // The load, now free, ends by itself before the calls it goes through go away.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_calls.closed > 0; }, 20000));
    QTest::qWait(20);
}

// An end signal closes the window like its close box, also while a box of the opening sequence
// is up: the opening goes no further, the window never shows, and the stored tags are kept
// when the opening had not read them yet.
TEST_F(FormBackgroundWorkTest, AnEndDuringABoxOfTheOpeningEndsIt) {
    const QString stored = "td||MySeparator12||tr";
    const struct {
        const char* box;
        std::function<void(platform::FakeDesktop&)> arrange;
        QStringList tagsAtClose;
    } cases[] = {
        {"the web site could not be opened, before the tags are read",
         [](platform::FakeDesktop& desktop) {
             desktop.random.fractions = {0.065};
             desktop.launcher.succeeds = false;
         },
         {}},
        {"a damaged check box setting, after the tags are read",
         [](platform::FakeDesktop& desktop) { desktop.settings.values["Check1"] = "7"; },
         {"td", "tr"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        m_desktop.settings.values = {{"Tags", stored}, {"Snapshot", "x"}};
        m_desktop.messages.shown.clear();
        c.arrange(m_desktop);
        m_desktop.messages.onShow = [&](const platform::Message&) { m_form->close(); };
        Form1& form = open();
        m_desktop.messages.onShow = {};
        EXPECT_TRUE(form.hasClosed());
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(m_desktop.messages.shown.size(), 1u);
        EXPECT_EQ(form.tagList().entries(), c.tagsAtClose);
        EXPECT_EQ(m_desktop.settings.values["Tags"], stored);
    }
}

} // namespace
