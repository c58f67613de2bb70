#pragma once

#include "platform/FileDialogs.h"

namespace tagmill::platform {

/// File and folder choosers as QFileDialog, over the active window.
class QtFileDialogs : public FileDialogs {
public:
    QStringList openFiles(const QString& title, const QString& folder,
                          const QString& filter) override;
    QString saveFile(const QString& title, const QString& folder, const QString& filter) override;
    QString existingFolder(const QString& title, const QString& start) override;
};

} // namespace tagmill::platform
