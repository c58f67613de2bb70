#pragma once

#include "platform/SettingsBackend.h"

#include <map>
#include <stdexcept>

namespace tagmill::platform {

/// Settings in memory; writes fail on demand.
class MemorySettings : public SettingsBackend {
public:
    std::optional<QString> read(const QString& key) override {
        const auto found = values.find(key);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }
    void write(const QString& key, const QString& value) override {
        if (failWrites)
            throw std::runtime_error("The settings file could not be written.");
        values[key] = value;
    }

    std::map<QString, QString> values;
    bool failWrites = false;
};

} // namespace tagmill::platform
