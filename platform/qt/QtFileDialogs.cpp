#include "platform/qt/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace tagmill::platform {

namespace {

// "Description|pattern|..." becomes Qt's "Description (pattern);;...". Qt reads the patterns
// from the last parentheses and, with the details hidden, shows the description as it stands.
// "*.*" means every file, with or without a dot, which Qt writes "*".
QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = parts[i + 1] == QLatin1String("*.*") ? "*" : parts[i + 1];
        filters.append(parts[i] + " (" + pattern + ")");
    }
    return filters.join(QLatin1String(";;"));
}

constexpr QFileDialog::Options Details = QFileDialog::HideNameFilterDetails;

} // namespace

QStringList QtFileDialogs::openFiles(const QString& title, const QString& folder,
                                     const QString& filter) {
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder,
                                         qtFilter(filter), nullptr, Details);
}

QString QtFileDialogs::saveFile(const QString& title, const QString& folder,
                                const QString& filter) {
    // The commands ask their own overwrite question, with their own words.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, folder,
                                        qtFilter(filter), nullptr,
                                        Details | QFileDialog::DontConfirmOverwrite);
}

QString QtFileDialogs::existingFolder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
}

} // namespace tagmill::platform
