#pragma once

#include "engine/ExtractionRun.h"
#include "engine/ResultsTable.h"
#include "lists/EntryListModel.h"
#include "lists/FolderScan.h"
#include "platform/Desktop.h"
#include "shell/CommandContext.h"
#include "shell/Settings.h"
#include "shell/WindowPointer.h"
#include "shell/WorkQueue.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace tagmill {

class FileListCommands;
class ReportView;
class ResultsOutputCommands;
class SampleCommands;
class RunPump;
class TagListCommands;

/// The main window: the file list, the tag list, the extraction options, the results table and
/// every command button. Closing it saves the tag list and ends the program.
class Form1 : public QWidget {
    Q_OBJECT
public:
    /// programFolder holds the skin x/o.cjs, the hand pointer HAND-M.CUR and drag.ico. Folders
    /// are scanned through folderCalls, the system's own but in tests.
    Form1(platform::Desktop desktop, QString programFolder,
          detail::FolderCalls& folderCalls = detail::systemFolderCalls(),
          QWidget* parent = nullptr);
    ~Form1() override;

    /// The opening sequence: restores the saved state and shows the window, centred. A close
    /// during it, by an end signal while one of its boxes is open, ends it there.
    void Form_Load();
    /// The window was closed: the program is ending.
    bool hasClosed() const { return m_closed; }
    /// Closes the window as its close box does, for a logout or an end signal; also while the
    /// opening sequence still runs, before the window shows.
    void closeFromOutside();

    platform::Pointer pointer() const { return m_pointer.current(); }
    /// The hourglass is showing: a long command is at work.
    bool isBusy() const { return m_pointer.isBusy(); }
    const QString& applicationTitle() const { return m_applicationTitle; }

    EntryListModel& fileList() { return m_files; }
    EntryListModel& tagList() { return m_tags; }
    ResultsTable& results() { return m_results; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the window (Form1Layout.cpp).
    void buildControls();
    void buildLists();
    void buildFrames();
    void buildPushButtons();
    void connectCommands();
    void connectListEvents();
    void watchHover();
    bool fileListEvent(QEvent* event);
    bool tagListEvent(QEvent* event);

    // Opening (Form1Load.cpp).
    void applySkin();
    void loadHandPointer();
    void drawForWebSite();
    void recordSampleSnapshot();
    void setCaptionAndTitle();
    void addListColumns();
    void restoreTags();
    void restoreOption();
    void restoreCheck1();
    void buildResultsColumns();
    void showCentred();

    // Commands (Form1Commands.cpp).
    void PushButton2_Click();
    void PushButton7_Click();
    bool listsFilling() const;
    void startWhenListsFilled();
    void PushButton9_Click();
    void PushButton21_Click();
    void showOptionHelp(int pushButton, int option);
    void Option_Click(int option);
    void saveOption(int option);
    void Check1_Click();
    void Form_QueryUnload();
    RunInput runInput() const;
    void startRun(RunInput input);
    void stopRun();
    void runFailed(const QString& entry, const QString& description);
    void runBroken(const QString& description);
    void runEnded();

    ErrorTrap errorTrap(const QString& procedure);
    void say(const QString& text);
    void setPointer(platform::Pointer pointer);

    platform::Desktop m_desktop;
    const QString m_programFolder;
    detail::FolderCalls& m_folderCalls;
    Settings m_settings;
    QString m_applicationTitle;
    WindowPointer m_pointer;
    CommandContext m_context;

    EntryListModel m_files;
    EntryListModel m_tags;
    ResultsTable m_results;
    RunPump* m_run = nullptr;    // the run going on, a child of the window
    bool m_startWaiting = false; // a start waits for the lists to fill
    bool m_tagsRestored = false; // the tag list holds the stored tags: the close may save it
    bool m_closed = false;
    std::unique_ptr<FileListCommands> m_fileListCommands;
    std::unique_ptr<TagListCommands> m_tagListCommands;
    std::unique_ptr<ResultsOutputCommands> m_resultsOutputCommands;
    std::unique_ptr<SampleCommands> m_sampleCommands;
    // After the lists they fill, so their work stops before the lists go. One for each list, so
    // that each keeps the order of its own commands without waiting for the other's.
    WorkQueue m_fileLoader;
    WorkQueue m_tagLoader;
    WorkQueue m_writer; // the results' writers

    ReportView* m_listView1 = nullptr;
    ReportView* m_listView2 = nullptr;
    ReportView* m_listView3 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QCheckBox* m_check1 = nullptr;
    std::array<QRadioButton*, 6> m_option{};     // by number, 1 to 5
    std::array<QPushButton*, 23> m_pushButton{}; // by number, 1 to 22
};

} // namespace tagmill
