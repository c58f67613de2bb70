// tagmill-cli: the extraction engine without the window, writing rows to standard output or to a
// file.

#include "cli/CommandLine.h"
#include "cli/Destination.h"
#include "cli/Inputs.h"
#include "cli/Progress.h"
#include "cli/RowOutput.h"
#include "cli/RowsFrom.h"
#include "cli/RunEvents.h"
#include "engine/ExtractionRun.h"
#include "output/ReplacingFile.h"
#include "output/spreadsheet/Workbook.h"
#include "platform/MemoryReuse.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

using namespace tagmill;
using namespace tagmill::cli;

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

void reportError(const QString& subject, const QString& description) {
    std::fprintf(stderr, "tagmill-cli: %s: %s\n", subject.toUtf8().constData(),
                 description.toUtf8().constData());
}

// The final flush or the file put in place; a full disk or a closed pipe must not pass for
// success.
int finishOutput(Destination& destination, int status) {
    if (destination.finish())
        return status;
    reportError(destination.name(), destination.error());
    return 1;
}

int printEntries(const QStringList& entries, char end, Destination& destination) {
    std::string out;
    for (const QString& entry : entries) {
        const QByteArray bytes = entry.toUtf8();
        out.append(bytes.constData(), std::size_t(bytes.size()));
        out += end;
        if (out.size() >= FlushBytes)
            destination.write(out);
    }
    destination.write(out);
    return finishOutput(destination, 0);
}

// Hands the rows of the run to rows, file by file, while keepGoing says so, and reports the
// files that failed, by the names the inputs give them; true when any did. Whenever the workers
// fall behind, rows may hand on what they hold, so that a reader of a pipe sees each row soon after
// its file is searched. The progress line is looked after here too: the workers are waited for at
// most a twentieth of a second at a time, so it is redrawn while one large file is searched.
template <typename Rows, typename KeepGoing>
bool extract(ProgressDisplay& progress, const Inputs& inputs, int watched, Rows& rows,
             KeepGoing keepGoing) {
    const QStringList& names = inputs.run.entries;
    RunEvents run(inputs.searched(), watched, rows.formatter(names));
    const auto updateProgress = [&] { progress.update([&] { return run.progress(); }); };
    const auto beforeWaiting = [&] {
        rows.handOn();
        updateProgress();
    };
    bool anyFailure = false;
    qsizetype currentFile = -1;
    RunEvent event;
    while (keepGoing() && run.next(event, beforeWaiting)) {
        updateProgress();
        const QString& entry = names[event.fileIndex];
        if (event.isFailure()) {
            anyFailure = true;
            rows.flush();
            progress.around([&] { reportError(entry, event.failure); });
            continue;
        }
        if (event.fileIndex != currentFile) {
            currentFile = event.fileIndex;
            rows.startFile(entry);
        }
        rows.append(event);
    }
    return anyFailure;
}

// Writes the rows of the run; 1 when any file failed. Once the output has failed the run stops,
// as nothing more can be written.
int search(const CommandLine& line, const Inputs& inputs, Destination& destination) {
    ProgressDisplay progress(progressWanted(line), inputs.run.entries.size());
    // Rows on the terminal the line may be on would run into it: it makes way for them, and
    // comes back at its next drawing.
    if (::isatty(STDOUT_FILENO))
        destination.beforeStandardOutput([&progress] { progress.erase(); });
    RowOutput output(line, destination);
    const bool anyFailure = extract(progress, inputs, destination.watchedDescriptor(), output,
                                    [&] { return destination.ok(); });
    progress.erase();
    destination.beforeStandardOutput({});
    output.finish();
    return finishOutput(destination, anyFailure ? 1 : 0);
}

// The rows of the run, every one ticked, kept whole for a workbook.
struct WorkbookRows {
    ExtractionRun::Formatter formatter(const QStringList&) const { return {}; }
    void startFile(const QString& entry) { rows.startFile(entry.toUtf8().toStdString()); }
    void append(const RunEvent& event) { rows.append(event.values, true); }
    void flush() {}
    void handOn() {}

    RowStore rows;
};

// The spreadsheet library prints its own complaint, naming its temporary file, on standard
// error; the runner reports the failure once, with the path it was given. So while the workbook
// is written, standard error goes nowhere.
class QuietStandardError {
public:
    QuietStandardError() : m_saved(::dup(STDERR_FILENO)) {
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && nowhere >= 0)
            ::dup2(nowhere, STDERR_FILENO);
        if (nowhere >= 0)
            ::close(nowhere);
    }
    ~QuietStandardError() {
        if (m_saved < 0)
            return;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int m_saved;
};

WorkbookOutcome writeQuietly(const ResultsSnapshot& table, ReplacingFile& file) {
    const QuietStandardError quiet;
    return writeWorkbook(table, file);
}

// Prepares the workbook's file; false, reported, when it cannot be written.
bool openWorkbook(ReplacingFile& file, const QString& path) {
    const QString reason = file.open(ReplacingFile::Writing::ByName);
    if (!reason.isEmpty())
        reportError(path, reason);
    return reason.isEmpty();
}

// Writes the table to the workbook opened already; 1 when it could not be written, when it
// could not hold everything, or when the rows were short of some already.
int finishWorkbook(const ResultsSnapshot& table, ReplacingFile& file, const QString& path,
                   bool anyFailure) {
    const WorkbookOutcome outcome = writeQuietly(table, file);
    if (!outcome.failure.isEmpty()) {
        std::fprintf(stderr, "tagmill-cli: %s\n", outcome.failure.toUtf8().constData());
        return 1;
    }
    for (const QString& sentence : outcome.notFitted.split("\r\n", Qt::SkipEmptyParts))
        reportError(path, sentence);
    return anyFailure || !outcome.notFitted.isEmpty() ? 1 : 0;
}

// Writes the rows of the run to a workbook; 1 when any file failed, when the workbook could
// not be written, or when it could not hold everything. A workbook that cannot be written is
// refused before any file is searched.
int searchIntoWorkbook(const CommandLine& line, const Inputs& inputs, const QString& path) {
    ReplacingFile file(path);
    if (!openWorkbook(file, path))
        return 1;
    WorkbookRows rows;
    ProgressDisplay progress(progressWanted(line), inputs.run.entries.size());
    const bool anyFailure = extract(progress, inputs, -1, rows, [] { return true; });
    progress.erase();
    return finishWorkbook(ResultsSnapshot(line.withFilename, rows.rows), file, path, anyFailure);
}

// Standard output is where --help and --version answer; a write that failed must not pass for
// an answer given.
int finishStandardOutput() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    if (errno == EPIPE)
        endForGoneReader();
    std::fprintf(stderr, "tagmill-cli: standard output: %s\n", std::strerror(errno));
    return 1;
}

int printHelp() {
    std::fputs(Usage, stdout);
    std::fputs("\n", stdout);
    std::fputs(OptionLines, stdout);
    return finishStandardOutput();
}

int printVersion() {
    std::fputs("tagmill-cli " TAGMILL_VERSION "\n", stdout);
    return finishStandardOutput();
}

// What the command asks for, written where it asks; throws when the system refuses what the run
// needs to start.
int writeOutput(const CommandLine& command, const Inputs& inputs) {
    if (command.format == OutputFormat::Xlsx && !command.listFiles)
        return searchIntoWorkbook(command, inputs, *command.output);
    Destination destination(command.output);
    if (!destination.open()) {
        reportError(destination.name(), destination.error());
        return 1;
    }
    return command.listFiles
               ? printEntries(inputs.run.entries, command.nulSeparated ? '\0' : '\n', destination)
               : search(command, inputs, destination);
}

// Writes rows read back, from --rows-from, as the run that found them would have; 2 when they
// cannot all be read, before anything is written.
int writeRowsFrom(const CommandLine& command) {
    RowStore rows;
    try {
        rows = readRows(*command.rowsFrom);
    } catch (const RowsError& error) {
        std::fprintf(stderr, "tagmill-cli: %s\n", error.message().toUtf8().constData());
        return 2;
    }
    if (command.format == OutputFormat::Xlsx) {
        ReplacingFile file(*command.output);
        if (!openWorkbook(file, *command.output))
            return 1;
        return finishWorkbook(ResultsSnapshot(command.withFilename, rows), file, *command.output,
                              false);
    }
    Destination destination(command.output);
    if (!destination.open()) {
        reportError(destination.name(), destination.error());
        return 1;
    }
    writeRows(rows, command, destination);
    return finishOutput(destination, 0);
}

// A workbook is written by name, never to standard output.
bool lacksWorkbookOutput(const CommandLine& command) {
    if (command.format != OutputFormat::Xlsx || command.listFiles || command.output)
        return false;
    std::fprintf(stderr, "tagmill-cli: --format xlsx needs --output FILE\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The workers' row buffers and batches come and go by the megabyte.
    tagmill::platform::keepFreedMemoryForReuse();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    switch (requestOf(arguments)) {
    case Request::Help:
        return printHelp();
    case Request::Version:
        return printVersion();
    case Request::Run:
        break;
    }
    // A bare "tagmill-cli" is someone finding out how to call it, not a run short of tags.
    const auto command = arguments.isEmpty() ? std::nullopt : parseCommandLine(arguments);
    if (!command) {
        std::fprintf(stderr, "%s\n", Usage);
        return 2;
    }
    if (command->rowsFrom) {
        if (lacksWorkbookOutput(*command))
            return 2;
        try {
            return writeRowsFrom(*command);
        } catch (const std::system_error& failure) {
            std::fprintf(stderr, "tagmill-cli: %s\n", failure.what());
            return 1;
        }
    }
    if (readsStandardInputTwice(*command)) {
        std::fprintf(stderr, "%s\n", StandardInputTwice);
        return 2;
    }
    Inputs inputs;
    try {
        inputs = resolveInputs(*command);
    } catch (const ListFileError& error) {
        reportError(error.path, error.description);
        return 2;
    }
    const QString message = command->listFiles ? QString() : runPreconditionMessage(inputs.run);
    if (!message.isEmpty()) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        return 2;
    }
    if (lacksWorkbookOutput(*command))
        return 2;
    try {
        return writeOutput(*command, inputs);
    } catch (const std::system_error& failure) {
        std::fprintf(stderr, "tagmill-cli: %s\n", failure.what());
        return 1;
    }
}
