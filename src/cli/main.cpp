// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli: runs one panel command against a port and prints what the
// panel's status window would show afterwards.

#include "cli/CliSession.h"
#include "cli/LossReport.h"
#include "cli/RunScript.h"
#include "cli/TerminalText.h"
#include "commands/CommandTable.h"
#include "commands/script/CommandArguments.h"
#include "commands/script/Script.h"
#include "link/PortCommands.h"
#include "link/PortNames.h"
#include "link/ReconnectingRun.h"
#include "imaging/PictureApplication.h"

#include "TavrelVersion.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace tavrel;

namespace {

enum ExitCode { kSent = 0, kRefused = 1, kUsage = 2 };

QString UsageText()
{
    QString text;
    QTextStream out(&text);
    out << "Usage: tavrel-cli [--port NAME] [--baud N] [--fg RRGGBB] [--bg RRGGBB] [--trace]\n"
        << "                  [--reconnect SECONDS] COMMAND [ARGS...]\n"
        << "       tavrel-cli [OPTIONS] run [--keep-going] FILE\n\n"
        << "Opens the port as Open Port does, runs one command as its button would with\n"
        << "the given field texts, and prints the status window's text afterwards.\n"
        << "Arguments are the texts typed into the command's dialog, in the order the\n"
        << "dialog shows them; omitted ones take the dialog's defaults. Check boxes and\n"
        << "radio buttons are options after the command: --name (on) or --name=VALUE.\n\n"
        << "Options:\n"
        << "  --port NAME   serial device to open, or \"emulator\" for the built-in\n"
        << "                emulated module (default: " << DefaultPortName() << ")\n"
        << "  --baud N      baud rate (default: 115200)\n"
        << "  --fg RRGGBB   foreground colour (default: FFFFFF)\n"
        << "  --bg RRGGBB   background colour (default: 000000)\n"
        << "  --trace       print every byte sent and received to standard error while\n"
        << "                the command or script runs, one tab-separated line per entry:\n"
        << "                time, +ms since the port was opened, -> / <- / --, label, hex,\n"
        << "                ASCII\n"
        << "  --reconnect SECONDS\n"
        << "                when the port goes away during a command, wait up to\n"
        << "                SECONDS for it to come back and open it again; a command\n"
        << "                lost before any of its bytes were written is then sent\n"
        << "                again, one partly written is not (exit status 1)\n"
        << "  --list-ports  print the ports Com Port Settings offers, one a line: the\n"
        << "                name to give --port and, after a tab, the system's\n"
        << "                description of the device where it has one\n"
        << "  --help        this text\n"
        << "  --version     the program's version\n\n"
        << "Exit status: 0 when the command was sent, 1 when it was refused (bounds,\n"
        << "open failure), a packet was not written whole or the port went away\n"
        << "(\"> Port lost: NAME\"), 2 for a usage error (the port is not opened\n"
        << "then). Message-box texts go to standard error.\n"
        << "Listings and file data go to standard output byte for byte; on a terminal,\n"
        << "control characters other than tab and newline show as \\xHH and \\ as \\\\.\n\n"
        << "run FILE runs a script (FILE - reads standard input) on one opening of the\n"
        << "port: one command a line, written as the words after tavrel-cli, with '...',\n"
        << "\"...\" and \\ quoting and # comments, plus the lines foreground-color RRGGBB,\n"
        << "background-color RRGGBB and wait MS. It stops at the first refused command\n"
        << "(exit 1; --keep-going runs on and exits 1 at the end); a line that does not\n"
        << "parse stops it before anything is sent (exit 2).\n\n"
        << "Commands:\n";
    for (const auto& command : AllCommands()) {
        QString head = CliName(command.caption);
        if (!command.arguments.isEmpty())
            head += QLatin1Char(' ') + command.arguments;
        out << "  " << head.leftJustified(34) << ' ' << command.summary << '\n';
        if (!command.options.isEmpty())
            out << "  " << QString().leftJustified(34) << "   options: " << command.options << '\n';
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    // A GUI application without a window: drawing an SVG picture's text
    // needs the fonts only such an application has.
    const std::unique_ptr<QCoreApplication> application = CreatePictureApplication(argc, argv);
    QCoreApplication& app = *application;
    // Picture decoders chatter about harmless oddities of the files they read
    // (colour profiles and the like); the picture commands say themselves
    // what went wrong. QT_LOGGING_RULES still overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral(
        "qt.gui.imageio*.info=false\nqt.gui.imageio*.warning=false\nqt.imageformats*.warning=false\nqt.svg*.warning=false"));
    UseStandardStreamsAsTheyAre();
    QTextStream out(stdout);
    QTextStream err(stderr);

    CliSettings settings;
    settings.portName = DefaultPortName();
    QStringList rest = app.arguments().mid(1);

    // Options come before the command; everything after the command is a
    // field text, so "-1" stays an argument.
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString option = rest.takeFirst();
        if (option == QLatin1String("--help")) {
            out << UsageText();
            return kSent;
        }
        if (option == QLatin1String("--list-ports")) {
            for (const PortEntry& port : AvailablePorts())
                out << port.name << (port.description.isEmpty() ? QString() : QLatin1Char('\t') + port.description)
                    << '\n';
            return kSent;
        }
        if (option == QLatin1String("--version")) {
            out << "tavrel-cli " << TAVREL_VERSION << Qt::endl;
            return kSent;
        }
        if (option == QLatin1String("--")) {
            break;
        }
        if (option == QLatin1String("--trace")) {
            settings.trace = true;
            continue;
        }
        if (rest.isEmpty()) {
            err << "tavrel-cli: " << option << " needs a value" << Qt::endl;
            return kUsage;
        }
        const QString value = rest.takeFirst();
        if (option == QLatin1String("--port")) {
            settings.portName = value;
        } else if (option == QLatin1String("--baud")) {
            settings.baudRate = value;
        } else if (option == QLatin1String("--reconnect")) {
            bool ok = false;
            settings.reconnectSeconds = value.toInt(&ok);
            if (!ok || settings.reconnectSeconds < 0 || settings.reconnectSeconds > kMaxReconnectSeconds) {
                err << "tavrel-cli: --reconnect takes a number of seconds from 0 to " << kMaxReconnectSeconds
                    << ", not " << value << Qt::endl;
                return kUsage;
            }
        } else if (option == QLatin1String("--fg") || option == QLatin1String("--bg")) {
            if (!ParseColourArgument(value, option == QLatin1String("--fg") ? settings.foreground : settings.background)) {
                err << "tavrel-cli: " << option << " takes a colour as RRGGBB, not " << value << Qt::endl;
                return kUsage;
            }
        } else {
            err << "tavrel-cli: unknown option " << option << "\n\n" << UsageText();
            return kUsage;
        }
    }
    if (rest.isEmpty()) {
        err << UsageText();
        return kUsage;
    }
    const QString commandName = rest.takeFirst();
    if (commandName == QLatin1String("run"))
        return RunScript(rest, settings, out, err);
    const CommandInfo* command = FindCommandByCliName(commandName);
    if (!command) {
        err << "tavrel-cli: unknown command " << commandName << "\n\n" << UsageText();
        return kUsage;
    }

    // Choices no dialog offers are usage errors, found before the port opens.
    const QString problem = ArgumentProblem(*command, rest);
    if (!problem.isEmpty()) {
        err << "tavrel-cli: " << commandName << ": " << problem << Qt::endl;
        return kUsage;
    }

    CliSession cli(settings, out, err);
    int status = kSent;
    // Commands that work on files only open no port.
    if (!command->needsNoPort && !OpenPort(cli.session())) {
        status = kRefused;
    } else {
        // A command whose port went away before any of it was written runs
        // again, from its first argument, once the port is back (--reconnect).
        CommandRunOutcome outcome;
        outcome.result = CommandRunResult::Refused;
        auto runCommand = [&] {
            outcome = RunCommandWords(cli.session(), *command, rest, cli.dialogRouting());
            return outcome.result == CommandRunResult::Sent ? CommandOutcome::Sent : CommandOutcome::Refused;
        };
        if (command->needsNoPort) {
            runCommand();
        } else {
            ReconnectOptions options;
            options.waitMs = settings.reconnectSeconds * 1000;
            // The lost run's lines stay on screen above the new run's.
            options.beforeResend = [&] { cli.printStatus(*command); };
            const ReconnectingRun run = RunReconnecting(cli.session(), runCommand, options);
            if (!run.portHeld())
                status = kRefused;
            ReportLoss(run, settings.reconnectSeconds, err);
        }
        if (outcome.result == CommandRunResult::UsageError) {
            err << "tavrel-cli: " << commandName << ": " << outcome.usageError << Qt::endl;
            return kUsage;
        }
        if (outcome.result != CommandRunResult::Sent)
            status = kRefused;
        if (!outcome.unusedArguments.isEmpty())
            err << "tavrel-cli: ignored extra arguments: " << outcome.unusedArguments.join(QLatin1Char(' ')) << Qt::endl;
    }
    cli.printStatus(*command);
    return status;
}
