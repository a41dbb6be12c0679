// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tavrel {

// One word, or option, that a command takes on the command line.
struct ArgumentField {
    enum class Kind {
        Text,      // positional, in the order of the dialog's text fields
        CheckBox,  // --name, --name=0 or --name=1
        Choice,    // --name=VALUE or --name VALUE, VALUE one of `choices`
        Value,     // --name=VALUE or --name VALUE, any text the command checks itself
    };
    QString name;
    Kind kind = Kind::Text;
    QStringList choices = {};  // Choice: each a value or "value: name" (ChoiceFields.h)
    QString defaultText = {};  // what the dialog starts with in a fresh session
    bool required = false;     // must be given: there is nothing to fall back on
    bool repeats = false;      // the last text field: takes every word that is left
};
struct CommandInfo {
    QString caption;  // the button's caption, e.g. "Set Pixel"
    QString summary;  // what it does, in a few words, for the help and the manual page
    std::function<CommandOutcome(PanelSession&)> run;
    // Commands whose command-line arguments are not one dialog's fields
    // (file names, options with values) take the arguments after their name
    // here; a non-empty usage error means nothing was done. Rows without a
    // button of their own leave `run` empty.
    std::function<CommandOutcome(PanelSession&, const QStringList& arguments, QString& usageError)> runArguments =
        nullptr;
    // Works on files only: the command-line tool opens no port for it.
    bool needsNoPort = false;
    // For a command that reads its own arguments: finds the usage errors
    // among them before anything is done (before the port is opened).
    std::function<bool(const QStringList& arguments, QString& usageError)> checkArguments = nullptr;
    // For a command that reads its own arguments: the words it takes. A
    // command with a dialog takes the dialog's fields (CommandGrammar.h).
    QVector<ArgumentField> ownArguments = {};
};

// The subcommand of the command-line tool for a caption: lower case, words
// joined by hyphens ("Set Pixel" -> "set-pixel").
QString CliName(const QString& caption);

const QVector<CommandInfo>& AllCommands();
const CommandInfo* FindCommandByCliName(const QString& name);
// The row of a panel button, by its caption; null for a button that is no
// command of the table (the port buttons).
const CommandInfo* FindCommandByCaption(const QString& caption);

} // namespace tavrel
