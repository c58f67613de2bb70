#include "shell/ResultsOutputCommands.h"
#include "engine/ResultsTable.h"
#include "ScriptedContext.h"
#include "shell/WorkQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "../QtPrinters.h"

using namespace tagmill;
using platform::FakeFileDialogs;
using platform::Message;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::Pointer;

namespace {

const QString TextFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|";

Message errorBox(const QString& description, const QString& procedure, int line) {
    return {"Application Error",
            description + "\r\nin Gleaner2021/08/31." + procedure + " at line " +
                QString::number(line) +
                "\r\rPlease email screenshot of this message to support@veldcraft.example",
            MessageButtons::Ok, MessageIcon::Exclamation};
}

Message question(const QString& path) {
    return {"Tagmill", "Are you sure you wish to overwrite " + path + " ?", MessageButtons::YesNo,
            MessageIcon::None};
}

const Message copied{"Tagmill",
                     "Results have been copied to the clipboard.\r\rClick a text area where you "
                     "normally type and press Ctrl+V to paste the clipboard.",
                     MessageButtons::Ok, MessageIcon::None};

ValueBatch batchOf(std::initializer_list<std::string_view> values) {
    ValueBatch batch;
    for (auto v : values)
        batch.append(v);
    return batch;
}

using Command = void (ResultsOutputCommands::*)();

class ResultsOutputCommandsTest : public ::testing::Test, protected ScriptedContext {
protected:
    ResultsOutputCommandsTest() {
        // The workbooks go below a runtime folder of the test's own.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        // The worked example: the unticked row holds the longest result.
        m_results.resetColumns(true);
        m_results.appendValues("a.xml", batchOf({"12"}));
        m_results.appendValues("b.xml", batchOf({"abcdefghij"}));
        m_results.appendValues("long_name.xml", batchOf({"7"}));
        tick(0);
        tick(2);
    }

    void tick(int row) {
        m_results.setData(m_results.index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
    void tickAll() {
        for (int row = 0; row < m_results.rowCount(); ++row)
            tick(row);
    }

    /// Waits until every job started so far is done and has handed over its results.
    void finishWriting() {
        bool done = false;
        m_queue.whenDone([&] { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 60000));
    }

    /// Runs a command that saves, answering its dialog with path.
    void saveWith(Command command, const QString& path) {
        m_desktop.files.answers.push_back({path});
        (m_commands.*command)();
        finishWriting();
    }

    QByteArray contents(const QString& path) const {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    ResultsTable m_results;
    QTemporaryDir m_runtime;
    QTemporaryDir m_dir;
    WorkQueue m_queue;
    ResultsOutputCommands m_commands{m_context, m_results, m_queue};
};

struct SaveCommand {
    const char* name;
    Command command;
    QByteArray bytes; // of the worked example
};

const SaveCommand SaveCommands[] = {
    {"text report", &ResultsOutputCommands::PushButton6_Click,
     "Filename     \tResults   \t\r\na.xml        \t12        \t\r\n"
     "long_name.xml\t7         \t\r\n"},
    {"comma delimited", &ResultsOutputCommands::PushButton12_Click,
     "Filename,Results,\r\na.xml,12\r\nb.xml,abcdefghij\r\nlong_name.xml,7\r\n"},
    {"tab delimited", &ResultsOutputCommands::PushButton17_Click,
     "a.xml\tb.xml\tlong_name.xml\t\r\n"},
};

TEST_F(ResultsOutputCommandsTest, SavesWriteTheTableAfterTheSaveDialog) {
    for (const SaveCommand& c : SaveCommands) {
        const QString path = m_dir.filePath(QString("new ") + c.name); // no extension added
        saveWith(c.command, path);
        EXPECT_EQ(contents(path), c.bytes) << c.name;
        ASSERT_FALSE(m_desktop.files.requests.empty());
        EXPECT_EQ(
            m_desktop.files.requests.back(),
            FakeFileDialogs::Request({FakeFileDialogs::Kind::SaveFile, "Save", "", TextFilter}))
            << c.name;
        EXPECT_TRUE(shown().empty()) << c.name << ": no message after a save";
        EXPECT_EQ(m_pointer.current(), Pointer::Arrow) << c.name;
    }
    EXPECT_EQ(m_desktop.pointers.shown,
              (std::vector<Pointer>{Pointer::Busy, Pointer::Arrow, Pointer::Busy, Pointer::Arrow,
                                    Pointer::Busy, Pointer::Arrow}));
}

TEST_F(ResultsOutputCommandsTest, ACancelledDialogEndsSilently) {
    for (const SaveCommand& c : SaveCommands) {
        (m_commands.*c.command)();
        finishWriting();
    }
    EXPECT_EQ(m_desktop.files.requests.size(), 3u);
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
    EXPECT_TRUE(m_desktop.pointers.shown.empty());
}

// The comma routine asks again before it replaces a file: both answers must be Yes.
TEST_F(ResultsOutputCommandsTest, AnExistingFileIsReplacedOnlyAfterEveryYes) {
    struct Case {
        const SaveCommand& save;
        std::vector<MessageAnswer> answers;
        bool replaced;
    };
    const Case cases[] = {
        {SaveCommands[0], {MessageAnswer::No}, false},
        {SaveCommands[0], {MessageAnswer::Yes}, true},
        {SaveCommands[1], {MessageAnswer::No}, false},
        {SaveCommands[1], {MessageAnswer::Yes, MessageAnswer::No}, false},
        {SaveCommands[1], {MessageAnswer::Yes, MessageAnswer::Yes}, true},
        {SaveCommands[2], {MessageAnswer::No}, false},
        {SaveCommands[2], {MessageAnswer::Yes}, true},
    };
    for (const Case& c : cases) {
        const QString path = write("earlier.txt", "earlier");
        shown().clear();
        m_desktop.messages.answers.assign(c.answers.begin(), c.answers.end());
        saveWith(c.save.command, path);
        EXPECT_EQ(shown(), std::vector<Message>(c.answers.size(), question(path))) << c.save.name;
        EXPECT_EQ(contents(path), c.replaced ? c.save.bytes : QByteArray("earlier")) << c.save.name;
        EXPECT_EQ(m_pointer.current(), Pointer::Arrow) << c.save.name;
    }
}

TEST_F(ResultsOutputCommandsTest, AFailingSaveIsReportedOnceWithThePathAndTheReason) {
    const QString missing = m_dir.filePath("no such folder/results.txt");
    const std::pair<Command, std::pair<const char*, int>> commands[] = {
        {&ResultsOutputCommands::PushButton6_Click, {"Extract1.SaveListviewProperlySpaced", 102}},
        {&ResultsOutputCommands::PushButton12_Click,
         {"Extract1.SaveListviewAsCommaDelimToFile", 102}},
        {&ResultsOutputCommands::PushButton17_Click, {"Form1.PushButton17_Click", 104}},
    };
    for (const auto& [command, where] : commands) {
        shown().clear();
        saveWith(command, missing);
        ASSERT_EQ(shown().size(), 1u) << where.first;
        EXPECT_EQ(shown()[0],
                  errorBox(missing + ": No such file or directory", where.first, where.second));
        EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
    }
}

// Files may grow no larger than a few bytes while it lives, as on a full disk, as root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of the signal
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// A disk that fills up mid-way: one error box with the path and the reason, after the
// questions that let the file be replaced.
TEST_F(ResultsOutputCommandsTest, AFailingSaveLeavesTheEarlierFileWhole) {
    ValueBatch many;
    for (int i = 0; i < 200000; ++i)
        many.append("a value long enough to fill the disk");
    m_results.appendValues("many.xml", many);
    tickAll();
    struct Case {
        const SaveCommand& save;
        std::size_t questions;
        const char* procedure;
        int line;
    };
    const Case cases[] = {
        {SaveCommands[0], 1, "Extract1.SaveListviewProperlySpaced", 102},
        {SaveCommands[1], 2, "Extract1.SaveListviewAsCommaDelimToFile", 102},
        {SaveCommands[2], 1, "Form1.PushButton17_Click", 104},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.save.name);
        const QString path = write("earlier.txt", "earlier");
        shown().clear();
        m_desktop.messages.answers.assign(c.questions, MessageAnswer::Yes);
        {
            FileSizeLimit limit(64 * 1024);
            saveWith(c.save.command, path);
        }
        std::vector<Message> expected(c.questions, question(path));
        expected.push_back(errorBox(path + ": File too large", c.procedure, c.line));
        EXPECT_EQ(shown(), expected);
        EXPECT_EQ(contents(path), "earlier");
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"earlier.txt"})
            << "no temporary file is left behind";
        EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
    }
}

// The table as it stood at the click is written, whatever a run or "Clear List" does meanwhile.
TEST_F(ResultsOutputCommandsTest, ASaveWritesTheTableAsItStoodWhenClicked) {
    const QString path = m_dir.filePath("results.txt");
    m_desktop.files.answers.push_back({path});
    m_commands.PushButton6_Click();
    m_results.resetColumns(false);
    m_results.appendValues("other.xml", batchOf({"from another run"}));
    finishWriting();
    EXPECT_EQ(contents(path), SaveCommands[0].bytes);
}

TEST_F(ResultsOutputCommandsTest, CopyPutsTheTickedRowsOnTheClipboardAndSaysSo) {
    m_commands.PushButton11_Click();
    finishWriting();
    EXPECT_EQ(m_desktop.clipboard.text, "a.xml        \t12\r\nlong_name.xml\t7\r\n");
    EXPECT_EQ(shown(), std::vector<Message>{copied});
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
}

TEST_F(ResultsOutputCommandsTest, CopySaysSoEvenWhenNothingWasCopied) {
    m_desktop.clipboard.text = "earlier";
    m_results.clearRows();
    m_commands.PushButton11_Click();
    finishWriting();
    EXPECT_EQ(m_desktop.clipboard.changes, 0) << "an empty table leaves the clipboard alone";
    EXPECT_EQ(m_desktop.clipboard.text, "earlier");

    m_results.appendValues("a.xml", batchOf({"1"}));
    m_commands.PushButton11_Click();
    finishWriting();
    EXPECT_EQ(m_desktop.clipboard.changes, 1) << "nothing ticked empties the clipboard";
    EXPECT_EQ(m_desktop.clipboard.text, "");
    EXPECT_EQ(shown(), std::vector<Message>(2, copied));
}

const Message noProgram{"Tagmill",
                        "No spreadsheet program is installed on this computer. You need to have "
                        "one installed to use this software without error.",
                        MessageButtons::Ok, MessageIcon::None};
const Message noProgramForFeature{"Tagmill",
                                  "No spreadsheet program is installed on this computer. You need "
                                  "to have one installed to use this feature.",
                                  MessageButtons::Ok, MessageIcon::None};

// The start of the workbook handed to the spreadsheet program, checked to be in a private
// folder of the runtime folder.
QByteArray takeWorkbook(const QString& path) {
    const QFileInfo folder(QFileInfo(QFileInfo(path).absolutePath()).absolutePath());
    EXPECT_TRUE(folder.fileName().startsWith("tagmill-")) << folder.filePath().toStdString();
    EXPECT_EQ(folder.absolutePath(), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    EXPECT_EQ(folder.permissions() & 0x0077, 0) << "only the user may read the folder";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.read(2);
}

TEST_F(ResultsOutputCommandsTest, WithoutASpreadsheetProgramBothMessagesShowAndNothingElse) {
    m_desktop.spreadsheet.installed = false;
    m_commands.PushButton22_Click();
    finishWriting();
    EXPECT_EQ(shown(), (std::vector<Message>{noProgram, noProgramForFeature}));
    EXPECT_TRUE(m_desktop.spreadsheet.opened.isEmpty());
    EXPECT_TRUE(m_desktop.pointers.shown.empty());
}

TEST_F(ResultsOutputCommandsTest, AnEmptyTableEndsAfterTheProbe) {
    m_results.clearRows();
    m_commands.PushButton22_Click();
    finishWriting();
    EXPECT_EQ(m_desktop.spreadsheet.probes, 1);
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(m_desktop.spreadsheet.opened.isEmpty());
}

TEST_F(ResultsOutputCommandsTest, TheWorkbookOpensInTheSpreadsheetProgram) {
    m_commands.PushButton22_Click();
    finishWriting();
    ASSERT_EQ(m_desktop.spreadsheet.opened.size(), 1);
    EXPECT_TRUE(m_desktop.spreadsheet.opened[0].endsWith("/Results.xlsx"));
    EXPECT_EQ(takeWorkbook(m_desktop.spreadsheet.opened[0]), "PK") << "a zip, as workbooks are";
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(m_desktop.pointers.shown, (std::vector<Pointer>{Pointer::Busy, Pointer::Arrow}));
}

TEST_F(ResultsOutputCommandsTest, WhatTheSheetCannotHoldAndAProgramThatWillNotStartAreReported) {
    ValueBatch tooLong;
    tooLong.append(std::string(40000, 'x'));
    m_results.appendValues("long.xml", tooLong);
    tick(3);
    m_desktop.spreadsheet.starts = false;
    m_commands.PushButton22_Click();
    finishWriting();
    ASSERT_EQ(m_desktop.spreadsheet.opened.size(), 1) << "what fits is still written and opened";
    const QString path = m_desktop.spreadsheet.opened[0];
    EXPECT_EQ(shown(),
              (std::vector<Message>{
                  errorBox("1 text was longer than the 32,767 characters a cell holds and was "
                           "cut to fit: B5.",
                           "Form1.PushButton22_Click", 106),
                  errorBox("The spreadsheet program could not be started for " + path,
                           "Form1.PushButton22_Click", 108)}));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).absolutePath())) << "no program needs it";
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
}

// The workbook that cannot be written is reported once, and neither opened nor left behind.
TEST_F(ResultsOutputCommandsTest, AWorkbookOnAFullDiskIsReportedOnceAndNotOpened) {
    {
        FileSizeLimit limit(1000);
        m_commands.PushButton22_Click();
        finishWriting();
    }
    ASSERT_EQ(shown().size(), 1u);
    const QRegularExpression expected(
        "^" + QRegularExpression::escape(m_runtime.path()) +
        "/tagmill-\\w+/1/Results\\.xlsx: Zip generic error ZIP_ERRNO while creating the xlsx file. "
        "System error: File too large\\.\r\nin Gleaner2021/08/31\\.Form1\\.PushButton22_Click "
        "at line 106\r\r");
    EXPECT_TRUE(expected.match(shown()[0].text).hasMatch()) << shown()[0].text.toStdString();
    EXPECT_EQ(shown()[0].title, "Application Error");
    EXPECT_TRUE(m_desktop.spreadsheet.opened.isEmpty());
    const QStringList folders = QDir(m_runtime.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(QDir(m_runtime.filePath(folders[0]))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"lock"})
        << "the workbook's folder goes with it";
    EXPECT_EQ(m_pointer.current(), Pointer::Arrow);
}

// At close, a workbook whose program has ended was read and goes; one whose program still
// runs, or was opened by the desktop's opener with no process to watch, waits for the next start.
TEST_F(ResultsOutputCommandsTest, AtTheEndTheWorkbooksOfEndedProgramsGo) {
    auto commands = std::make_unique<ResultsOutputCommands>(m_context, m_results, m_queue);
    for (const bool givesProcess : {true, true, false}) {
        m_desktop.spreadsheet.givesProcess = givesProcess;
        commands->PushButton22_Click();
        finishWriting();
    }
    const QStringList& opened = m_desktop.spreadsheet.opened;
    ASSERT_EQ(opened.size(), 3);
    m_desktop.spreadsheet.ended = {1000};
    commands.reset();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(opened[0]).absolutePath()));
    EXPECT_EQ(takeWorkbook(opened[1]), "PK");
    EXPECT_EQ(takeWorkbook(opened[2]), "PK");
}

// The window's saves write through links to the file they name, and keep its permissions.
TEST_F(ResultsOutputCommandsTest, SavesWriteThroughLinksAndKeepPermissions) {
    for (const SaveCommand& c : SaveCommands) {
        SCOPED_TRACE(c.name);
        const QString target = write("target.txt", "earlier");
        ASSERT_TRUE(
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QString link = m_dir.filePath("link.txt");
        QFile::remove(link);
        ASSERT_TRUE(QFile::link("target.txt", link));
        m_desktop.messages.answers.assign(2, MessageAnswer::Yes);
        saveWith(c.command, link);
        EXPECT_EQ(contents(target), c.bytes);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(QFileInfo(target).permissions() & 0x7777, 0x6640);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  (QStringList{"link.txt", "target.txt"}));
    }
}

} // namespace
