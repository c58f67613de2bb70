#include "shell/ApplicationError.h"

#include "shell/Vendor.h"

namespace tagmill {

QString errorLocation(const QString& project, const QString& procedure) {
    return "in " + project + "2021/08/31." + procedure + " ";
}

QString applicationErrorText(const QString& description, const QString& location, int line) {
    return description + "\r\n" + location + "at line " + QString::number(line) + "\r\r" +
           "Please email screenshot of this message to " + SupportAddress;
}

void ReportApplicationError(platform::MessageBoxes& boxes, const QString& description,
                            const QString& location, int line) {
    boxes.show({QStringLiteral("Application Error"),
                applicationErrorText(description, location, line), platform::MessageButtons::Ok,
                platform::MessageIcon::Exclamation});
}

} // namespace tagmill
