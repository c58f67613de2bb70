#include "lists/DialogSelection.h"

#include "lists/PathNormaliser.h"

#include <QFileInfo>

namespace tagmill {

bool fitsOpenDialogResult(const QStringList& chosen) {
    if (chosen.size() == 1)
        return chosen[0].size() + 1 <= OpenDialogResultLimit;
    // The dialog lists the names of one folder after that folder.
    qsizetype length = QFileInfo(chosen.value(0)).path().size() + 1 + 1;
    for (const QString& path : chosen)
        length += QFileInfo(path).fileName().size() + 1;
    return length <= OpenDialogResultLimit;
}

QStringList chosenPaths(const QStringList& chosen) {
    if (chosen.size() <= 1)
        return chosen;
    QStringList paths;
    paths.reserve(chosen.size());
    for (const QString& path : chosen) {
        const QFileInfo info(path);
        paths.append(joinFolderAndName(info.path(), info.fileName()));
    }
    return paths;
}

} // namespace tagmill
