#include "shell/Settings.h"

namespace tagmill {

QString Settings::ReadSetting(const QString& key, const QString& fallback) const {
    return m_backend.read(key).value_or(fallback);
}

void Settings::WriteSetting(const QString& key, const QString& value) {
    m_backend.write(key, value);
}

} // namespace tagmill
