#pragma once

#include "platform/fakes/FakeDesktop.h"
#include "shell/CommandContext.h"

#include <QWidget>

#include <vector>

namespace tagmill {

/// What the command classes take, over a scripted desktop: the settings, the title their boxes
/// carry and a window's pointer. Test fixtures derive from it first, so it outlives their lists
/// and queues.
class ScriptedContext {
protected:
    std::vector<platform::Message>& shown() { return m_desktop.messages.shown; }

    platform::FakeDesktop m_desktop;
    Settings m_settings{m_desktop.settings};
    QString m_title = QStringLiteral("Tagmill");
    QWidget m_window;
    WindowPointer m_pointer{m_desktop.pointers, m_window};
    CommandContext m_context{m_desktop.desktop(), m_settings, m_title, m_pointer};
};

} // namespace tagmill
