#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

#include <exception>
#include <functional>

namespace tagmill {

/// The error trap of one procedure. The procedure runs its statements through step(), each
/// with its number (100, 102, ...); a statement that throws is abandoned, reported in the
/// "Application Error" box with this procedure's location and the statement's number, and the
/// procedure goes on with its next step.
class ErrorTrap {
public:
    /// procedure is "Module.Procedure", e.g. "Form1.Form_Load".
    ErrorTrap(platform::MessageBoxes& boxes, const QString& procedure,
              const QString& project = QStringLiteral("Gleaner"));

    template <typename Statement> void step(int line, Statement&& statement) {
        try {
            statement();
        } catch (const std::exception& failure) {
            report(line, QString::fromUtf8(failure.what()));
        }
    }

    /// Reports a failure that reached us some other way than an exception.
    void report(int line, const QString& description);

private:
    platform::MessageBoxes& m_boxes;
    QString m_location;
};

/// Reports a failure with a trap later, at the given statement: for work the statement started
/// off the window's thread, whose failures reach the window only afterwards.
inline std::function<void(const QString& description)> reportsAt(ErrorTrap trap, int line) {
    return [trap, line](const QString& description) mutable { trap.report(line, description); };
}

} // namespace tagmill
