#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace tagmill::test {

/// What a run of tagmill-cli gave.
struct CliResult {
    int status;
    QByteArray out;
    QByteArray err;
};

/// Waits for a tagmill-cli that was started and takes what it gave.
inline CliResult finishCli(QProcess& process, const QStringList& arguments) {
    EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

/// Runs tagmill-cli in the folder given, with these bytes on its standard input, closed after
/// them.
inline CliResult runCli(const QStringList& arguments, const QByteArray& input = {},
                        const QString& workingDirectory = {}) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(TAGMILL_CLI, arguments);
    process.write(input);
    process.closeWriteChannel();
    return finishCli(process, arguments);
}

} // namespace tagmill::test
