// Tagmill: pulls values out of many XML or text files at once.

#include "platform/qt/QtDesktop.h"
#include "shell/Form1.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    tagmill::platform::QtDesktop desktop;
    tagmill::Form1 window(desktop.desktop(), QCoreApplication::applicationDirPath());
    // Logging off closes the window like its close box, so the tags are saved.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &QWidget::close);
    window.Form_Load();
    return QApplication::exec();
}
