// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"
#include "link/HostColour.h"

#include <QByteArray>
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

struct Script {
    QVector<ScriptStep> steps;
    // Whether some command of it talks to the module (and needs the port).
    bool needsPort() const;
};

// Why a script cannot run: the line (from 1) and what is wrong with it.
struct ScriptError {
    int line = 0;
    QString message;
    // "line N: …"
    QString text() const;
};

// Reads a script: UTF-8 text, one command per line written as the words
// after tavrel-cli, plus the colour and wait lines; # comments and blank
// lines are skipped; CR LF line ends are taken. Every command's arguments
// are checked the way tavrel-cli checks them before it opens the port, so
// a script that parses has no usage error left. On the first line that
// does not parse, returns false and says which and why.
bool ParseScript(const QByteArray& text, Script& script, ScriptError& error);
// One line of it (without its line break); false with the reason when it
// does not parse. A line with nothing to do gives a step with no words.
bool ParseScriptLine(const QString& line, ScriptStep& step, QString& error);

} // namespace tavrel
