// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"
#include "link/HostColour.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tavrel {

// The script-only lines, which send nothing.
const QString kForegroundColourLine = QStringLiteral("foreground-color");
const QString kBackgroundColourLine = QStringLiteral("background-color");
const QString kWaitLine = QStringLiteral("wait");
// The longest pause one wait line may ask for: a day.
constexpr int kLongestWaitMs = 24 * 60 * 60 * 1000;
// The most a script may hold: bytes in one line (without its line break),
// and bytes in all.
constexpr qint64 kLongestScriptLine = 64 * 1024;
constexpr qint64 kLargestScript = 16 * 1024 * 1024;

// A colour as tavrel-cli's --fg and --bg and the colour lines take it:
// RRGGBB in hexadecimal, with or without a leading #.
bool ParseColourArgument(const QString& text, HostColour& colour);
// The same colour written as RRGGBB.
QString ColourArgument(HostColour colour);

// One line of a script that does something.
struct ScriptStep {
    enum class Kind { Command, ForegroundColour, BackgroundColour, Wait };

    int line = 0;  // counted from 1
    Kind kind = Kind::Command;
    QStringList words;  // the line's words as split, comment dropped

    // Commands: the table's row and the words after its name.
    const CommandInfo* command = nullptr;
    QStringList arguments;
    // A command line may begin with --fg and --bg, as tavrel-cli's own
    // command line does: the colours of that one command.
    std::optional<HostColour> lineForeground;
    std::optional<HostColour> lineBackground;

    HostColour colour = kBlack;  // the colour lines
    int waitMs = 0;              // wait
};

// A script that has been read and checked. Only the lines that do
// something are kept, as their text: a step is parsed again when it is
// wanted, which keeps a long script small in memory.
class Script {
public:
    int stepCount() const { return int(m_lines.size()); }
    // The step of the index-th line that does something.
    ScriptStep step(int index) const;
    // Whether some command of it talks to the module (and needs the port).
    bool needsPort() const { return m_needsPort; }

    // Adds a line that parsed to a step.
    void append(int lineNumber, const QString& line, const ScriptStep& step);

private:
    struct Line {
        int number = 0;    // counted from 1
        qint32 start = 0;  // where its text begins in m_text
    };
    QByteArray m_text;  // the lines' UTF-8 text, one after another
    QVector<Line> m_lines;
    bool m_needsPort = false;
};

// Why a script cannot run: the line (from 1; 0 for the file as a whole) and
// what is wrong with it.
struct ScriptError {
    enum class Kind {
        Unreadable,  // the file cannot be read, is not a regular file, or is too large
        Syntax,      // a line that does not parse: a usage error
        Refusal,     // a command that would be refused before sending
    };
    Kind kind = Kind::Syntax;
    int line = 0;
    QString message;
    // "line N: …"
    QString text() const;
};

// How a script is read.
struct ScriptReadOptions {
    // A command that would be refused before sending fails the check (so
    // that a run that would stop there sends nothing at all). Off, such a
    // line is left for the run to refuse (tavrel-cli run --keep-going).
    bool refusalsFail = true;
    // Added to "unknown command …": where the commands are listed.
    QString commandsHint;
};

// Reads a script: UTF-8 text, one command per line written as the words
// after tavrel-cli, plus the colour and wait lines; # comments and blank
// lines are skipped; CR LF line ends are taken. It is read as a stream, at
// most kLongestScriptLine bytes a line and kLargestScript bytes in all.
// Every command's words are checked the way tavrel-cli checks them before
// it opens the port, and every command is walked through without a port
// (CommandRehearsal) for what it would refuse, so a script that parses has
// nothing left that stops it before sending. On the first line that does
// not pass, returns false and says which and why.
bool ReadScript(QIODevice& device, Script& script, ScriptError& error, const ScriptReadOptions& options = {});
// The same from memory.
bool ParseScript(const QByteArray& text, Script& script, ScriptError& error, const ScriptReadOptions& options = {});
// The same from a file, which must be a regular file (a link to one is
// followed): a named pipe or a device is refused without being opened, so
// that nothing waits for a writer. "-" reads standard input.
bool ReadScriptFile(const QString& path, Script& script, ScriptError& error, const ScriptReadOptions& options = {});
// One line of it (without its line break); false with the reason when it
// does not parse. A line with nothing to do gives a step with no words.
bool ParseScriptLine(const QString& line, ScriptStep& step, QString& error);

} // namespace tavrel
