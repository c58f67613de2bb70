// Tagmill: pulls values out of many XML or text files at once.

#include "output/WorkbookFolder.h"
#include "platform/MemoryReuse.h"
#include "platform/qt/EndSignals.h"
#include "platform/qt/QtDesktop.h"
#include "shell/ApplicationTitle.h"
#include "shell/Form1.h"

#include <QApplication>
#include <QSessionManager>

#include <memory>
#include <system_error>

int main(int argc, char** argv) {
    tagmill::platform::keepFreedMemoryForReuse();
    tagmill::removeLeftWorkbooks();
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    tagmill::nameApplication();
    tagmill::platform::QtDesktop desktop;
    tagmill::Form1 window(desktop.desktop(), QCoreApplication::applicationDirPath());
    // Logging off closes the window like its close box, so the tags are saved.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     &tagmill::Form1::closeFromOutside);
    // So does the end of the session by a signal, at a shutdown or a logout.
    std::unique_ptr<tagmill::platform::EndSignals> endSignals;
    try {
        endSignals = std::make_unique<tagmill::platform::EndSignals>();
        QObject::connect(endSignals.get(), &tagmill::platform::EndSignals::received, &window,
                         &tagmill::Form1::closeFromOutside);
    } catch (const std::system_error& failure) {
        qCritical("tagmill: %s; the tags are not saved when a signal ends the program",
                  failure.what());
    }
    window.Form_Load();
    // An end signal answered while a box of the opening was open has closed the window: the
    // program ends here, as it would have from the event loop.
    if (window.hasClosed())
        return 0;
    return QApplication::exec();
}
