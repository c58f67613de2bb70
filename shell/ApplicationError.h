#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

namespace tagmill {

/// Where a failure happened: "in Gleaner2021/08/31.Form1.Form_Load " for the project word
/// Gleaner and the procedure Form1.Form_Load.
QString errorLocation(const QString& project, const QString& procedure);

/// The text of the "Application Error" box.
QString applicationErrorText(const QString& description, const QString& location, int line);

/// Shows the "Application Error" box for a failure and returns once the user has closed it.
void ReportApplicationError(platform::MessageBoxes& boxes, const QString& description,
                            const QString& location, int line);

} // namespace tagmill
