#pragma once

#include "cli/CommandLine.h"
#include "cli/StandardInput.h"
#include "engine/ExtractionRun.h"

#include <QString>

#include <memory>
#include <stdexcept>

namespace tagmill::cli {

/// A list file named on the command line that is missing or cannot be read, or standard input
/// ("-") when it cannot be read.
class ListFileError : public std::runtime_error {
public:
    ListFileError(const QString& path, const QString& description)
        : std::runtime_error(description.toStdString()), path(path), description(description) {}

    QString path; ///< as given on the command line
    QString description;
};

/// What the sources stand for.
struct Inputs {
    RunInput run; ///< the entries as rows and messages name them
    /// The entry a FILE "-" added, and the copy of standard input it is read from; the copy is
    /// made only for a search.
    qsizetype standardInputEntry = -1;
    std::unique_ptr<StandardInputCopy> standardInput;

    /// The run as the engine reads it: the copy's path stands for "-".
    RunInput searched() const;
};

/// The file entries and tags the sources stand for, each source added in turn as the window's
/// lists add it: a folder adds the files a folder scan finds, a list file its lines or its
/// NUL-separated entries. A list file may be anything that can be read, a pipe included; a list
/// or FILE "-" is standard input. Throws ListFileError for the first list file that cannot be
/// loaded.
Inputs resolveInputs(const CommandLine& line);

} // namespace tagmill::cli
