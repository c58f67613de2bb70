#include "platform/qt/IniSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
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

// A file of that size, written the way QSettings writes its file and then thrown away: what
// stops it would stop QSettings, which reports no failed write and would put a cut-off file in
// place of the whole one.
std::optional<QString> whyNotWritable(const QString& path, qint64 size) {
    // QSettings makes the folder when it is missing, and so does the probe; when it cannot,
    // opening the probe says why.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return probe.errorString();
    // A write that stops short gives its reason only when the rest is tried again.
    const QByteArray bytes(size, '\n');
    for (qint64 done = 0; done < size;) {
        const qint64 written = probe.write(bytes.constData() + done, size - done);
        if (written <= 0)
            return probe.errorString();
        done += written;
    }
    return std::nullopt;
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
    const QString path = store->fileName();
    const qint64 size = QFileInfo(path).size() + key.toUtf8().size() + value.toUtf8().size() + 2;
    if (const auto reason = whyNotWritable(path, size))
        throw std::runtime_error((path + ": " + *reason).toStdString());
    store->setValue(key, value);
    store->sync();
    // A damaged file read before the write sets a format error, yet the file is written.
    if (store->status() == QSettings::AccessError)
        throw std::runtime_error((path + ": Unknown error").toStdString());
}

} // namespace tagmill::platform
