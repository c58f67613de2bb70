#pragma once

#include <QString>

#include <optional>

namespace tagmill::platform {

/// The per-user store of this program's settings: keys with text values, kept between runs.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    /// The stored text, or nothing when the key is absent or the store cannot be read.
    virtual std::optional<QString> read(const QString& key) = 0;
    /// Stores the text at once. Throws std::runtime_error when the store cannot be written.
    virtual void write(const QString& key, const QString& value) = 0;
};

} // namespace tagmill::platform
