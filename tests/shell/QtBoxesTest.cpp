#include "platform/qt/QtInputBoxes.h"
#include "platform/qt/QtMessageBoxes.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "../QtPrinters.h"
#include "ShownLabels.h"

using namespace tagmill;
using platform::Message;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

// Texts that Qt would take for markup if they were handed to it as they are.
const QString Marked = "Enter tags as 'td' not '<td>' (for example)\r\n<b>bold</b> & <i>x</i>";
const QString MarkedShown = "Enter tags as 'td' not '<td>' (for example)\n<b>bold</b> & <i>x</i>";

// Looks at the box the code under test shows once its own event loop runs, then closes it.
void whenShown(std::function<void(QDialog&)> look) {
    QTimer::singleShot(0, [look] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no box is shown";
        look(*dialog);
        dialog->reject();
    });
}

void expectPlain(const QLabel* label, const QString& shown) {
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(renderedText(*label), shown);
}

TEST(QtBoxes, MessageTextShowsCharacterForCharacter) {
    for (const MessageButtons buttons : {MessageButtons::Ok, MessageButtons::YesNo}) {
        bool looked = false;
        whenShown([&](QDialog& dialog) {
            looked = true;
            EXPECT_EQ(dialog.windowTitle(), "<b>Tagmill</b>");
            expectPlain(dialog.findChild<QLabel*>("qt_msgbox_label"), MarkedShown);
        });
        platform::QtMessageBoxes().show(
            Message{"<b>Tagmill</b>", Marked, buttons, MessageIcon::Exclamation});
        EXPECT_TRUE(looked);
    }
}

TEST(QtBoxes, InputPromptShowsCharacterForCharacter) {
    bool looked = false;
    whenShown([&](QDialog& dialog) {
        looked = true;
        EXPECT_EQ(dialog.windowTitle(), "<b>Tagmill</b>");
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 1);
        expectPlain(labels[0], MarkedShown);
    });
    EXPECT_EQ(platform::QtInputBoxes().ask("<b>Tagmill</b>", Marked, "td"), std::nullopt);
    EXPECT_TRUE(looked);
}

} // namespace
