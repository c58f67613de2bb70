#include "shell/ListFileJob.h"

#include "lists/ListFile.h"
#include "shell/CommandContext.h"

namespace tagmill {

WorkQueue::Job loadListFilesJob(CommandContext& context, EntryListModel& list, QStringList paths,
                                 QString procedure, int line) {
    return [&context, &list, paths, procedure, line](WorkQueue::Output& output) {
        for (const QString& path : paths) {
            if (output.stopToken().stop_requested())
                return;
            try {
                if (auto entries = LoadListFromTextFile(path))
                    output.add(list, std::move(*entries));
                else
                    output.post([&context] { context.say(ListFileNotFound); });
            } catch (const std::exception& failure) {
                const QString description = path + ": " + QString::fromUtf8(failure.what());
                output.post([&context, procedure, line, description] {
                    context.errorTrap(procedure).report(line, description);
                });
            }
        }
    };
}

QString tooManyListFilesDescription() {
    return QStringLiteral("The names of the files chosen do not fit in 260 characters.");
}

} // namespace tagmill
