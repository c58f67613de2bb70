#include "FormFixture.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QTest>

using namespace tagmill;
using platform::Message;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::Pointer;

namespace {

struct Row {
    QString path; // empty without the file name column
    QString value;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "{" << row.path.toStdString() << ", " << row.value.toStdString() << "}";
}

Message plainBox(const QString& text) {
    return {"Tagmill", text, MessageButtons::Ok, MessageIcon::None};
}

class StartExtractingTest : public FormFixture {
protected:
    QString writeInput(const QString& name, const QByteArray& bytes) {
        return placeFile("input/" + name, bytes);
    }

    std::vector<Row> rows() const {
        const ResultsTable& table = m_form->results();
        std::vector<Row> rows;
        for (int row = 0; row < table.rowCount(); ++row)
            rows.push_back({table.withFilename() ? table.path(row) : QString(), table.value(row)});
        return rows;
    }

    bool waitForDone() {
        return QTest::qWaitFor(
            [&] {
                return !m_desktop.messages.shown.empty() &&
                       m_desktop.messages.shown.back().text == "Done.";
            },
            20000);
    }

    // Returns as soon as the run has delivered its first rows, long before it can end.
    void waitForFirstRows() {
        const QDeadlineTimer deadline(20000);
        while (m_form->results().rowCount() == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents();
        ASSERT_GT(m_form->results().rowCount(), 0);
        ASSERT_TRUE(m_desktop.messages.shown.empty()) << "the run is still going";
    }

    // Files with many values, so that a run is still going when the test acts.
    QStringList manyFiles(int files, int valuesEach) {
        QStringList paths;
        for (int f = 0; f < files; ++f) {
            QByteArray bytes;
            for (int v = 0; v < valuesEach; ++v)
                bytes += "<v>" + QByteArray::number(f) + "." + QByteArray::number(v) + "</v>\n";
            paths << writeInput(QString("f%1.xml").arg(f), bytes);
        }
        return paths;
    }
};

TEST_F(StartExtractingTest, PreconditionsLeaveEverythingAsItIs) {
    const struct {
        QStringList files;
        QStringList tags;
        QString message;
    } cases[] = {
        {{}, {}, "You forgot to input tag"},
        {{"a.xml"}, {}, "You forgot to input tag"},
        {{}, {"td"}, "No files added."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        Form1& form = open();
        form.fileList().append(c.files);
        form.tagList().append(c.tags);
        ValueBatch earlier;
        earlier.append("earlier");
        form.results().appendValues("old.xml", earlier);
        m_desktop.messages.shown.clear();
        click("PushButton7");
        QTest::qWait(50);
        ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
        EXPECT_EQ(m_desktop.messages.shown[0], plainBox(c.message));
        EXPECT_EQ(rows(), std::vector<Row>({{"", "earlier"}}));
        EXPECT_EQ(form.pointer(), Pointer::Arrow);
    }
}

TEST_F(StartExtractingTest, RowsForEveryValueThenDone) {
    const QString a = writeInput("a.xml", "<price>1</price><name>x</name>\r\n<price> 2 </price>");
    const QString empty = writeInput("empty.xml", "");
    const QString b = writeInput("b.xml", "<item id=\"7\" note=\"\"><price>3</price></item> \"");
    const struct {
        const char* option;
        bool withFilename;
        std::vector<Row> rows;
    } cases[] = {
        {"Option2",
         true,
         {{a, "1"}, {a, " 2 "}, {a, "x"}, {b, "3"}, {a, "1"}, {a, " 2 "}, {a, "x"}}},
        {"Option1",
         false,
         {{"", "<price>1</price>"},
          {"", "<price> 2 </price>"},
          {"", "<name>x</name>"},
          {"", "<price>3</price>"},
          {"", "<price>1</price>"},
          {"", "<price> 2 </price>"},
          {"", "<name>x</name>"}}},
        {"Option3",
         false,
         {{"", "<price>1</price><name>x</name>"},
          {"", "<price> 2 </price>"},
          {"", "<price>1</price><name>x</name>"},
          {"", "<item id=\"7\" note=\"\"><price>3</price></item> \""},
          {"", "<price>1</price><name>x</name>"},
          {"", "<price> 2 </price>"},
          {"", "<price>1</price><name>x</name>"}}},
        // The tags play no part; the last mark has no partner.
        {"Option4", true, {{b, "7"}, {b, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        m_desktop.messages.shown.clear();
        m_desktop.pointers.shown.clear();
        Form1& form = open();
        form.fileList().append({a, empty, b, a});
        form.tagList().append({"price", "name"});
        click(c.option);
        if (control<QCheckBox>("Check1").isChecked() != c.withFilename)
            click("Check1");
        click("PushButton7");
        ASSERT_TRUE(waitForDone());
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(form.results().columnCount(), c.withFilename ? 2 : 1);
        EXPECT_EQ(m_desktop.messages.shown, std::vector<Message>({plainBox("Done.")}));
        EXPECT_EQ(m_desktop.pointers.shown, std::vector<Pointer>({Pointer::Busy, Pointer::Arrow}));
        for (int row = 0; row < form.results().rowCount(); ++row)
            EXPECT_FALSE(form.results().isChecked(row));
    }
}

TEST_F(StartExtractingTest, FileThatCannotBeReadIsReportedAndTheRunGoesOn) {
    const QString a = writeInput("a.xml", "<v>1</v>");
    const QString missing = m_programFolder.filePath("input/missing.xml");
    const QString b = writeInput("b.xml", "<v>2</v>");
    Form1& form = open();
    form.fileList().append({a, missing, b});
    form.tagList().append({"v"});
    click("Option2");
    click("PushButton7");
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(rows(), std::vector<Row>({{"", "1"}, {"", "2"}}));
    ASSERT_EQ(m_desktop.messages.shown.size(), 2u);
    EXPECT_EQ(m_desktop.messages.shown[0],
              Message({"Application Error",
                       missing + ": No such file or directory\r\nin "
                                 "Gleaner2021/08/31.Form1.PushButton7_Click at line 112\r\rPlease "
                                 "email screenshot of this message to support@veldcraft.example",
                       MessageButtons::Ok, MessageIcon::Exclamation}));
    EXPECT_EQ(form.pointer(), Pointer::Arrow);
}

// Shows error boxes the way the real one does, with an event loop of its own, and notes how
// many rows the table had when it opened and when it closed.
class ModalErrorBoxes : public platform::FakeMessageBoxes {
public:
    explicit ModalErrorBoxes(const ResultsTable*& table) : m_table(table) {}

    platform::MessageAnswer show(const Message& message) override {
        if (message.title == "Application Error") {
            const int before = m_table->rowCount();
            QTest::qWait(100);
            rowsWhileOpen.push_back({before, m_table->rowCount()});
        }
        return FakeMessageBoxes::show(message);
    }

    std::vector<std::pair<int, int>> rowsWhileOpen;

private:
    const ResultsTable*& m_table;
};

// The fixture's desktop with other message boxes.
platform::Desktop withBoxes(platform::FakeDesktop& fakes, platform::MessageBoxes& boxes) {
    return {boxes,          fakes.inputs,   fakes.files,  fakes.clipboard,  fakes.settings,
            fakes.launcher, fakes.pointers, fakes.random, fakes.spreadsheet};
}

TEST_F(StartExtractingTest, RunWaitsWhileTheErrorBoxIsOpen) {
    const ResultsTable* table = nullptr;
    ModalErrorBoxes boxes(table);
    const platform::Desktop desktop = withBoxes(m_desktop, boxes);
    Form1 form(desktop, m_programFolder.path());
    table = &form.results();
    form.Form_Load();
    QStringList files = manyFiles(20, 1000);
    files.insert(10, m_programFolder.filePath("input/missing.xml"));
    form.fileList().append(files);
    form.tagList().append({"v"});
    form.findChild<QAbstractButton*>("Option2")->click();
    form.findChild<QAbstractButton*>("PushButton7")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 2; }, 20000));
    EXPECT_EQ(boxes.shown.back().text, "Done.");
    ASSERT_EQ(boxes.rowsWhileOpen.size(), 1u);
    EXPECT_EQ(boxes.rowsWhileOpen[0].first, 10 * 1000) << "the files before the missing one";
    EXPECT_EQ(boxes.rowsWhileOpen[0].second, 10 * 1000) << "nothing added under the box";
    EXPECT_EQ(form.results().rowCount(), 20 * 1000);
}

// The search meets the second tag's failure before the first tag's value, yet the value's row
// is in the table when the failure's box opens: the file's values and failures come tag by tag.
TEST_F(StartExtractingTest, ASecondTagsFailureComesAfterTheFirstTagsValues) {
    const ResultsTable* table = nullptr;
    ModalErrorBoxes boxes(table);
    const platform::Desktop desktop = withBoxes(m_desktop, boxes);
    Form1 form(desktop, m_programFolder.path());
    table = &form.results();
    form.Form_Load();
    const QString file = writeInput("a.xml", "<b</b><a>x</a>");
    form.fileList().append({file});
    form.tagList().append({"a", "b"});
    form.findChild<QAbstractButton*>("Option2")->click();
    form.findChild<QAbstractButton*>("PushButton7")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.shown.size() == 2; }, 20000));
    EXPECT_EQ(
        boxes.shown[0],
        Message({"Application Error",
                 file + ": Invalid procedure call or argument: the opening tag has no '>' "
                        "before its closing tag\r\nin Gleaner2021/08/31.Form1.PushButton7_Click at "
                        "line 112\r\r"
                        "Please email screenshot of this message to support@veldcraft.example",
                 MessageButtons::Ok, MessageIcon::Exclamation}));
    EXPECT_EQ(boxes.shown[1], plainBox("Done."));
    EXPECT_EQ(boxes.rowsWhileOpen, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(form.results().rowCount(), 1);
    EXPECT_EQ(form.results().value(0), "x");
}

// The folder would fail at once if read, and the window would show that in an error box; so the
// box proves a read, where the empty table alone would not.
TEST_F(StartExtractingTest, HiddenOptionReadsNothing) {
    m_desktop.settings.values["Option"] = "5";
    const QString a = writeInput("a.xml", "<v>1</v>");
    writeInput("folder/inside.xml", "<v>2</v>");
    const QString folder = m_programFolder.filePath("input/folder");
    Form1& form = open();
    form.fileList().append({a, folder, a});
    form.tagList().append({"v"});
    click("PushButton7");
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(m_desktop.messages.shown, std::vector<Message>({plainBox("Done.")}));
    EXPECT_EQ(form.results().rowCount(), 0);
    EXPECT_EQ(form.results().columnCount(), 1);
}

TEST_F(StartExtractingTest, SecondStartReplacesTheRunningOne) {
    Form1& form = open();
    form.fileList().append(manyFiles(300, 2000));
    form.tagList().append({"v"});
    click("Option2");
    click("PushButton7");
    waitForFirstRows();
    click("PushButton7");
    ASSERT_TRUE(waitForDone());
    QTest::qWait(100);
    EXPECT_EQ(m_desktop.messages.shown, std::vector<Message>({plainBox("Done.")}));
    ASSERT_EQ(form.results().rowCount(), 300 * 2000);
    for (int row = 0; row < form.results().rowCount(); row += 997) {
        const QString expected = QString("%1.%2").arg(row / 2000).arg(row % 2000);
        ASSERT_EQ(form.results().value(row), expected) << row;
    }
}

TEST_F(StartExtractingTest, ClosingDuringARunSavesTheTagsAndStopsIt) {
    Form1& form = open();
    form.fileList().append(manyFiles(300, 2000));
    form.tagList().append({"v", "w"});
    click("PushButton7");
    waitForFirstRows();
    form.close();
    EXPECT_EQ(m_desktop.settings.values["Tags"], "v||MySeparator12||w");
    const int rowsAtClose = form.results().rowCount();
    QTest::qWait(200);
    EXPECT_EQ(form.results().rowCount(), rowsAtClose);
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

} // namespace
