#pragma once

#include "engine/ExtractionRun.h"

#include <QString>

#include <optional>

namespace tagmill::cli {

enum class OutputFormat { Jsonl, Csv };

struct CommandLine {
    RunInput run;
    bool withFilename = false;
    OutputFormat format = OutputFormat::Jsonl;
};

inline const char* const Usage =
    "usage: tagmill-cli [--option N] --tag TAG [--tag TAG ...] [--with-filename] "
    "[--format jsonl|csv] FILE...";

/// Parses the arguments after the program name; nothing when an option or flag is not valid.
std::optional<CommandLine> parseCommandLine(const QStringList& arguments);

} // namespace tagmill::cli
