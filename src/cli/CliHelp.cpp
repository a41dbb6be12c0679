// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliHelp.h"

#include "cli/LossReport.h"
#include "commands/CommandHelp.h"
#include "commands/script/CommandGrammar.h"
#include "commands/script/Script.h"
#include "link/PortNames.h"

namespace tavrel {

namespace {

// A label and its explanation: the label on the left, the text wrapped to
// its right, or under it when the label is long.
QString Entry(const QString& label, const QString& text, int column = 18)
{
    const QString head = QStringLiteral("  ") + label;
    const QString body = Wrapped(text, column);
    if (head.size() + 1 < column)
        return head + body.mid(head.size()) + QLatin1Char('\n');
    return head + QLatin1Char('\n') + body + QLatin1Char('\n');
}

} // namespace

QString Wrapped(const QString& text, int indent, int width)
{
    const QString margin(indent, QLatin1Char(' '));
    QString out;
    QString line = margin;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (line.size() > indent && line.size() + 1 + word.size() > width) {
            out += line + QLatin1Char('\n');
            line = margin;
        }
        if (line.size() > indent)
            line += QLatin1Char(' ');
        line += word;
    }
    return out + line;
}

QVector<ToolOption> ToolOptions()
{
    return {
        {QStringLiteral("port"), QStringLiteral("NAME"),
         QStringLiteral("the serial device to open (/dev/ttyUSB0, COM5), or \"emulator\" for the built-in emulated "
                        "module; default: ")
             + DefaultPortName()},
        {QStringLiteral("baud"), QStringLiteral("N"), QStringLiteral("the baud rate; default: 115200")},
        {QStringLiteral("fg"), QStringLiteral("RRGGBB"),
         QStringLiteral("the foreground colour, as the panel's Foreground Color button; default: FFFFFF")},
        {QStringLiteral("bg"), QStringLiteral("RRGGBB"),
         QStringLiteral("the background colour, as the panel's Background Color button; default: 000000")},
        {QStringLiteral("trace"), QString(),
         QStringLiteral("print every byte sent and received to standard error as it happens, one tab-separated "
                        "line per entry: time, +ms since the port was opened, -> / <- / --, label, hex, ASCII")},
        {QStringLiteral("reconnect"), QStringLiteral("SECONDS"),
         QStringLiteral("when the port goes away during a command, wait up to SECONDS (0 to %1) for it to come "
                        "back and open it again; a command lost before any of its bytes were written is then sent "
                        "again, one written in part is not (exit status 1)")
             .arg(kMaxReconnectSeconds)},
        {QStringLiteral("list-ports"), QString(),
         QStringLiteral("print the ports Com Port Settings offers, one a line: the name to give --port and, after "
                        "a tab, the system's description of the device where it has one")},
        {QStringLiteral("help"), QString(), QStringLiteral("this text; after a command, that command's help")},
        {QStringLiteral("version"), QString(), QStringLiteral("the program's version")},
    };
}

QString WordsText()
{
    return QStringLiteral(
        "The words after a command are its dialog's fields. Its text fields come first, in the order the dialog "
        "shows them; left out from the end, they keep the dialog's defaults. Its check boxes and choices are "
        "options: --name=VALUE or --name VALUE, and a check box also --name alone, meaning 1 (not before a 0 or "
        "1, which might be its value: write --name=0). \"--\" ends the options, so that a text may begin with - "
        "or hold NAME= (before it, -x is refused as a misspelt option, and x=1 as a field given by name); a "
        "negative number is a text like any other. Numbers are read "
        "as the dialogs read them: 10px is 10, abc is 0. Every word must fit a field: an unknown option, an option "
        "without its value, a value no dialog offers or a word too many is a usage error that names the word, and "
        "the port is not opened. The options of tavrel-cli itself (--port, --fg ...) go before the command.");
}

QString ScriptsText()
{
    return QStringLiteral(
               "A script has one command a line, written as the words after tavrel-cli (the command and its "
               "words; --fg and --bg before the command hold for that line), and three lines of its own: "
               "foreground-color RRGGBB and background-color RRGGBB set the colours of the lines after them, and "
               "wait MS pauses (0 to %1 ms). Words are quoted as in bash: '...' keeps everything, \"...\" lets \\ "
               "escape \" \\ $ and `, $'...' reads \\n \\t \\xHH \\NNN (bytes, read as UTF-8 together), \\uHHHH "
               "and \\UHHHHHHHH (characters) and bash's other escapes, and \\ outside quotes makes the next "
               "character plain. # starts a comment. Nothing is expanded: an unquoted ; | & < > ( ) ` { * ? [, a "
               "~ at the start of a word and a $ before a name are refused, not taken literally. A script is UTF-8 "
               "text of at most %2 MiB, with lines of at most %3 KiB; it must be a regular file or standard input "
               "(-). Before anything is sent, every line is checked: its words as for a single command, and what "
               "the command would refuse before sending (a point off the panel, a text too long or with a "
               "character that cannot be sent, a picture file that is not there). A line that fails stops the run "
               "before it begins, with \"line N: ...\": exit status 2 for a line that does not parse, 1 for one "
               "its command would refuse (with --keep-going such a line is left to the run, which refuses it and "
               "goes on).")
        .arg(kLongestWaitMs)
        .arg(kLargestScript / (1024 * 1024))
        .arg(kLongestScriptLine / 1024);
}

QString ExitStatusText()
{
    return QStringLiteral(
        "0 when the command (or every line of the script) was sent; 1 when it was refused (a point off the "
        "panel, a text that cannot be sent, a port that would not open), a packet was not written whole or the "
        "port went away; 2 for a usage error, in which case the port is not opened and nothing is sent.");
}

QString UsageText()
{
    QString text;
    text += QStringLiteral("Usage: tavrel-cli [OPTIONS] COMMAND [WORDS...]\n"
                           "       tavrel-cli [OPTIONS] run [--keep-going] FILE\n"
                           "       tavrel-cli help [COMMAND]\n\n");
    text += Wrapped(QStringLiteral("Opens the port as the panel's Open Port does, runs one command as its button "
                                   "would, and prints what the panel's status window shows afterwards. Message "
                                   "box texts go to standard error; listings and card data to standard output "
                                   "(on a terminal, control characters other than tab and newline as \\xHH)."),
                    0)
        + QStringLiteral("\n\n") + Wrapped(WordsText(), 0) + QStringLiteral("\n\nOptions:\n");
    for (const ToolOption& option : ToolOptions()) {
        const QString label = QStringLiteral("--") + option.name
            + (option.metavar.isEmpty() ? QString() : QLatin1Char(' ') + option.metavar);
        text += Entry(label, option.text);
    }
    text += QStringLiteral("\nCommands (tavrel-cli help COMMAND describes each field):\n");
    for (const CommandInfo& command : AllCommands())
        text += QStringLiteral("  ") + CommandUsage(command) + QLatin1Char('\n') + Wrapped(command.summary, 6)
            + QLatin1Char('\n');
    text += QStringLiteral("  ") + RunUsage() + QLatin1Char('\n')
        + Wrapped(QStringLiteral("run a script (tavrel-cli help run)"), 6) + QLatin1Char('\n');
    text += QStringLiteral("\nExit status:\n") + Wrapped(ExitStatusText(), 2) + QLatin1Char('\n');
    return text;
}

QString CommandHelpText(const CommandInfo& command)
{
    const CommandHelp& help = HelpOf(command);
    QString text = QStringLiteral("Usage: tavrel-cli [OPTIONS] ") + CommandUsage(command) + QStringLiteral("\n\n");
    QString summary = command.summary;
    summary[0] = summary.at(0).toUpper();
    text += Wrapped(summary + QLatin1Char('.'), 0) + QLatin1Char('\n');
    if (!help.notes.isEmpty())
        text += QLatin1Char('\n') + Wrapped(help.notes, 0) + QLatin1Char('\n');
    const QVector<FieldDescription> fields = DescribeFields(command);
    if (fields.isEmpty()) {
        text += QStringLiteral("\nIt takes no words.\n");
    } else {
        text += command.runArguments ? QStringLiteral("\nWords:\n")
                                     : QStringLiteral("\nFields, in the order of the dialog:\n");
        for (const FieldDescription& field : fields)
            text += Entry(field.label, field.text + QStringLiteral(". Values: ") + field.values
                                           + QStringLiteral(". Default: ") + field.defaultValue + QLatin1Char('.'));
    }
    text += QStringLiteral("\nExample:\n  tavrel-cli ") + help.example + QLatin1Char('\n');
    return text;
}

QString RunUsage()
{
    return QStringLiteral("run [--keep-going] FILE");
}

QString RunHelpText()
{
    return QStringLiteral("Usage: tavrel-cli [OPTIONS] ") + RunUsage() + QStringLiteral("\n\n")
        + Wrapped(QStringLiteral("Runs the script FILE (- reads standard input) on one opening of the port: "
                                 "each command prints what it prints on its own, and what the panel keeps between "
                                 "its buttons (remembered points, the font, an open card file) carries from line "
                                 "to line. The run stops at the first command that is refused or not written "
                                 "whole, naming its line (exit status 1); with --keep-going it runs on, and exits "
                                 "with 1 at the end. A script of file commands only (convert, save-bmp, "
                                 "build-slideshow) opens no port."),
                  0)
        + QStringLiteral("\n\n") + Wrapped(ScriptsText(), 0)
        + QStringLiteral("\n\nExample:\n"
                         "  # sign.tavrel\n"
                         "  clear-screen\n"
                         "  foreground-color FFD700\n"
                         "  draw-rectangle 0 0 95 63\n"
                         "  print-text-string 6 20 1 1 'Back at 3' --font=2\n"
                         "  wait 2000\n\n"
                         "  tavrel-cli --port /dev/ttyUSB0 run sign.tavrel\n");
}

} // namespace tavrel
