#pragma once

#include <QString>

namespace tagmill {

/// The system's own text for an errno value, such as "Permission denied". Safe on any thread.
QString systemErrorText(int error);

} // namespace tagmill
