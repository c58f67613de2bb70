#include "cli/Inputs.h"

#include "lists/FolderScan.h"
#include "lists/ListFile.h"
#include "textio/FileBytes.h"
#include "textio/FileError.h"

namespace tagmill::cli {

namespace {

bool isStandardInput(const QString& name) {
    return name == QLatin1String("-");
}

// Throws ListFileError naming the list for whatever FileError reading it throws.
template <typename Read> auto readNamed(const QString& name, Read read) {
    try {
        return read();
    } catch (const FileError& error) {
        throw ListFileError(name, QString::fromStdString(error.what()));
    }
}

QStringList loadList(const QString& path, ListSeparator separator) {
    return readNamed(path, [&] {
        QByteArray bytes;
        if (isStandardInput(path))
            bytes = readStandardInput();
        else if (!readWholeStream(path, bytes))
            throw ListFileError(path, ListFileNotFound);
        return ListEntries(std::move(bytes), separator);
    });
}

// Every openable file below the folder. Each scan starts afresh, so folders an earlier scan
// entered are entered again and every --scan adds all that lies below its folder.
QStringList scanFolder(const QString& folder, const QString& pattern) {
    QStringList found;
    FolderScan().addFilesBelow(folder, pattern,
                               [&found](QStringList paths) { found.append(std::move(paths)); });
    return found;
}

} // namespace

RunInput Inputs::searched() const {
    RunInput input = run;
    if (standardInput)
        input.entries[standardInputEntry] = standardInput->path();
    return input;
}

Inputs resolveInputs(const CommandLine& line) {
    const QString pattern =
        line.extension ? patternForExtension(*line.extension) : EveryFilePattern;
    const ListSeparator separator = line.nulSeparated ? ListSeparator::Nul : ListSeparator::Lines;
    Inputs inputs;
    RunInput& input = inputs.run;
    input.option = line.option;
    for (const Source& source : line.sources) {
        switch (source.kind) {
        case Source::Kind::File:
            // Only a search reads the file; --files just names it.
            if (isStandardInput(source.text) && !line.listFiles) {
                inputs.standardInputEntry = input.entries.size();
                inputs.standardInput =
                    readNamed(source.text, [] { return std::make_unique<StandardInputCopy>(); });
            }
            input.entries.append(source.text);
            break;
        case Source::Kind::Folder:
            input.entries += scanFolder(source.text, pattern);
            break;
        case Source::Kind::FileList:
            input.entries += loadList(source.text, separator);
            break;
        case Source::Kind::Tag:
            input.tags.append(source.text);
            break;
        case Source::Kind::TagList:
            input.tags += loadList(source.text, separator);
            break;
        }
    }
    return inputs;
}

} // namespace tagmill::cli
