// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RunScript.h"

#include "cli/LossReport.h"
#include "commands/script/Script.h"
#include "commands/script/ScriptRun.h"
#include "link/PortCommands.h"

#include <QFile>

namespace tavrel {

namespace {

enum ExitCode { kSent = 0, kRefused = 1, kUsage = 2 };

const QString kUsageText = QStringLiteral("usage: run [--keep-going] FILE (FILE - reads standard input)");

bool ReadScriptText(const QString& name, QByteArray& text, QString& error)
{
    QFile file;
    const bool opened = name == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error = file.errorString();
        return false;
    }
    text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int RunScript(const QStringList& arguments, const CliSettings& settings, QTextStream& out, QTextStream& err)
{
    bool keepGoing = false;
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--keep-going"))
            keepGoing = true;
        else if (argument.startsWith(QLatin1String("--")))
            files << QString();  // an option run does not know
        else
            files << argument;
    }
    if (files.size() != 1 || files.first().isEmpty()) {
        err << "tavrel-cli: run: " << kUsageText << Qt::endl;
        return kUsage;
    }
    QByteArray text;
    QString readError;
    if (!ReadScriptText(files.first(), text, readError)) {
        err << "tavrel-cli: run: cannot read " << files.first() << ": " << readError << Qt::endl;
        return kUsage;
    }
    Script script;
    ScriptError parseError;
    if (!ParseScript(text, script, parseError)) {
        err << "tavrel-cli: " << parseError.text() << Qt::endl;
        return kUsage;
    }

    CliSession cli(settings, out, err);
    if (script.needsPort() && !OpenPort(cli.session())) {
        out << cli.host().statusText() << Qt::endl;
        return kRefused;
    }
    CliHost& host = cli.host();
    ScriptHooks hooks;
    hooks.routeDialogs = cli.dialogRouting();
    hooks.setForeground = [&host](HostColour colour) { host.setForegroundColour(colour); };
    hooks.setBackground = [&host](HostColour colour) { host.setBackgroundColour(colour); };
    hooks.reconnect.waitMs = settings.reconnectSeconds * 1000;
    const ScriptStep* running = nullptr;
    // The lost attempt's lines stay on screen above those of the line sent again.
    hooks.reconnect.beforeResend = [&] { cli.printStatus(*running->command); };
    ScriptRun run(script, cli.session(), hooks);
    int failures = 0;
    while (!run.atEnd()) {
        const ScriptStep& step = run.nextStep();
        if (step.kind == ScriptStep::Kind::Command)
            host.setStatusText(QString());
        running = &step;
        const StepReport report = run.runNext();
        if (step.kind == ScriptStep::Kind::Wait)
            cli.session().clock().sleepMs(step.waitMs);
        if (step.kind != ScriptStep::Kind::Command)
            continue;
        if (!report.outcome.unusedArguments.isEmpty())
            err << "tavrel-cli: line " << step.line << ": ignored extra arguments: "
                << report.outcome.unusedArguments.join(QLatin1Char(' ')) << Qt::endl;
        if (report.outcome.result != CommandRunResult::UsageError)
            cli.printStatus(*step.command);
        ReportLoss(report.link, settings.reconnectSeconds, err, QStringLiteral("line %1: ").arg(step.line));
        if (!report.failed())
            continue;
        ++failures;
        // A line cut off part-way is not sent again; the port is back, and
        // the run goes on. A port that stayed away ends the run.
        if (report.link.loss == LossHandling::NotResent) {
            err << "tavrel-cli: " << report.failureText() << Qt::endl;
            continue;
        }
        if (!keepGoing || report.portGone()) {
            err << "tavrel-cli: " << report.failureText() << "; the run stops there" << Qt::endl;
            return kRefused;
        }
        err << "tavrel-cli: " << report.failureText() << Qt::endl;
    }
    if (failures > 0) {
        err << "tavrel-cli: " << failures << (failures == 1 ? " command" : " commands") << " of the script failed"
            << Qt::endl;
        return kRefused;
    }
    return kSent;
}

} // namespace tavrel
