#pragma once

#include "engine/ExtractionOption.h"

#include <QList>
#include <QString>

#include <optional>

namespace tagmill::cli {

/// Jsonl, Csv, Comma and Tab stream their rows as they come; Report and Xlsx need the whole
/// table first, and Xlsx, a workbook, a file to go to.
enum class OutputFormat { Jsonl, Csv, Report, Comma, Tab, Xlsx };

/// One input named on the command line, before it is turned into file entries or tags.
struct Source {
    enum class Kind { File, Folder, FileList, Tag, TagList };
    Kind kind;
    QString text;
};

struct CommandLine {
    QList<Source> sources;            ///< in command-line order
    std::optional<QString> extension; ///< what folders are scanned for; every file when unset
    ExtractionOption option = ExtractionOption::TagAndValue;
    bool listFiles = false;
    bool withFilename = false;
    OutputFormat format = OutputFormat::Jsonl;
    std::optional<QString> output; ///< the file to write; standard output when unset
};

inline const char* const Usage =
    "usage: tagmill-cli [--option N] (--tag TAG | --tags-from LIST)... [--with-filename] "
    "[--format jsonl|csv|report|comma|tab|xlsx] [--output FILE] [--files] [--ext EXT] "
    "(--scan DIR | --files-from LIST | FILE)...";

/// Parses the arguments after the program name; nothing when an option or flag is not valid.
std::optional<CommandLine> parseCommandLine(const QStringList& arguments);

} // namespace tagmill::cli
