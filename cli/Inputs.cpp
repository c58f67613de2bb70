#include "cli/Inputs.h"

#include "lists/FolderScan.h"
#include "lists/ListFile.h"
#include "textio/FileError.h"

namespace tagmill::cli {

namespace {

QStringList loadList(const QString& path) {
    std::optional<QStringList> entries;
    try {
        entries = LoadListFromTextFile(path);
    } catch (const FileError& error) {
        throw ListFileError(path, QString::fromStdString(error.what()));
    }
    if (!entries)
        throw ListFileError(path, ListFileNotFound);
    return *entries;
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

RunInput resolveInputs(const CommandLine& line) {
    const QString pattern =
        line.extension ? patternForExtension(*line.extension) : EveryFilePattern;
    RunInput input;
    input.option = line.option;
    for (const Source& source : line.sources) {
        switch (source.kind) {
        case Source::Kind::File:
            input.entries.append(source.text);
            break;
        case Source::Kind::Folder:
            input.entries += scanFolder(source.text, pattern);
            break;
        case Source::Kind::FileList:
            input.entries += loadList(source.text);
            break;
        case Source::Kind::Tag:
            input.tags.append(source.text);
            break;
        case Source::Kind::TagList:
            input.tags += loadList(source.text);
            break;
        }
    }
    return input;
}

} // namespace tagmill::cli
