#pragma once

#include "cli/CommandLine.h"
#include "engine/ExtractionRun.h"

#include <QString>

#include <stdexcept>

namespace tagmill::cli {

/// A list file named on the command line that is missing or cannot be read.
class ListFileError : public std::runtime_error {
public:
    ListFileError(const QString& path, const QString& description)
        : std::runtime_error(description.toStdString()), path(path), description(description) {}

    QString path; ///< as given on the command line
    QString description;
};

/// The file entries and tags the sources stand for, each source added in turn as the window's
/// lists add it: a folder adds the files a folder scan finds, a list file its lines. Throws
/// ListFileError for the first list file that cannot be loaded.
RunInput resolveInputs(const CommandLine& line);

} // namespace tagmill::cli
