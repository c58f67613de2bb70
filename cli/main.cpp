// tagmill-cli: the extraction engine without the window, streaming rows to standard output.

#include "cli/CommandLine.h"
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

void reportFailure(std::string& out, const QString& entry, const QString& description) {
    writeOut(out);
    std::fflush(stdout);
    std::fprintf(stderr, "tagmill-cli: %s: %s\n", entry.toUtf8().constData(),
                 description.toUtf8().constData());
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
    if (const QString message = runPreconditionMessage(command->run); !message.isEmpty()) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        return 2;
    }

    RowFormat format(command->format, command->withFilename);
    std::string out;
    format.appendHeader(out);

    ExtractionRun run(command->run);
    bool anyFailure = false;
    qsizetype currentFile = -1;
    RunEvent event;
    while (run.next(event)) {
        const QString& entry = command->run.entries[event.fileIndex];
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
    writeOut(out);
    if (std::fflush(stdout) != 0) {
        std::perror("tagmill-cli: standard output");
        return 1;
    }
    return anyFailure ? 1 : 0;
}
