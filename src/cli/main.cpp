// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli: runs one panel command against a port and prints what the
// panel's status window would show afterwards.

#include "cli/CliHelp.h"
#include "cli/CliSession.h"
#include "cli/LossReport.h"
#include "cli/RunScript.h"
#include "cli/TerminalText.h"
#include "commands/CommandTable.h"
#include "commands/script/CommandArguments.h"
#include "commands/script/CommandGrammar.h"
#include "commands/script/Script.h"
#include "link/PortCommands.h"
#include "link/PortNames.h"
#include "link/ReconnectingRun.h"
#include "imaging/PictureApplication.h"

#include "TavrelVersion.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace tavrel;

namespace {

enum ExitCode { kSent = 0, kRefused = 1, kUsage = 2 };

const QString kToolUsage = QStringLiteral("usage: tavrel-cli [OPTIONS] COMMAND [WORDS...] (tavrel-cli help lists "
                                          "the options and commands)");

#ifndef Q_OS_WIN
// Bytes that are not UTF-8 text, for a message: printable ASCII as it is,
// any other byte as \xHH, at most 80 of them.
QString QuotedBytes(const QByteArray& bytes)
{
    QString shown;
    for (int i = 0; i < bytes.size() && i < 80; ++i) {
        const uchar b = uchar(bytes.at(i));
        shown += b >= 0x20 && b < 0x7F && b != '\\' && b != '"' ? QString(QLatin1Char(char(b)))
                                                               : QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return QLatin1Char('"') + shown + (bytes.size() > 80 ? QStringLiteral("\"...") : QStringLiteral("\""));
}
#endif

// The words of the command line exactly as they were given. On Linux a word
// is a string of bytes, which must be UTF-8 text to reach a file name or the
// module unchanged: a word that is not would come out as another name or
// text, so it is refused (false, with the message).
bool CommandLineWords(QCoreApplication& app, int argc, char** argv, QStringList& words, QString& error)
{
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    Q_UNUSED(error);
    words = app.arguments().mid(1);
    return true;
#else
    Q_UNUSED(app);
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        const QString word = QFile::decodeName(raw);
        if (QFile::encodeName(word) != raw) {
            error = QStringLiteral("word %1 of the command line, %2, is not UTF-8 text: file names and texts must be "
                                   "UTF-8 to reach the file system and the module unchanged")
                        .arg(i)
                        .arg(QuotedBytes(raw));
            return false;
        }
        words << word;
    }
    return true;
#endif
}

// Whether some command has an option of this name (given before the
// command by mistake).
bool IsCommandOption(const QString& name)
{
    for (const CommandInfo& command : AllCommands())
        for (const ArgumentField& field : CommandArgumentFields(command))
            if (field.kind != ArgumentField::Kind::Text && field.name == name)
                return true;
    return false;
}

QStringList ToolOptionNames()
{
    QStringList names;
    for (const ToolOption& option : ToolOptions())
        names << option.name;
    return names;
}

// tavrel-cli help [COMMAND]
int PrintHelp(const QStringList& words, QTextStream& out, QTextStream& err)
{
    if (words.isEmpty()) {
        out << UsageText();
        return kSent;
    }
    if (words.size() == 1 && words.first() == QLatin1String("run")) {
        out << RunHelpText();
        return kSent;
    }
    const CommandInfo* command = words.size() == 1 ? FindCommandByCliName(words.first()) : nullptr;
    if (!command) {
        err << "tavrel-cli: help: " << (words.size() == 1 ? QStringLiteral("unknown command ") : QStringLiteral("extra word "))
            << QuotedWord(words.last()) << "\nusage: tavrel-cli help [COMMAND]" << Qt::endl;
        return kUsage;
    }
    out << CommandHelpText(*command);
    return kSent;
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

    QStringList rest;
    QString wordError;
    if (!CommandLineWords(app, argc, argv, rest, wordError)) {
        err << "tavrel-cli: " << wordError << Qt::endl;
        return kUsage;
    }
    CliSettings settings;
    settings.portName = DefaultPortName();

    // tavrel-cli's own options come before the command, as --name VALUE or
    // --name=VALUE; everything after the command is the command's.
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1Char('-')) && rest.first() != QLatin1String("-")) {
        const QString word = rest.takeFirst();
        if (word == QLatin1String("--"))
            break;
        const int equals = word.indexOf(QLatin1Char('='));
        const QString name = word.startsWith(QLatin1String("--")) ? word.mid(2, equals < 0 ? -1 : equals - 2) : QString();
        if (word == QLatin1String("-h") || name == QLatin1String("help")) {
            // --help COMMAND: that command's help.
            const bool commandFollows = !rest.isEmpty()
                && (rest.first() == QLatin1String("run") || FindCommandByCliName(rest.first()));
            return PrintHelp(commandFollows ? rest.mid(0, 1) : QStringList(), out, err);
        }
        if (name == QLatin1String("list-ports") && equals < 0) {
            for (const PortEntry& port : AvailablePorts())
                out << port.name << (port.description.isEmpty() ? QString() : QLatin1Char('\t') + port.description)
                    << '\n';
            return kSent;
        }
        if (name == QLatin1String("version")) {
            out << "tavrel-cli " << TAVREL_VERSION << Qt::endl;
            return kSent;
        }
        if (name == QLatin1String("trace") && equals < 0) {
            settings.trace = true;
            continue;
        }
        const bool takesValue = name == QLatin1String("port") || name == QLatin1String("baud")
            || name == QLatin1String("reconnect") || name == QLatin1String("fg") || name == QLatin1String("bg");
        if (!takesValue) {
            QString problem = QStringLiteral("unknown option %1").arg(QuotedWord(word));
            const QString nearest = NearestName(name, ToolOptionNames());
            if (name.isEmpty())
                problem += QStringLiteral(" (options begin with --)");
            else if (IsCommandOption(name))
                problem += QStringLiteral(" (an option of a command goes after the command)");
            else if (!nearest.isEmpty())
                problem += QStringLiteral(" (did you mean --%1?)").arg(nearest);
            err << "tavrel-cli: " << problem << '\n' << kToolUsage << Qt::endl;
            return kUsage;
        }
        if (equals < 0 && rest.isEmpty()) {
            err << "tavrel-cli: --" << name << " needs a value\n" << kToolUsage << Qt::endl;
            return kUsage;
        }
        const QString value = equals < 0 ? rest.takeFirst() : word.mid(equals + 1);
        if (name == QLatin1String("port")) {
            settings.portName = value;
        } else if (name == QLatin1String("baud")) {
            settings.baudRate = value;
        } else if (name == QLatin1String("reconnect")) {
            bool ok = false;
            settings.reconnectSeconds = value.toInt(&ok);
            if (!ok || settings.reconnectSeconds < 0 || settings.reconnectSeconds > kMaxReconnectSeconds) {
                err << "tavrel-cli: --reconnect takes a number of seconds from 0 to " << kMaxReconnectSeconds
                    << ", not " << QuotedWord(value) << Qt::endl;
                return kUsage;
            }
        } else if (!ParseColourArgument(value, name == QLatin1String("fg") ? settings.foreground : settings.background)) {
            err << "tavrel-cli: --" << name << " takes a colour as RRGGBB, not " << QuotedWord(value) << Qt::endl;
            return kUsage;
        }
    }
    if (rest.isEmpty()) {
        err << "tavrel-cli: a command is missing\n" << kToolUsage << Qt::endl;
        return kUsage;
    }
    const QString commandName = rest.takeFirst();
    if (commandName == QLatin1String("help"))
        return PrintHelp(rest, out, err);
    if (commandName == QLatin1String("run"))
        return RunScript(rest, settings, out, err);
    const CommandInfo* command = FindCommandByCliName(commandName);
    if (!command) {
        QStringList names{QStringLiteral("help"), QStringLiteral("run")};
        for (const CommandInfo& known : AllCommands())
            names << CliName(known.caption);
        err << "tavrel-cli: unknown command " << QuotedWord(commandName);
        const QString nearest = NearestName(commandName, names);
        if (!nearest.isEmpty())
            err << " (did you mean " << nearest << "?)";
        err << '\n' << kToolUsage << Qt::endl;
        return kUsage;
    }

    // Every word must fit one of the command's fields; whatever does not is
    // a usage error, found before the port opens.
    ParsedCommand parsed;
    QString problem;
    if (!CheckCommandWords(*command, rest, parsed, problem)) {
        err << "tavrel-cli: " << commandName << ": " << problem << "\nusage: tavrel-cli [OPTIONS] "
            << CommandUsage(*command) << Qt::endl;
        return kUsage;
    }
    if (parsed.helpAsked) {
        out << CommandHelpText(*command);
        return kSent;
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
    }
    cli.printStatus(*command);
    return status;
}
