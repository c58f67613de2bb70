#include "shell/ApplicationTitle.h"

#include "shell/Vendor.h"

#include <QGuiApplication>

namespace tagmill {

namespace {

constexpr qsizetype LongestTitle = 40;

// Cuts the text just before its last blank; false when it has none.
bool cutLastWord(QString& text) {
    const qsizetype blank = text.lastIndexOf(u' ');
    if (blank < 0)
        return false;
    text.truncate(blank);
    return true;
}

} // namespace

QString applicationTitle(const QString& productName) {
    QString title = productName;
    bool cut = false;
    do {
        cut = cutLastWord(title);
    } while (cut && title.size() > LongestTitle);
    return title;
}

// Qt adds the display name to a caption that does not end with it; "Tagmill" does.
void nameApplication() {
    QGuiApplication::setApplicationDisplayName(ProductName);
    QGuiApplication::setDesktopFileName(QStringLiteral("example.veldcraft.tagmill"));
}

} // namespace tagmill
