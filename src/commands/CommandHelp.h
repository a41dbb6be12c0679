// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"

#include <QString>
#include <QVector>

namespace tavrel {

// What the help and the manual page say about one field of a command. The
// field itself (its name, kind, choices and what its dialog starts with)
// comes from the command (CommandArgumentFields); this only explains it.
struct FieldHelp {
    QString name;     // the field's name
    QString metavar;  // the word shown for its value; empty: the name in capitals
    QString range;    // the values it takes, where it is not a list of choices: "0 to 95"
    QString text;     // what it does
    // What it starts with when left out, where the dialog's text does not
    // say it all ("the last X accepted; 0 at first"); empty: that text.
    QString defaultText = {};
};

struct CommandHelp {
    QVector<FieldHelp> fields;
    QString example;  // the words after tavrel-cli
    QString notes = {};  // a paragraph more, or empty
};

// The help of a command of the table (an empty one for a row without).
const CommandHelp& HelpOf(const CommandInfo& command);
const FieldHelp* FindFieldHelp(const CommandInfo& command, const QString& fieldName);

// One field as the help and the manual page list it, in the order the
// command takes them.
struct FieldDescription {
    QString label;         // "X", "TEXT", "--formatted", "--font=N"
    QString values;        // "0 to 95", "0 or 1 (--formatted alone is 1)", "0 (5x7), 1 (8x8) ..."
    QString defaultValue;  // "0", "Enter Text Here.", "the last one accepted (0 at first)"
    QString text;          // what it does
    bool required = false;
};
QVector<FieldDescription> DescribeFields(const CommandInfo& command);

} // namespace tavrel
