#include "shell/CommandContext.h"

namespace tagmill {

ErrorTrap CommandContext::errorTrap(const QString& procedure) const {
    return ErrorTrap(desktop.messages, "Form1." + procedure);
}

ErrorTrap CommandContext::folderScanTrap() const {
    return ErrorTrap(desktop.messages, QStringLiteral("AddFolder.GetSubDirectories2016"),
                     QStringLiteral("Hollowfen"));
}

void CommandContext::say(const QString& text) const {
    desktop.messages.show(
        {m_applicationTitle, text, platform::MessageButtons::Ok, platform::MessageIcon::None});
}

bool CommandContext::confirm(const QString& text) const {
    return desktop.messages.show({m_applicationTitle, text, platform::MessageButtons::YesNo,
                                  platform::MessageIcon::None}) == platform::MessageAnswer::Yes;
}

std::optional<QString> CommandContext::ask(const QString& prompt, const QString& preset) const {
    return desktop.inputs.ask(m_applicationTitle, prompt, preset);
}

} // namespace tagmill
