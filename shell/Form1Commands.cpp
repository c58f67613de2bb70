// The commands behind the window's buttons, option buttons and check box.

#include "shell/Form1.h"

#include "shell/HelpTexts.h"
#include "shell/RunPump.h"
#include "shell/SettingValues.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>

namespace tagmill {

using platform::Pointer;

void Form1::PushButton2_Click() {
    ErrorTrap trap = errorTrap("PushButton2_Click");
    trap.step(100, [&] { say(generalHelpText()); });
}

void Form1::showOptionHelp(int pushButton, int option) {
    ErrorTrap trap = errorTrap("PushButton" + QString::number(pushButton) + "_Click");
    trap.step(100, [&] {
        say(optionHelpText(ExtractionOption(option), m_option[std::size_t(option)]->text()));
    });
}

void Form1::PushButton21_Click() {
    ErrorTrap trap = errorTrap("PushButton21_Click");
    trap.step(100, [&] { say(tagEntryHelpText()); });
}

void Form1::PushButton9_Click() {
    ErrorTrap trap = errorTrap("PushButton9_Click");
    trap.step(100, [&] { m_results.clearRows(); });
}

// Writing the setting is all an option's click does; the table changes at the next run.
void Form1::Option_Click(int option) {
    ErrorTrap trap = errorTrap("Option" + QString::number(option) + "_Click");
    trap.step(100, [&] { saveOption(option); });
}

void Form1::saveOption(int option) {
    m_settings.WriteSetting(keys::Option, QString::number(option));
}

void Form1::Check1_Click() {
    ErrorTrap trap = errorTrap("Check1_Click");
    trap.step(100,
              [&] { m_settings.WriteSetting(keys::Check1, m_check1->isChecked() ? "1" : "0"); });
}

void Form1::PushButton7_Click() {
    ErrorTrap trap = errorTrap("PushButton7_Click");
    RunInput input;
    QString refusal;
    bool waiting = false;
    trap.step(100, [&] {
        waiting = listsFilling();
        if (waiting)
            return startWhenListsFilled();
        input = runInput();
        refusal = runPreconditionMessage(input);
    });
    if (waiting)
        return;
    if (!refusal.isEmpty())
        return trap.step(102, [&] { say(refusal); });
    trap.step(104, [&] { stopRun(); });
    trap.step(106, [&] { setPointer(Pointer::Busy); });
    trap.step(108, [&] { buildResultsColumns(); });
    trap.step(110, [&] { startRun(std::move(input)); });
}

bool Form1::listsFilling() const {
    return !m_fileLoader.isIdle() || !m_tagLoader.isIdle();
}

// A scan or a list file still adding entries would leave the run a half-filled list: the start
// waits, with the hourglass, and searches the lists as they stand once the filling ends. A
// second click meanwhile adds no second start.
void Form1::startWhenListsFilled() {
    setPointer(Pointer::Busy);
    if (m_startWaiting)
        return;
    m_startWaiting = true;
    WorkQueue& filling = m_fileLoader.isIdle() ? m_tagLoader : m_fileLoader;
    filling.whenDone([this] {
        m_startWaiting = false;
        PushButton7_Click();
    });
}

// The run reads what the lists and options hold now; changing them later does not reach it.
// The first of options 1 to 4 that is selected decides; the hidden option 5 reads no file.
RunInput Form1::runInput() const {
    for (int number = 1; number <= 4; ++number) {
        if (m_option[std::size_t(number)]->isChecked())
            return {m_files.entries(), m_tags.entries(), ExtractionOption(number)};
    }
    return {m_files.entries(), m_tags.entries(), ExtractionOption::Nothing};
}

void Form1::startRun(RunInput input) {
    m_run = new RunPump(
        std::move(input),
        [this](const QString& entry, const ValueBatch& values) {
            m_results.appendValues(entry, values);
        },
        [this](const QString& entry, const QString& description) { runFailed(entry, description); },
        [this](const QString& description) { runBroken(description); }, [this] { runEnded(); },
        this);
}

// A new run replaces one still going, so two runs never share the table. The old pump may be
// the one that called us from under an error box, so it is deleted once control is back.
void Form1::stopRun() {
    if (!m_run)
        return;
    m_run->cancel();
    m_run->deleteLater();
    m_run = nullptr;
}

// The description names the file: among thousands, the user must know which one failed.
void Form1::runFailed(const QString& entry, const QString& description) {
    errorTrap("PushButton7_Click").report(112, entry + ": " + description);
}

// The table could take no more rows, most likely for want of memory: the run stops, and its
// workers with it, before the box shows. No "Done." follows, since the table is not complete.
void Form1::runBroken(const QString& description) {
    stopRun();
    ErrorTrap trap = errorTrap("PushButton7_Click");
    trap.report(118, description);
    trap.step(120, [&] { setPointer(Pointer::Arrow); });
}

void Form1::runEnded() {
    ErrorTrap trap = errorTrap("PushButton7_Click");
    trap.step(114, [&] { setPointer(Pointer::Arrow); });
    trap.step(116, [&] { say(QStringLiteral("Done.")); });
}

// A close that comes while the opening is still at work, by an end signal while one of its boxes
// is open, finds the tags maybe not read yet: it leaves the stored ones as they are.
void Form1::Form_QueryUnload() {
    m_closed = true;
    stopRun();
    m_fileLoader.cancel();
    m_tagLoader.cancel();
    m_writer.cancel();
    ErrorTrap trap = errorTrap("Form_QueryUnload");
    if (m_tagsRestored)
        trap.step(100, [&] { m_settings.WriteSetting(keys::Tags, joinTags(m_tags.entries())); });
    // What was pending when the close came (a repaint, a queued click), and what that posts in
    // turn, is handled before the end; each round takes only the events posted before it.
    for (int round = 0; round < 2; ++round)
        QCoreApplication::processEvents();
    // A close by an end signal may come while a box is open. Once the event loop runs, quitting
    // ends the box's loop too; during the opening, before it runs, quitting does nothing, so the
    // boxes are closed here and the opening, seeing the window closed, goes no further.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QDialog*>(widget); box && box->isVisible())
            box->reject();
    }
    QCoreApplication::quit();
}

} // namespace tagmill
