// tavrel-cli: runs one panel command against a port and prints what the
// panel's status window would show afterwards.

#include "cli/ArgumentCheck.h"
#include "cli/CliHost.h"
#include "cli/TerminalText.h"
#include "cli/TracePrinter.h"
#include "commands/CommandTable.h"
#include "emulator/CardFolder.h"
#include "emulator/Emulator.h"
#include "link/OpenLink.h"
#include "link/PanelSession.h"
#include "link/PortCommands.h"
#include "link/PortNames.h"

#include "TavrelVersion.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>

using namespace tavrel;

namespace {

enum ExitCode { kSent = 0, kRefused = 1, kUsage = 2 };

QString UsageText()
{
    QString text;
    QTextStream out(&text);
    out << "Usage: tavrel-cli [--port NAME] [--baud N] [--fg RRGGBB] [--bg RRGGBB] [--trace] COMMAND [ARGS...]\n\n"
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
        << "                the command runs, one tab-separated line per entry: time,\n"
        << "                +ms since the port was opened, -> / <- / --, label, hex, ASCII\n"
        << "  --help        this text\n"
        << "  --version     the program's version\n\n"
        << "Exit status: 0 when the command was sent, 1 when it was refused (bounds,\n"
        << "open failure) or a packet was not written whole, 2 for a usage error (the\n"
        << "port is not opened then). Message-box texts go to standard error.\n"
        << "Listings and file data go to standard output byte for byte; on a terminal,\n"
        << "control characters other than tab and newline show as \\xHH and \\ as \\\\.\n\n"
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

bool ParseColour(const QString& text, HostColour& colour)
{
    static const QRegularExpression pattern(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const uint rgb = match.captured(1).toUInt(nullptr, 16);
    colour = MakeHostColour(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    return true;
}

// The status window uses "\r\n" between lines; a terminal wants "\n".
QString ForTerminal(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Picture decoders chatter about harmless oddities of the files they read
    // (colour profiles and the like); the picture commands say themselves
    // what went wrong. QT_LOGGING_RULES still overrides this.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*.info=false\nqt.gui.imageio*.warning=false"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString portName = DefaultPortName();
    QString baudRate = QStringLiteral("115200");
    HostColour foreground = kWhite;
    HostColour background = kBlack;
    bool trace = false;
    QStringList rest = app.arguments().mid(1);

    // Options come before the command; everything after the command is a
    // field text, so "-1" stays an argument.
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString option = rest.takeFirst();
        if (option == QLatin1String("--help")) {
            out << UsageText();
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
            trace = true;
            continue;
        }
        if (rest.isEmpty()) {
            err << "tavrel-cli: " << option << " needs a value" << Qt::endl;
            return kUsage;
        }
        const QString value = rest.takeFirst();
        if (option == QLatin1String("--port")) {
            portName = value;
        } else if (option == QLatin1String("--baud")) {
            baudRate = value;
        } else if (option == QLatin1String("--fg") || option == QLatin1String("--bg")) {
            if (!ParseColour(value, option == QLatin1String("--fg") ? foreground : background)) {
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
    const CommandInfo* command = FindCommandByCliName(commandName);
    if (!command) {
        err << "tavrel-cli: unknown command " << commandName << "\n\n" << UsageText();
        return kUsage;
    }

    // After the command: --name[=VALUE] sets a check box or radio field by
    // name; everything else (including "-1") is a field text. "--" ends the
    // options.
    QStringList positional;
    QMap<QString, QString> named;
    bool optionsEnded = false;
    for (const QString& argument : rest) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--")) && argument.size() > 2) {
            const int equals = argument.indexOf(QLatin1Char('='));
            if (equals < 0)
                named.insert(argument.mid(2), QStringLiteral("1"));
            else
                named.insert(argument.mid(2, equals - 2), argument.mid(equals + 1));
        } else {
            positional << argument;
        }
    }

    // Choices no dialog offers are usage errors, found before the port opens.
    const QString problem = ArgumentProblem(*command, positional, named, rest);
    if (!problem.isEmpty()) {
        err << "tavrel-cli: " << commandName << ": " << problem << Qt::endl;
        return kUsage;
    }

    quennel::Emulator emulator;
    // Its card is a folder in this tool's data folder, kept between runs.
    emulator.setCardDirectory(quennel::defaultCardDirectory());
    CliHost host(foreground, background, positional, named, out, err);
    host.setOutputIsTerminal(StandardOutputIsTerminal());
    PanelSession session(host, MakeLinkOpener(&emulator));
    session.m_portName = IsEmulatorPortName(portName) ? EmulatorPortName() : portName;
    session.m_baudRate = baudRate;
    // Without --trace nobody looks at the history: keep none.
    session.traffic().setRecording(false);
    if (trace)
        PrintTrafficAsItHappens(session.traffic(), err);

    int status = kSent;
    if (command->runArguments) {
        // Commands that read their own arguments (file names, sizes); those
        // that work on files only open no port.
        QString usageError;
        if (!command->needsNoPort && !OpenPort(session)) {
            status = kRefused;
        } else if (command->runArguments(session, rest, usageError) != CommandOutcome::Sent) {
            if (!usageError.isEmpty()) {
                err << "tavrel-cli: " << commandName << ": " << usageError << Qt::endl;
                session.dropPort();
                return kUsage;
            }
            status = kRefused;
        }
    } else if (!OpenPort(session)) {
        status = kRefused;
    } else {
        const CommandOutcome outcome = command->run(session);
        if (outcome != CommandOutcome::Sent)
            status = kRefused;
        if (!host.unusedArguments().isEmpty())
            err << "tavrel-cli: ignored extra arguments: " << host.unusedArguments().join(QLatin1Char(' ')) << Qt::endl;
    }
    // A packet that did not reach the line whole (a link lost, a port that
    // would not take it) makes the command a failure, whatever was logged.
    if (status == kSent && !session.everyWriteWhole())
        status = kRefused;
    if (!command->needsNoPort || !host.statusText().isEmpty())
        out << ForTerminal(host.statusText()) << Qt::endl;
    // Leave without "Serial Port Closed.": the printed text is the command's.
    session.dropPort();
    return status;
}
