#pragma once

#include "shell/WorkQueue.h"

namespace tagmill {

class CommandContext;

/// Loads list files into a list, in the order given: each file's lines become entries, a file
/// that is not there is answered with "File not found", and one that cannot be read is
/// reported under the procedure and line given; either way the next file follows.
WorkQueue::Job loadListFilesJob(CommandContext& context, EntryListModel& list, QStringList paths,
                                 QString procedure, int line);

/// What the list commands report when the files chosen do not fit the open dialog's result.
QString tooManyListFilesDescription();

} // namespace tagmill
