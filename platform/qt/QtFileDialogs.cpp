#include "platform/qt/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace tagmill::platform {

QStringList QtFileDialogs::openFiles(const QString& title, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder, filter);
}

QString QtFileDialogs::saveFile(const QString& title, const QString& folder,
                                const QString& filter) {
    // The commands ask their own overwrite question, with their own words.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, folder, filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString QtFileDialogs::existingFolder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
}

} // namespace tagmill::platform
