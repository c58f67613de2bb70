#pragma once

#include "platform/SettingsBackend.h"

namespace tagmill::platform {

/// The settings in the section [Tagmill] of the per-user file Veldcraft.ini
/// (~/.config/Veldcraft.ini, or below XDG_CONFIG_HOME). The file is read afresh on every read,
/// so what another copy of the program wrote is seen at once.
class IniSettings : public SettingsBackend {
public:
    std::optional<QString> read(const QString& key) override;
    void write(const QString& key, const QString& value) override;
};

} // namespace tagmill::platform
