// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tavrel {

// One command as the panel's button and the command-line tool both reach it.
struct CommandInfo {
    QString caption;    // the button's caption, e.g. "Set Pixel"
    QString arguments;  // the dialog's text fields in the order it shows them, for --help
    QString options;    // its check boxes and radio buttons as --name[=VALUE], for --help
    QString summary;    // one line for --help
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
