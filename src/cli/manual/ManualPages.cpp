// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/manual/ManualPages.h"

#include "cli/CliHelp.h"
#include "commands/CommandHelp.h"
#include "commands/CommandTable.h"
#include "commands/script/CommandGrammar.h"
#include "link/PortNames.h"

#include <QMap>
#include <QStringList>

namespace tavrel {

namespace {

// Text for a roff text line: backslashes and hyphens as the escapes that
// print them (a hyphen as the ASCII one, so that options and names can be
// copied), and a line that would begin as a request made plain.
QString Roff(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\e");
        else if (c == QLatin1Char('-'))
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    out = out.trimmed();
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString Bold(const QString& text)
{
    return QStringLiteral("\\fB") + Roff(text) + QStringLiteral("\\fR");
}

QString Italic(const QString& text)
{
    return QStringLiteral("\\fI") + Roff(text) + QStringLiteral("\\fR");
}

// A page under construction.
class Page {
public:
    Page(const QString& name, const ManualHeading& heading, const QString& summary)
    {
        m_text = QStringLiteral(".\\\" Written by tavrel-docs from Tavrel's command table; do not edit.\n")
            + QStringLiteral(".TH %1 1 \"%2\" \"Tavrel %3\" \"User Commands\"\n")
                  .arg(Roff(name.toUpper()), heading.date, heading.version)
            + QStringLiteral(".SH NAME\n") + Roff(name) + QStringLiteral(" \\- ") + Roff(summary) + QLatin1Char('\n');
    }
    void section(const QString& title) { m_text += QStringLiteral(".SH ") + title + QLatin1Char('\n'); }
    void subsection(const QString& title) { m_text += QStringLiteral(".SS ") + Roff(title) + QLatin1Char('\n'); }
    // A paragraph of plain text.
    void paragraph(const QString& text) { m_text += QStringLiteral(".PP\n") + Roff(text) + QLatin1Char('\n'); }
    // A line already in roff (fonts set by the caller).
    void raw(const QString& line) { m_text += line + QLatin1Char('\n'); }
    // A tagged paragraph: the tag (roff) and its text (plain).
    void item(const QString& tag, const QString& text)
    {
        QString sentence = text;
        if (!sentence.isEmpty())
            sentence[0] = sentence.at(0).toUpper();
        m_text += QStringLiteral(".TP\n") + tag + QLatin1Char('\n') + Roff(sentence) + QLatin1Char('\n');
    }
    // Lines shown as they are, indented.
    void example(const QStringList& lines)
    {
        m_text += QStringLiteral(".PP\n.RS\n.nf\n");
        for (const QString& line : lines)
            m_text += Roff(line).isEmpty() ? QStringLiteral("\n") : QStringLiteral("\\&") + Roff(line) + QLatin1Char('\n');
        m_text += QStringLiteral(".fi\n.RE\n");
    }
    void indent() { m_text += QStringLiteral(".RS\n"); }
    void unindent() { m_text += QStringLiteral(".RE\n"); }
    QString text() const { return m_text; }

private:
    QString m_text;
};

// The usage of a command with the command's name in bold.
QString UsageRoff(const CommandInfo& command)
{
    const QString usage = CommandUsage(command);
    const QString name = CliName(command.caption);
    return Bold(name) + QLatin1Char(' ') + Roff(usage.mid(name.size()));
}

// The panel's button groups, named by their first button.
QString GroupStartingAt(const QString& caption)
{
    static const QMap<QString, QString> groups = {
        {QStringLiteral("Set Background Color"), QStringLiteral("General functions")},
        {QStringLiteral("Set Pixel"), QStringLiteral("Basic drawing")},
        {QStringLiteral("Print Character"), QStringLiteral("Text")},
        {QStringLiteral("Add User Char"), QStringLiteral("User characters and copying")},
        {QStringLiteral("Rotate Display"), QStringLiteral("Display")},
        {QStringLiteral("Show Bitmap"), QStringLiteral("SD card")},
        {QStringLiteral("Display Image"), QStringLiteral("Pictures")},
    };
    return groups.value(caption);
}

QString OptionTag(const QString& name, const QString& metavar)
{
    return Bold(QStringLiteral("--") + name) + (metavar.isEmpty() ? QString() : QLatin1Char(' ') + Italic(metavar));
}

void SeeAlso(Page& page, const QStringList& pages)
{
    page.section(QStringLiteral("SEE ALSO"));
    QStringList references;
    for (const QString& name : pages)
        references << Bold(name) + QStringLiteral("(1)");
    page.raw(references.join(QStringLiteral(",\n")));
    page.paragraph(QStringLiteral("The README of Tavrel, installed in /usr/share/doc/tavrel, describes the panel, "
                                  "the emulator and the command-line tool in full."));
}

// The options every program with Qt's command-line parser has.
void QtProgramOptions(Page& page)
{
    page.item(OptionTag(QStringLiteral("help"), QString()), QStringLiteral("Print the options and leave."));
    page.item(OptionTag(QStringLiteral("help-all"), QString()),
              QStringLiteral("Print the options, Qt's own among them, and leave."));
    page.item(OptionTag(QStringLiteral("version"), QString()), QStringLiteral("Print the version and leave."));
}

} // namespace

QString TavrelCliPage(const ManualHeading& heading)
{
    Page page(QStringLiteral("tavrel-cli"), heading,
              QStringLiteral("run a Tavrel panel command on a Quennel module from a shell"));
    page.section(QStringLiteral("SYNOPSIS"));
    page.raw(Bold(QStringLiteral("tavrel-cli")) + QStringLiteral(" [") + Italic(QStringLiteral("OPTIONS"))
             + QStringLiteral("] ") + Italic(QStringLiteral("COMMAND")) + QStringLiteral(" [")
             + Italic(QStringLiteral("WORDS")) + QStringLiteral("...]"));
    page.raw(QStringLiteral(".br"));
    page.raw(Bold(QStringLiteral("tavrel-cli")) + QStringLiteral(" [") + Italic(QStringLiteral("OPTIONS"))
             + QStringLiteral("] ") + Bold(QStringLiteral("run")) + QStringLiteral(" [")
             + Bold(QStringLiteral("--keep-going")) + QStringLiteral("] ") + Italic(QStringLiteral("FILE")));
    page.raw(QStringLiteral(".br"));
    page.raw(Bold(QStringLiteral("tavrel-cli help")) + QStringLiteral(" [") + Italic(QStringLiteral("COMMAND"))
             + QStringLiteral("]"));

    page.section(QStringLiteral("DESCRIPTION"));
    page.paragraph(QStringLiteral(
        "tavrel-cli runs the commands of the Tavrel control panel for the Quennel, a 96 x 64 colour OLED module "
        "on a serial line. It opens the port as the panel's Open Port does, runs one command as its button would, "
        "with the command's dialog fields given as words, and prints what the panel's status window shows "
        "afterwards: the bytes sent and the module's reply. The packets are the panel's own, byte for byte."));
    page.paragraph(WordsText());
    page.paragraph(QStringLiteral(
        "Message box texts go to standard error. Listings and card data go to standard output before the status "
        "text, byte for byte into a file or a pipe; on a terminal, CR LF becomes a newline and every other control "
        "character but tab is shown as \\xHH (a backslash as \\\\), so that nothing the module sends can drive the "
        "terminal. Each run is one process: a card file opened by one run stays open for the next."));
    page.paragraph(QStringLiteral("tavrel-cli help COMMAND and tavrel-cli COMMAND --help list the command's fields "
                                  "as below."));

    page.section(QStringLiteral("COMMANDS"));
    for (const CommandInfo& command : AllCommands()) {
        const QString group = GroupStartingAt(command.caption);
        if (!group.isEmpty())
            page.subsection(group);
        QString summary = command.summary;
        summary[0] = summary.at(0).toUpper();
        page.item(UsageRoff(command), summary + QLatin1Char('.'));
        const QVector<FieldDescription> fields = DescribeFields(command);
        const CommandHelp& help = HelpOf(command);
        page.indent();
        for (const FieldDescription& field : fields) {
            const QString tag = field.label.startsWith(QLatin1String("--")) ? Bold(field.label) : Italic(field.label);
            page.item(tag, field.text + QStringLiteral(". Values: ") + field.values + QStringLiteral(". Default: ")
                               + field.defaultValue + QLatin1Char('.'));
        }
        page.raw(QStringLiteral(".PP"));
        page.raw(QStringLiteral("Example: ") + Bold(QStringLiteral("tavrel-cli ") + help.example));
        page.unindent();
    }
    page.item(Bold(QStringLiteral("run")) + QLatin1Char(' ') + Roff(RunUsage().mid(4)),
              QStringLiteral("Run a script; see SCRIPTS."));
    page.item(Bold(QStringLiteral("help")) + QStringLiteral(" [") + Italic(QStringLiteral("COMMAND"))
                  + QLatin1Char(']'),
              QStringLiteral("Print the usage and the commands, or one command's fields and an example."));

    page.section(QStringLiteral("SCRIPTS"));
    page.paragraph(QStringLiteral(
        "tavrel-cli run FILE runs a script (FILE - reads standard input) on one opening of the port. Each command "
        "prints what it prints on its own, and what the panel keeps between its buttons (remembered points, the "
        "font, an open card file) carries from line to line. The run stops at the first command that is refused "
        "or not written whole, naming its line (exit status 1); with --keep-going it runs on and exits with 1 at "
        "the end. A script of file commands only (convert, save-bmp, build-slideshow) opens no port."));
    page.paragraph(ScriptsText());
    page.example({QStringLiteral("# sign.tavrel"), QStringLiteral("clear-screen"),
                  QStringLiteral("foreground-color FFD700"), QStringLiteral("draw-rectangle 0 0 95 63"),
                  QStringLiteral("set-font 2"),
                  QStringLiteral("print-text-string 6 20 1 1 'Back at 3 o'\\''clock'   # quotes as in bash"),
                  QStringLiteral("--fg 00FF00 draw-circle 80 50 6"),
                  QStringLiteral("print-text-string 2 40 1 1 $'two\\nlines'"), QStringLiteral("wait 2000"),
                  QStringLiteral("display-image '/home/me/My Pictures/logo.png' 70 2 --resize 24x16")});
    page.paragraph(QStringLiteral("The panel's Record Script... writes such a file from what a user does, and its "
                                  "Run Script... runs one through the same checks."));

    page.section(QStringLiteral("OPTIONS"));
    page.paragraph(QStringLiteral("The options of tavrel-cli itself go before the command, as --name VALUE or "
                                  "--name=VALUE."));
    for (const ToolOption& option : ToolOptions())
        page.item(OptionTag(option.name, option.metavar),
                  option.text.endsWith(QLatin1Char('.')) ? option.text : option.text + QLatin1Char('.'));

    page.section(QStringLiteral("EXIT STATUS"));
    page.item(Bold(QStringLiteral("0")), QStringLiteral("The command, or every line of the script, was sent."));
    page.item(Bold(QStringLiteral("1")),
              QStringLiteral("A command was refused before sending (a point off the panel, a text that cannot be "
                             "sent, a picture that cannot be read), the port would not open, a packet was not "
                             "written whole, or the port went away (\"> Port lost: NAME\")."));
    page.item(Bold(QStringLiteral("2")), QStringLiteral("A usage error: a word that fits no field, a script line that "
                                                        "does not parse, a script that cannot be read. The port is "
                                                        "not opened and nothing is sent."));

    page.section(QStringLiteral("ENVIRONMENT"));
    page.item(Bold(QStringLiteral("XDG_DATA_HOME")),
              QStringLiteral("Where the card folder of --port emulator is kept (default ~/.local/share)."));
    page.item(Bold(QStringLiteral("QT_LOGGING_RULES")),
              QStringLiteral("Qt's diagnostic messages, e.g. qt.serialport*=true for the serial port's."));

    page.section(QStringLiteral("FILES"));
    page.item(Italic(QStringLiteral("/dev/ttyUSB*")) + QStringLiteral(", ") + Italic(QStringLiteral("/dev/ttyACM*")),
              QStringLiteral("USB serial adapters. Opening one needs membership of the group that owns it, usually "
                             "dialout; when the device refuses, standard error says which group."));
    page.item(Italic(QStringLiteral("~/.local/share/tavrel-cli/card")),
              QStringLiteral("The SD card of the built-in emulator (--port emulator), kept between runs."));

    page.section(QStringLiteral("EXAMPLES"));
    page.example({QStringLiteral("tavrel-cli --port /dev/ttyUSB0 set-pixel 95 63"),
                  QStringLiteral("tavrel-cli --port /dev/ttyUSB0 --fg FF8000 draw-circle 48 32 20"),
                  QStringLiteral("tavrel-cli --port emulator print-text-string 0 20 1 1 'Hello' --font=2"),
                  QStringLiteral("tavrel-cli --port /dev/ttyUSB0 print-text-string 0 0 1 1 -- --not-an-option"),
                  QStringLiteral("tavrel-cli convert photo.jpg PHOTO.DAT --maximize --depth 8 --dither"),
                  QStringLiteral("tavrel-cli --port /dev/ttyUSB0 display-image photo.jpg 0 0 --maximize"),
                  QStringLiteral("tavrel-cli --port /dev/ttyUSB0 --trace run sign.tavrel 2>trace.txt"),
                  QStringLiteral("tavrel-cli help draw-polygon")});
    SeeAlso(page, {QStringLiteral("tavrel"), QStringLiteral("quennel-emu"), QStringLiteral("bash")});
    return page.text();
}

QString TavrelPage(const ManualHeading& heading)
{
    Page page(QStringLiteral("tavrel"), heading, QStringLiteral("control panel for the Quennel colour OLED module"));
    page.section(QStringLiteral("SYNOPSIS"));
    page.raw(Bold(QStringLiteral("tavrel")) + QStringLiteral(" [") + Bold(QStringLiteral("--port")) + QLatin1Char(' ')
             + Italic(QStringLiteral("NAME")) + QStringLiteral("] [") + Bold(QStringLiteral("--no-emulator-window"))
             + QStringLiteral("] [") + Bold(QStringLiteral("--reset-settings")) + QStringLiteral("]"));
    page.section(QStringLiteral("DESCRIPTION"));
    page.paragraph(QStringLiteral(
        "Tavrel is a desktop control panel for the Quennel, a 96 x 64 colour OLED module with an SD card slot that "
        "executes a compact byte-oriented command set on a serial line. Choose a port and baud rate with Com Port "
        "Settings, press Open Port, then press any command button and fill in its small dialog: the panel checks "
        "the values against the panel size, builds the packet, writes it, shows the bytes in its status window and "
        "the module's reply under them (> Command Acknowledged, > No response! ...)."));
    page.paragraph(QStringLiteral(
        "The buttons come in groups: general functions (background colour, clear screen, device information, "
        "display and power), basic drawing (pixels, lines, rectangles, triangles, circles, polygons), text (fonts, "
        "text modes, characters, strings, text buttons), user characters drawn in an 8 x 8 editor, display "
        "control (rotation, dimming, scrolling, controller commands), files on the module's SD card, and pictures: "
        "Display Image converts a picture file and streams it to the module, Slideshow builds and plays slideshow "
        "files. The Foreground Color and Background Color buttons pick the colours the commands use."));
    page.paragraph(QStringLiteral(
        "The window's context menu opens the traffic history (Ctrl+T; every byte sent and received, with times), "
        "records what the user does as a script (Record Script...), runs a script (Run Script...; the same "
        "scripts tavrel-cli run takes, checked line by line before anything is sent), and opens the help and "
        "the About box. When the port goes away (a pulled cable, a module that resets), the panel closes it, "
        "watches for the same device and opens it again when it is back."));
    page.paragraph(QStringLiteral(
        "F1, in the panel or in any of its dialogs and windows, or Help in the context menu, opens Tavrel Help: "
        "the user manual, which comes with the program, at the section for the window in front."));
    page.paragraph(QStringLiteral(
        "The panel remembers, from one run to the next, the port and baud rate, the last folder of each kind of "
        "file dialog and the places of its windows. A remembered port that is not there at start is shown as "
        "chosen and not open. The colours, the font and the values the dialogs remember within a run start "
        "afresh each time."));
    page.subsection(QStringLiteral("The built-in emulator"));
    page.paragraph(QStringLiteral(
        "The port called Emulator is an emulated module inside the panel, the default on Linux: its display "
        "window opens beside the panel and shows what a module would show, and its SD card is a folder. "
        "Everything can be tried without hardware; quennel-emu(1) serves the same emulator on a pseudo-terminal "
        "for other programs."));
    page.subsection(QStringLiteral("Access to serial ports"));
    page.paragraph(QStringLiteral(
        "On Linux a serial device such as /dev/ttyUSB0 belongs to a group, usually dialout, and only its members "
        "may open it. When the device refuses, Open Port shows \"Error Creating Com Port Interface.\" and a "
        "message box names the device's group; add yourself to it (sudo usermod -aG dialout $USER) and log in "
        "again."));
    page.section(QStringLiteral("OPTIONS"));
    page.item(OptionTag(QStringLiteral("port"), QStringLiteral("NAME")),
              QStringLiteral("Start with port NAME chosen: a serial device, or Emulator for the built-in emulated "
                             "module."));
    page.item(OptionTag(QStringLiteral("no-emulator-window"), QString()),
              QStringLiteral("Do not show the built-in emulator's display window."));
    page.item(OptionTag(QStringLiteral("reset-settings"), QString()),
              QStringLiteral("Forget the remembered settings (the port and baud rate, the last folders of the file "
                             "dialogs, the window positions): the settings file, ~/.config/Tavrel/tavrel.ini, is "
                             "removed and the panel starts as on first use. When the file cannot be removed, tavrel "
                             "says \"tavrel: cannot remove FILE\" on standard error and exits with 1."));
    QtProgramOptions(page);
    page.paragraph(QStringLiteral("Qt's own options (-platform, -style, -display ...) are taken as by every Qt "
                                  "program."));
    page.section(QStringLiteral("EXIT STATUS"));
    page.item(Bold(QStringLiteral("0")), QStringLiteral("The panel was closed, or --help or --version printed."));
    page.item(Bold(QStringLiteral("1")), QStringLiteral("A wrong option, or --reset-settings could not remove the "
                                                        "settings file."));
    page.section(QStringLiteral("ENVIRONMENT"));
    page.item(Bold(QStringLiteral("QT_QPA_PLATFORM")),
              QStringLiteral("The window system plugin, e.g. wayland or xcb."));
    page.item(Bold(QStringLiteral("QT_SCALE_FACTOR")), QStringLiteral("Scales every window, for screens Qt does not "
                                                                      "measure right."));
    page.item(Bold(QStringLiteral("XDG_DATA_HOME")),
              QStringLiteral("Where the built-in emulator's card folder is kept (default ~/.local/share)."));
    page.item(Bold(QStringLiteral("XDG_CONFIG_HOME")),
              QStringLiteral("Where the settings file is kept (default ~/.config)."));
    page.section(QStringLiteral("FILES"));
    page.item(Italic(QStringLiteral("~/.local/share/Tavrel/card")),
              QStringLiteral("The SD card of the built-in emulator; the emulator window's tooltip shows it."));
    page.item(Italic(QStringLiteral("~/.config/Tavrel/tavrel.ini")),
              QStringLiteral("The remembered settings; tavrel --reset-settings forgets them."));
    page.item(Italic(QStringLiteral("/dev/ttyUSB*")) + QStringLiteral(", ") + Italic(QStringLiteral("/dev/ttyACM*")),
              QStringLiteral("USB serial adapters (see Access to serial ports)."));
    page.section(QStringLiteral("EXAMPLES"));
    page.example({QStringLiteral("tavrel --port /dev/ttyUSB0"), QStringLiteral("tavrel --port Emulator")});
    SeeAlso(page, {QStringLiteral("tavrel-cli"), QStringLiteral("quennel-emu")});
    return page.text();
}

QString QuennelEmuPage(const ManualHeading& heading)
{
    Page page(QStringLiteral("quennel-emu"), heading,
              QStringLiteral("the Quennel OLED module emulated on a pseudo-terminal"));
    page.section(QStringLiteral("SYNOPSIS"));
    page.raw(Bold(QStringLiteral("quennel-emu")) + QStringLiteral(" [") + Italic(QStringLiteral("OPTIONS"))
             + QStringLiteral("]"));
    page.section(QStringLiteral("DESCRIPTION"));
    page.paragraph(QStringLiteral(
        "quennel-emu emulates a Quennel module: it executes the module's byte stream into a 96 x 64 frame buffer, "
        "answers as the module does, and serves it on a pseudo-terminal, so that any program that talks to a "
        "serial port can use it. The first line it prints is the device to open, e.g. /dev/pts/7; diagnostics go "
        "to standard error. It serves one client after another until it is stopped (SIGTERM or SIGINT); the "
        "module's state, the picture on the display and an open card file, lasts from one client to the next."));
    page.paragraph(QStringLiteral(
        "Unless --headless is given, a window shows the display, with the module's display on/off, power, "
        "contrast, inverse display, rotation, dimming and scrolling."));
    page.section(QStringLiteral("OPTIONS"));
    page.item(OptionTag(QStringLiteral("headless"), QString()), QStringLiteral("Show no window."));
    page.item(OptionTag(QStringLiteral("scale"), QStringLiteral("N")),
              QStringLiteral("Window pixels per module pixel, 1 to 32 (default 4)."));
    page.item(OptionTag(QStringLiteral("card"), QStringLiteral("DIR")),
              QStringLiteral("The folder standing in for the SD card. Only plain 8.3 names in it are used. Without "
                             "it, every card command is answered as with no card."));
    page.item(OptionTag(QStringLiteral("frame-file"), QStringLiteral("PATH")),
              QStringLiteral("Keep a PNG of the display up to date at PATH after every change."));
    page.item(OptionTag(QStringLiteral("received-file"), QStringLiteral("PATH")),
              QStringLiteral("Append every byte that clients send to PATH, as it arrives."));
    page.item(OptionTag(QStringLiteral("link"), QStringLiteral("PATH")),
              QStringLiteral("Keep a symbolic link PATH to the pseudo-terminal while running, removed at exit: a "
                             "device name that stays the same across restarts. An existing link to a "
                             "pseudo-terminal is replaced; anything else at PATH is refused."));
    QtProgramOptions(page);
    page.section(QStringLiteral("EXIT STATUS"));
    page.item(Bold(QStringLiteral("0")), QStringLiteral("Stopped by SIGTERM or SIGINT."));
    page.item(Bold(QStringLiteral("1")), QStringLiteral("An unknown option, or the pseudo-terminal, the link or the "
                                                        "received file cannot be made."));
    page.item(Bold(QStringLiteral("2")), QStringLiteral("A --scale that is not a whole number from 1 to 32."));
    page.section(QStringLiteral("EXAMPLES"));
    page.example({QStringLiteral("quennel-emu --headless --card ~/quennel-card --link /tmp/quennel &"),
                  QStringLiteral("tavrel-cli --port /tmp/quennel set-pixel 10 20"),
                  QStringLiteral("tavrel --port /tmp/quennel")});
    SeeAlso(page, {QStringLiteral("tavrel"), QStringLiteral("tavrel-cli")});
    return page.text();
}

QString BashCompletion()
{
    QStringList commands{QStringLiteral("help"), QStringLiteral("run")};
    QString perCommand;
    for (const CommandInfo& command : AllCommands()) {
        const QString name = CliName(command.caption);
        commands << name;
        QStringList options{QStringLiteral("--help")};
        QString choices;
        bool files = false;
        for (const ArgumentField& field : CommandArgumentFields(command)) {
            switch (field.kind) {
            case ArgumentField::Kind::Text:
                files = files || field.name == QLatin1String("in") || field.name == QLatin1String("out");
                break;
            case ArgumentField::Kind::CheckBox:
                options << QStringLiteral("--") + field.name;
                break;
            case ArgumentField::Kind::Choice:
            case ArgumentField::Kind::Value: {
                options << QStringLiteral("--%1=").arg(field.name);
                QStringList values;
                for (const QString& choice : field.choices)
                    values << choice.section(QStringLiteral(": "), 0, 0);
                if (!values.isEmpty())
                    choices += QStringLiteral("            --%1) values=\"%2\" ;;\n").arg(field.name, values.join(' '));
            }
            }
        }
        perCommand += QStringLiteral("        %1)\n            options=\"%2\"; files=%3\n")
                          .arg(name, options.join(QLatin1Char(' ')), files ? QStringLiteral("1") : QStringLiteral("0"));
        if (!choices.isEmpty())
            perCommand += QStringLiteral("            case $option in\n") + choices
                + QStringLiteral("            esac\n");
        perCommand += QStringLiteral("            ;;\n");
    }
    QStringList toolOptions;
    QStringList valueOptions;
    for (const ToolOption& option : ToolOptions()) {
        toolOptions << QStringLiteral("--") + option.name;
        if (!option.metavar.isEmpty())
            valueOptions << QStringLiteral("--") + option.name;
    }
    QStringList bauds;
    for (const QString& baud : BaudRateChoices())
        bauds << baud;

    QString script = QStringLiteral(
        "# SPDX-License-Identifier: GPL-3.0-or-later\n"
        "# bash completion for tavrel-cli, written by tavrel-docs from Tavrel's command table.\n"
        "\n"
        "_tavrel_cli_ports()\n"
        "{\n"
        "    local ports=(emulator /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/ttyAMA* /dev/serial/by-id/*)\n"
        "    local port\n"
        "    for port in \"${ports[@]}\"; do\n"
        "        [[ $port == emulator || -e $port ]] && printf '%s\\n' \"$port\"\n"
        "    done\n"
        "}\n"
        "\n"
        "_tavrel_cli()\n"
        "{\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        "    local option= value=\n"
        "    COMPREPLY=()\n"
        "    # --name=VALUE: bash may split it at the = into three words.\n"
        "    if [[ $cur == --*=* ]]; then\n"
        "        option=${cur%%=*} value=${cur#*=}\n"
        "    elif [[ $cur == = ]]; then\n"
        "        option=$prev value=\n"
        "    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then\n"
        "        option=${COMP_WORDS[COMP_CWORD-2]} value=$cur\n"
        "    elif [[ $prev == --* ]]; then\n"
        "        option=$prev value=$cur\n"
        "    fi\n"
        "\n"
        "    # The command: the first word that is neither an option nor an option's value.\n"
        "    local i command=\n"
        "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        "        case ${COMP_WORDS[i]} in\n"
        "            %1) ((i++)) ;;\n"
        "            -*|=) ;;\n"
        "            *) command=${COMP_WORDS[i]}; break ;;\n"
        "        esac\n"
        "    done\n"
        "\n"
        "    local values= options= files=0\n"
        "    if [[ -z $command ]]; then\n"
        "        case $option in\n"
        "            --port) COMPREPLY=($(compgen -W \"$(_tavrel_cli_ports)\" -- \"$value\")); return ;;\n"
        "            --baud) COMPREPLY=($(compgen -W \"%2\" -- \"$value\")); return ;;\n"
        "            --fg|--bg|--reconnect) [[ $option == \"$prev\" || $cur != --* ]] && return ;;\n"
        "        esac\n"
        "        if [[ $cur == -* ]]; then\n"
        "            COMPREPLY=($(compgen -W \"%3\" -- \"$cur\"))\n"
        "        else\n"
        "            COMPREPLY=($(compgen -W \"%4\" -- \"$cur\"))\n"
        "        fi\n"
        "        return\n"
        "    fi\n"
        "\n"
        "    case $command in\n"
        "        help)\n"
        "            COMPREPLY=($(compgen -W \"%4\" -- \"$cur\")); return ;;\n"
        "        run)\n"
        "            options=\"--keep-going --help\"; files=1 ;;\n"
        "%5"
        "    esac\n"
        "    if [[ -n $values && -n $option ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$values\" -- \"$value\"))\n"
        "        return\n"
        "    fi\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        "        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null\n"
        "    elif ((files)); then\n"
        "        compopt -o filenames 2>/dev/null\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "\n"
        "complete -F _tavrel_cli tavrel-cli\n");
    return script.arg(valueOptions.join(QLatin1Char('|')), bauds.join(QLatin1Char(' ')),
                      toolOptions.join(QLatin1Char(' ')), commands.join(QLatin1Char(' ')), perCommand);
}

} // namespace tavrel
