#pragma once

#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>

namespace tagmill {

/// Writes the file at path through a temporary file beside it, which replaces the file only once
/// every byte is written: a failure or a stop leaves an earlier file of that name whole. write
/// returns false when it failed or was stopped. Returns the failure as "PATH: reason"; nothing
/// when the file was written, or when stop was requested.
std::optional<QString> saveAtomically(const QString& path,
                                      const std::function<bool(QIODevice&)>& write,
                                      std::stop_token stop = {});

} // namespace tagmill
