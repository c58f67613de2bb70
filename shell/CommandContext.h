#pragma once

#include "platform/Desktop.h"
#include "shell/ErrorTrap.h"
#include "shell/Settings.h"
#include "shell/WindowPointer.h"

namespace tagmill {

/// What the commands of every area share with the window: the desktop, the settings, the
/// title their boxes carry and the window's pointer.
class CommandContext {
public:
    CommandContext(platform::Desktop desktop, Settings& settings, const QString& applicationTitle,
                   WindowPointer& pointer)
        : desktop(desktop), settings(settings), pointer(pointer),
          m_applicationTitle(applicationTitle) {}

    /// The trap of one of the window's procedures, named as users have always seen it.
    ErrorTrap errorTrap(const QString& procedure) const;
    /// The trap of the folder scan, which has a location of its own.
    ErrorTrap folderScanTrap() const;
    /// A plain message box with an OK button.
    void say(const QString& text) const;
    /// A plain message box with Yes and No buttons; true when the answer is Yes.
    bool confirm(const QString& text) const;
    /// An input box; nothing when the user cancelled.
    std::optional<QString> ask(const QString& prompt, const QString& preset) const;

    platform::Desktop desktop;
    Settings& settings;
    WindowPointer& pointer;

private:
    const QString& m_applicationTitle; // set by the opening sequence, after the commands exist
};

} // namespace tagmill
