#include "CliRunner.h"

#include <QElapsedTimer>
#include <QProcess>

namespace tavrel::testing {

CliRun RunCli(const QStringList& arguments, const QString& workingDirectory)
{
    CliRun run;
    QProcess cli;
    if (!workingDirectory.isEmpty())
        cli.setWorkingDirectory(workingDirectory);
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(TAVREL_CLI_PATH), arguments);
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

} // namespace tavrel::testing
