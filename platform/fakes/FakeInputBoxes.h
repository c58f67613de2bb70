#pragma once

#include "platform/InputBoxes.h"

#include <deque>
#include <vector>

namespace tagmill::platform {

/// Records every question and answers with scripted texts; without a script the user cancels.
class FakeInputBoxes : public InputBoxes {
public:
    struct Question {
        QString title;
        QString prompt;
        QString preset;
        bool operator==(const Question&) const = default;
    };

    std::optional<QString> ask(const QString& title, const QString& prompt,
                               const QString& preset) override {
        asked.push_back({title, prompt, preset});
        if (answers.empty())
            return std::nullopt;
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Question> asked;
    std::deque<std::optional<QString>> answers;
};

} // namespace tagmill::platform
