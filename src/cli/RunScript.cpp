// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RunScript.h"

#include "cli/CliHelp.h"
#include "cli/LossReport.h"
#include "commands/script/CommandGrammar.h"
#include "commands/script/Script.h"
#include "commands/script/ScriptRun.h"
#include "link/PortCommands.h"

namespace tavrel {

namespace {

enum ExitCode { kSent = 0, kRefused = 1, kUsage = 2 };

} // namespace

int RunScript(const QStringList& arguments, const CliSettings& settings, QTextStream& out, QTextStream& err)
{
    bool keepGoing = false;
    QStringList files;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        QString problem;
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            files << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--keep-going")) {
            keepGoing = true;
        } else if (argument == QLatin1String("--help")) {
            out << RunHelpText();
            return kSent;
        } else {
            const QString name = argument.mid(2).section(QLatin1Char('='), 0, 0);
            problem = IsToolOption(name)
                ? QStringLiteral("%1 is an option of tavrel-cli itself: write it before the command")
                      .arg(QuotedWord(argument))
                : QStringLiteral("unknown option %1").arg(QuotedWord(argument));
        }
        if (files.size() > 1)
            problem = QStringLiteral("extra word %1: run takes one script").arg(QuotedWord(argument));
        if (!problem.isEmpty()) {
            err << "tavrel-cli: run: " << problem << "\nusage: tavrel-cli [OPTIONS] " << RunUsage() << Qt::endl;
            return kUsage;
        }
    }
    if (files.isEmpty()) {
        err << "tavrel-cli: run: the script is missing (FILE - reads standard input)\nusage: tavrel-cli [OPTIONS] "
            << RunUsage() << Qt::endl;
        return kUsage;
    }
    Script script;
    ScriptError readError;
    ScriptReadOptions readOptions;
    // With --keep-going a refused line does not end the run, so it need not
    // stop the script before it starts either.
    readOptions.refusalsFail = !keepGoing;
    readOptions.commandsHint = QStringLiteral("(tavrel-cli help lists the commands)");
    if (!ReadScriptFile(files.first(), script, readError, readOptions)) {
        err << "tavrel-cli: " << (readError.line > 0 ? QString() : QStringLiteral("run: ")) << readError.text();
        if (readError.kind == ScriptError::Kind::Refusal)
            err << "\ntavrel-cli: nothing was sent: the run would stop at that line";
        err << Qt::endl;
        return readError.kind == ScriptError::Kind::Refusal ? kRefused : kUsage;
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
