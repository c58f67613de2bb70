// tagmill-cli: the extraction engine without the window, streaming rows to standard output.

#include "cli/CommandLine.h"
#include "cli/Inputs.h"
#include "cli/RowFormat.h"
#include "engine/ExtractionRun.h"

#include <cstdio>
#include <string>

using namespace tagmill;
using namespace tagmill::cli;

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

void writeOut(std::string& buffer) {
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
    buffer.clear();
}

void reportError(const QString& subject, const QString& description) {
    std::fprintf(stderr, "tagmill-cli: %s: %s\n", subject.toUtf8().constData(),
                 description.toUtf8().constData());
}

void reportFailure(std::string& out, const QString& entry, const QString& description) {
    writeOut(out);
    std::fflush(stdout);
    reportError(entry, description);
}

// The final flush; a full disk or a closed pipe must not pass for success.
int finishOutput(std::string& out, int status) {
    writeOut(out);
    if (std::fflush(stdout) != 0) {
        std::perror("tagmill-cli: standard output");
        return 1;
    }
    return status;
}

int printEntries(const QStringList& entries) {
    std::string out;
    for (const QString& entry : entries) {
        const QByteArray bytes = entry.toUtf8();
        out.append(bytes.constData(), std::size_t(bytes.size()));
        out += '\n';
        if (out.size() >= FlushBytes)
            writeOut(out);
    }
    return finishOutput(out, 0);
}

// Streams the rows of the run; 1 when any file failed.
int search(const CommandLine& line, const RunInput& input) {
    RowFormat format(line.format, line.withFilename);
    std::string out;
    format.appendHeader(out);

    ExtractionRun run(input);
    bool anyFailure = false;
    qsizetype currentFile = -1;
    RunEvent event;
    while (run.next(event)) {
        const QString& entry = input.entries[event.fileIndex];
        if (event.isFailure()) {
            anyFailure = true;
            reportFailure(out, entry, event.failure);
            continue;
        }
        if (event.fileIndex != currentFile) {
            currentFile = event.fileIndex;
            format.setFile(entry.toUtf8().toStdString());
        }
        for (std::size_t i = 0; i < event.values.count(); ++i) {
            format.appendRow(out, event.values.value(i));
            if (out.size() >= FlushBytes)
                writeOut(out);
        }
    }
    return finishOutput(out, anyFailure ? 1 : 0);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    const auto command = parseCommandLine(arguments);
    if (!command) {
        std::fprintf(stderr, "%s\n", Usage);
        return 2;
    }
    RunInput input;
    try {
        input = resolveInputs(*command);
    } catch (const ListFileError& error) {
        reportError(error.path, error.description);
        return 2;
    }
    if (command->listFiles)
        return printEntries(input.entries);
    if (const QString message = runPreconditionMessage(input); !message.isEmpty()) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        return 2;
    }

    return search(*command, input);
}
