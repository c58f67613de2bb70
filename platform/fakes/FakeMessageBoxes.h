#pragma once

#include "platform/MessageBoxes.h"

#include <deque>
#include <functional>
#include <vector>

namespace tagmill::platform {

/// Records every box shown and answers with scripted buttons; without a script it presses the
/// first button (OK or Yes).
class FakeMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const Message& message) override {
        shown.push_back(message);
        if (onShow)
            onShow(message);
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    std::vector<Message> shown;
    std::deque<MessageAnswer> answers;
    std::function<void(const Message&)> onShow; // called while the box is up
};

} // namespace tagmill::platform
