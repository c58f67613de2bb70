#include "platform/qt/QtMessageBoxes.h"

#include "platform/qt/ShownText.h"

#include <QApplication>
#include <QMessageBox>

namespace tagmill::platform {

MessageAnswer QtMessageBoxes::show(const Message& message) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(message.title);
    // Help texts show markup such as <look>, which must never be taken for rich text.
    box.setTextFormat(Qt::PlainText);
    box.setText(shownText(message.text));
    box.setIcon(message.icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                         : QMessageBox::NoIcon);
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (message.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace tagmill::platform
