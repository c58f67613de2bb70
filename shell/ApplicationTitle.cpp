#include "shell/ApplicationTitle.h"

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

} // namespace tagmill
