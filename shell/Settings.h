#pragma once

#include "platform/SettingsBackend.h"

#include <QLatin1String>
#include <QString>

namespace tagmill {

/// The keys this program keeps in the settings store.
namespace keys {
inline constexpr QLatin1String Option{"Option"};
inline constexpr QLatin1String Check1{"Check1"};
inline constexpr QLatin1String Tags{"Tags"};
inline constexpr QLatin1String Extension{"Extension"};
inline constexpr QLatin1String LastFolder{"LastFolder"};
inline constexpr QLatin1String Snapshot{"Snapshot"};
} // namespace keys

/// The program's settings, every value a text. Reads and writes reach the store at once.
class Settings {
public:
    explicit Settings(platform::SettingsBackend& backend) : m_backend(backend) {}

    /// The stored text, or fallback when the key is absent or the store unreadable.
    QString ReadSetting(const QString& key, const QString& fallback) const;
    /// Stores the text. Throws std::runtime_error when the store cannot be written.
    void WriteSetting(const QString& key, const QString& value);

private:
    platform::SettingsBackend& m_backend;
};

} // namespace tagmill
