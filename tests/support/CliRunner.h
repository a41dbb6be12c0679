#pragma once

#include <QString>
#include <QStringList>

namespace tavrel::testing {

// One run of tavrel-cli: its exit status (-1 when it crashed or had to be
// killed), what it printed, and how long it took.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
};

// Runs tavrel-cli with these arguments, in workingDirectory when one is
// given, and waits up to a minute for it to finish.
CliRun RunCli(const QStringList& arguments, const QString& workingDirectory = QString());

} // namespace tavrel::testing
