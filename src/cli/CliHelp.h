// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"

#include <QString>
#include <QVector>

namespace tavrel {

// An option of tavrel-cli itself, which goes before the command.
struct ToolOption {
    QString name;     // "port"
    QString metavar;  // "NAME", or empty for an option without a value
    QString text;     // what it does
};
QVector<ToolOption> ToolOptions();

// The paragraphs that say how the words after a command are read, how a
// script is written, and what the exit status means; the help and the
// manual page both show them.
QString WordsText();
QString ScriptsText();
QString ExitStatusText();

// tavrel-cli --help and tavrel-cli help: usage, options and every command.
QString UsageText();
// tavrel-cli help COMMAND and tavrel-cli COMMAND --help: the command's
// usage, what it does, its fields in order and an example.
QString CommandHelpText(const CommandInfo& command);
// "run [--keep-going] FILE"
QString RunUsage();
// tavrel-cli help run and tavrel-cli run --help.
QString RunHelpText();

// Fills a paragraph into lines of at most `width` characters, each line
// starting with `indent` blanks.
QString Wrapped(const QString& text, int indent, int width = 79);

} // namespace tavrel
