#pragma once

#include <QApplication>
#include <QLabel>
#include <QTextDocument>

namespace tagmill {

/// The text a label puts on the screen: its own text when it shows plain text, what its
/// markup renders to when it takes the text for rich text.
inline QString renderedText(const QLabel& label) {
    const bool rich = label.textFormat() == Qt::RichText ||
                      (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    if (!rich)
        return label.text();
    QTextDocument document;
    document.setHtml(label.text());
    return document.toPlainText();
}

/// The tooltip on show, or nullptr when none is.
inline QLabel* shownToolTip() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "qtooltip_label" && widget->isVisible())
            return qobject_cast<QLabel*>(widget);
    }
    return nullptr;
}

} // namespace tagmill
