// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

namespace tavrel {

// The words after a command's name, sorted into what answers its dialog.
struct CommandArguments {
    // Text fields, in the order the dialog shows them.
    QStringList positional;
    // Check boxes, radio groups and lists by name: "1"/"0" or the value given.
    QMap<QString, QString> named;
};

// What a command takes on the command line: its dialog's text fields in the
// order the dialog shows them (positional words), then its check boxes,
// radio groups and lists (options), each with what a fresh session's dialog
// starts with. A command that reads its own arguments takes its
// ownArguments. Fields the user does not type (a heading) are left out.
const QVector<ArgumentField>& CommandArgumentFields(const CommandInfo& command);

// The word shown for a field's value in usage lines: "X", "NXWIDTH", "N".
QString FieldMetavar(const CommandInfo& command, const ArgumentField& field);
// "set-pixel [X Y]": the command's one-line usage, without the program name.
// Text fields that may be left out are in brackets; options follow.
QString CommandUsage(const CommandInfo& command);

// A word that the command line takes for an option unless it comes after
// "--": --name, and -x (one dash and a letter; a negative number is a text).
bool LooksLikeOption(const QString& word);

// A word that, before "--", is not taken as the next text field: it looks
// like an option, or it names one of the command's fields (x=1, font=2),
// which is refused.
bool TakenForOption(const CommandInfo& command, const QString& word);

// The options of tavrel-cli itself, which go before the command: "port",
// "baud", "fg", "bg", "trace", "reconnect", "list-ports", "version".
bool IsToolOption(const QString& name);

// The name among `names` that `name` is most likely a slip of the keyboard
// for (at most two letters wrong, missing, extra or swapped), or an empty
// string.
QString NearestName(const QString& name, const QStringList& names);

// A word as an error message shows it: in double quotes, control
// characters as \xHH, and at most 80 characters of it.
QString QuotedWord(const QString& word);

// Matches every word of a command line (the words after the command's name)
// to one of the command's fields:
//   --name=VALUE and --name VALUE set an option; a bare --name only a check
//   box (meaning 1, and not before a word 0 or 1, which may be meant as its
//   value); "--" ends the options; -x (one dash, a letter) is refused as a
//   misspelt option, NAME=VALUE with NAME one of the command's fields as a
//   field given by name; any other word, "-1" included, is the next text
//   field. An unknown option, an option without its value,
//   a check box given anything but 0 or 1, a choice not offered, an option
//   given twice, a word no text field is left for, a required field left out
//   and an option of tavrel-cli itself are refused, naming the word.
// --help (or -h) anywhere before "--" asks for the command's help instead.
struct ParsedCommand {
    CommandArguments arguments;
    bool helpAsked = false;
};
bool ParseCommandWords(const CommandInfo& command, const QStringList& words, ParsedCommand& parsed, QString& error);

// The words for a command that reads its own arguments, written the one way
// its reader takes them: options as --name=VALUE (check boxes that are on
// as --name alone), then "--", then the texts.
QStringList OwnArgumentWords(const CommandInfo& command, const CommandArguments& arguments);

} // namespace tavrel
