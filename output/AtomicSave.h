#pragma once

#include <QFileDevice>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace tagmill {

/// The file output for path goes to: a temporary file beside it that takes its place only once
/// complete (see finishOutputFile), or, when path names a device or a pipe, that itself. A
/// device has no earlier contents to keep, and a file put in place of /dev/null would break it
/// for every other program.
std::unique_ptr<QFileDevice> outputFile(const QString& path);
/// Puts a finished output file in place, or closes the device; false when that failed.
bool finishOutputFile(QFileDevice& file);

/// Writes the file at path through outputFile: a failure or a stop leaves an earlier file of
/// that name whole. write returns false when it failed or was stopped. Returns the failure as
/// "PATH: reason"; nothing when the file was written, or when stop was requested.
std::optional<QString> saveAtomically(const QString& path,
                                      const std::function<bool(QIODevice&)>& write,
                                      std::stop_token stop = {});

} // namespace tagmill
