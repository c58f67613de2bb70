#include "platform/qt/QtInputBoxes.h"

#include "platform/qt/ShownText.h"

#include <QApplication>
#include <QInputDialog>

namespace tagmill::platform {

std::optional<QString> QtInputBoxes::ask(const QString& title, const QString& prompt,
                                         const QString& preset) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title, shownText(prompt),
                              QLineEdit::Normal, preset, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

} // namespace tagmill::platform
