#include "platform/qt/QtInputBoxes.h"

#include "platform/qt/ShownText.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>

namespace tagmill::platform {

std::optional<QString> QtInputBoxes::ask(const QString& title, const QString& prompt,
                                         const QString& preset) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setInputMode(QInputDialog::TextInput);
    box.setLabelText(shownText(prompt));
    box.setTextValue(preset);
    // A prompt about tags shows markup such as <td>, which must never be taken for rich text.
    // The dialog has no setting for it; its one label is the prompt.
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

} // namespace tagmill::platform
