#pragma once

#include "platform/FileDialogs.h"

#include <deque>
#include <vector>

namespace tagmill::platform {

/// Records every chooser opened and answers with scripted choices; without a script the user
/// cancels.
class FakeFileDialogs : public FileDialogs {
public:
    enum class Kind { OpenFiles, SaveFile, ExistingFolder };
    struct Request {
        Kind kind;
        QString title;
        QString folder;
        QString filter;
        bool operator==(const Request&) const = default;
    };

    QStringList openFiles(const QString& title, const QString& folder,
                          const QString& filter) override {
        requests.push_back({Kind::OpenFiles, title, folder, filter});
        return take();
    }
    QString saveFile(const QString& title, const QString& folder, const QString& filter) override {
        requests.push_back({Kind::SaveFile, title, folder, filter});
        return take().value(0);
    }
    QString existingFolder(const QString& title, const QString& start) override {
        requests.push_back({Kind::ExistingFolder, title, start, {}});
        return take().value(0);
    }

    std::vector<Request> requests;
    std::deque<QStringList> answers;

private:
    QStringList take() {
        if (answers.empty())
            return {};
        QStringList answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace tagmill::platform
