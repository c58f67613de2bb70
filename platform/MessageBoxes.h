#pragma once

#include <QString>

namespace tagmill::platform {

enum class MessageIcon { None, Exclamation };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

/// One modal message box: what it says and how it looks.
struct Message {
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool operator==(const Message&) const = default;
};

/// Shows modal message boxes.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// Shows the box and returns the button the user pressed once it is closed.
    virtual MessageAnswer show(const Message& message) = 0;
};

} // namespace tagmill::platform
