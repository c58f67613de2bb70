#include "platform/qt/IniSettings.h"

#include <QSettings>

#include <memory>
#include <stdexcept>

namespace tagmill::platform {

namespace {

std::unique_ptr<QSettings> openStore() {
    auto store =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Veldcraft");
    store->beginGroup("Tagmill");
    return store;
}

} // namespace

std::optional<QString> IniSettings::read(const QString& key) {
    const auto store = openStore();
    // A damaged file counts as an empty store, so the program starts with its defaults.
    if (store->status() != QSettings::NoError || !store->contains(key))
        return std::nullopt;
    const QVariant value = store->value(key);
    // A value edited by hand with bare commas comes back as a list; it was one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void IniSettings::write(const QString& key, const QString& value) {
    const auto store = openStore();
    store->setValue(key, value);
    store->sync();
    if (store->status() != QSettings::NoError)
        throw std::runtime_error("The settings file " + store->fileName().toStdString() +
                                 " could not be written.");
}

} // namespace tagmill::platform
