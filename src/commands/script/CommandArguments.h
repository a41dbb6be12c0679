// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"
#include "link/DialogRequest.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace tavrel {

// The words after a command's name, as tavrel-cli and a script line give
// them, sorted into what answers its dialog.
struct CommandArguments {
    // Text fields, in the order the dialog shows them.
    QStringList positional;
    // Check boxes, radio groups and lists: --name[=VALUE]; a bare --name is "1".
    QMap<QString, QString> named;
};

// --name[=VALUE] sets a check box or radio field by name; everything else
// (including "-1") is a field text; "--" ends the options.
CommandArguments SplitCommandArguments(const QStringList& words);

// Answers a command's parameter dialogs from its arguments: each text field
// takes the next positional argument (omitted ones keep the dialog's
// defaults), each choice field its --name option.
class ArgumentAnswers {
public:
    explicit ArgumentAnswers(CommandArguments arguments);

    void answer(DialogRequest& request);
    // The first answer no dialog could give: a choice that is not among its
    // control's choices, or a required choice left out. Empty when none.
    QString usageError() const { return m_usageError; }
    // Arguments that no dialog field took.
    QStringList unusedArguments() const;

private:
    CommandArguments m_arguments;
    QString m_usageError;
};

// Finds the arguments no dialog of the command could give before any port
// is opened: a check box, radio group or list set to a value it does not
// offer, a required choice left out, or (for the commands that read their
// own arguments) whatever their own check refuses. Returns the usage error,
// or an empty string when the command may run.
//
// A command with a dialog is walked through on a session without a port
// and with a clock that does not wait, up to its first dialog, which is
// answered from the arguments and then cancelled; a command without one
// has nothing to check and sends nothing anywhere.
QString ArgumentProblem(const CommandInfo& command, const QStringList& words);

// Makes the host's dialogs answer from the given answers while one command
// runs; null gives the dialogs back to the host.
using DialogRouting = std::function<void(ArgumentAnswers* answers)>;

enum class CommandRunResult {
    Sent,
    Refused,          // refused before sending (bounds, a file that cannot be read …)
    NotWrittenWhole,  // a packet did not reach the line whole
    UsageError,       // the arguments were wrong; nothing was done
};

struct CommandRunOutcome {
    CommandRunResult result = CommandRunResult::Sent;
    QString usageError;
    QStringList unusedArguments;
};

// Runs one command on the session with the words that follow its name, as
// tavrel-cli and a script line do: its dialog is answered from the words,
// or, for a command that reads its own arguments, the words go to it. The
// session's port is used as it is (open or not).
CommandRunOutcome RunCommandWords(PanelSession& session, const CommandInfo& command, const QStringList& words,
                                  const DialogRouting& routeDialogs);

} // namespace tavrel
