#include "output/AtomicSave.h"

#include <QSaveFile>

namespace tagmill {

std::optional<QString> saveAtomically(const QString& path,
                                      const std::function<bool(QIODevice&)>& write,
                                      std::stop_token stop) {
    QSaveFile file(path);
    const auto failure = [&] { return path + QStringLiteral(": ") + file.errorString(); };
    if (!file.open(QIODevice::WriteOnly))
        return failure();
    if (!write(file)) {
        const QString description = failure();
        file.cancelWriting();
        if (stop.stop_requested())
            return std::nullopt;
        return description;
    }
    if (!file.commit())
        return failure();
    return std::nullopt;
}

} // namespace tagmill
