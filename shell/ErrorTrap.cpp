#include "shell/ErrorTrap.h"

#include "shell/ApplicationError.h"

namespace tagmill {

ErrorTrap::ErrorTrap(platform::MessageBoxes& boxes, const QString& procedure,
                     const QString& project)
    : m_boxes(boxes), m_location(errorLocation(project, procedure)) {}

void ErrorTrap::report(int line, const QString& description) {
    ReportApplicationError(m_boxes, description, m_location, line);
}

} // namespace tagmill
