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
    bool nulSeparated = false; ///< lists are split, and --files ends entries, at NUL bytes
    OutputFormat format = OutputFormat::Jsonl;
    std::optional<QString> output; ///< the file to write; standard output when unset
    /// --progress or --no-progress, whichever came last; unset, the line shows on a terminal.
    std::optional<bool> progress;
    /// JSON lines rows to write instead of searching; "-" for standard input.
    std::optional<QString> rowsFrom;
};

inline const char* const Usage =
    "usage: tagmill-cli [--option N] (--tag TAG | --tags-from LIST)... [--with-filename] "
    "[--format jsonl|csv|report|comma|tab|xlsx] [--output FILE] [--files] [-0] [--ext EXT] "
    "[--progress | --no-progress] "
    "(--scan DIR | --files-from LIST | FILE)...\n"
    "       tagmill-cli --rows-from ROWS [--with-filename] [--format FORMAT] [--output FILE]";

/// One line per option, after the usage line, for --help.
inline const char* const OptionLines =
    "  --option N         1 whole element (default), 2 value, 3 whole line, 4 quoted, 5 none\n"
    "  --tag TAG          add TAG to the tag list\n"
    "  --tags-from LIST   add each line of the file LIST (- standard input) as a tag\n"
    "  --with-filename    give each row the entry of its file too\n"
    "  --format FORMAT    jsonl (default), csv, report, comma, tab, or xlsx (needs --output)\n"
    "  --output FILE      write to FILE, replaced once whole, instead of standard output\n"
    "  --files            print the file list and search nothing\n"
    "  --ext EXT          folder scans add only names ending in .EXT\n"
    "  --scan DIR         add every openable file below the folder DIR\n"
    "  --progress         show the progress line on standard error, even if not a terminal\n"
    "  --no-progress      never show the progress line\n"
    "  --files-from LIST  add each line of the file LIST (- standard input) as a file entry\n"
    "  -0, --null         lists are split at NUL bytes, and --files ends each entry with one\n"
    "  --rows-from ROWS   write the JSON lines rows of ROWS (- standard input), search nothing\n"
    "  FILE               add FILE as it is, - standard input; after -- every argument is a FILE\n"
    "  --help             print this help and exit\n"
    "  --version          print the version and exit\n";

/// What a command line asks for before any run.
enum class Request { Run, Help, Version };

/// Help or Version when "--help" or "--version", whichever comes first, stands before any "--":
/// asking how to call the program wins over whatever else the line holds, a slip included.
Request requestOf(const QStringList& arguments);

/// Parses the arguments after the program name; nothing when an option or flag is not valid.
std::optional<CommandLine> parseCommandLine(const QStringList& arguments);

/// What the program says when standard input is read for more than one list or file.
inline const char* const StandardInputTwice =
    "tagmill-cli: standard input (-) can be read only once: as one list or one FILE";

/// True when more than one list or FILE is "-": standard input can be read only once.
bool readsStandardInputTwice(const CommandLine& line);

} // namespace tagmill::cli
