#pragma once

#include <QString>
#include <stdexcept>

namespace tagmill {

/// A file that could not be opened or read; what() is the description shown to the user.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& description)
        : std::runtime_error(description.toStdString()) {}
};

} // namespace tagmill
