#include "output/AtomicSave.h"

#include <QFileInfo>
#include <QSaveFile>

namespace tagmill {

std::unique_ptr<QFileDevice> outputFile(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        return std::make_unique<QFile>(path);
    return std::make_unique<QSaveFile>(path);
}

bool finishOutputFile(QFileDevice& file) {
    if (auto* saveFile = qobject_cast<QSaveFile*>(&file))
        return saveFile->commit();
    file.close();
    return file.error() == QFileDevice::NoError;
}

// A QSaveFile dropped without its commit takes its temporary file with it.
std::optional<QString> saveAtomically(const QString& path,
                                      const std::function<bool(QIODevice&)>& write,
                                      std::stop_token stop) {
    const std::unique_ptr<QFileDevice> file = outputFile(path);
    const auto failure = [&] { return path + QStringLiteral(": ") + file->errorString(); };
    if (!file->open(QIODevice::WriteOnly))
        return failure();
    if (!write(*file)) {
        if (stop.stop_requested())
            return std::nullopt;
        return failure();
    }
    if (!finishOutputFile(*file))
        return failure();
    return std::nullopt;
}

} // namespace tagmill
