// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"
#include "commands/script/CommandGrammar.h"
#include "link/DialogRequest.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tavrel {

// The fields of the first dialog a command asks for, as a fresh session's
// dialog starts with them (the command is walked up to that dialog without
// a port, and the dialog cancelled); none for a command without a dialog.
QVector<DialogField> FirstDialogFields(const CommandInfo& command);

// A loose split of words that have already been checked: --name[=VALUE]
// sets an option (a bare --name is "1"), "--" ends the options, anything
// else is a text. ParseCommandWords is the check.
CommandArguments SplitCommandArguments(const QStringList& words);

// Checks a command's words as tavrel-cli does before it opens the port:
// every word matched to a field (ParseCommandWords), and for a command that
// reads its own arguments, whatever its own check refuses. Returns false
// with the usage error.
bool CheckCommandWords(const CommandInfo& command, const QStringList& words, ParsedCommand& parsed, QString& error);

// Answers a command's parameter dialogs from its checked arguments: each
// text field takes the next text (omitted ones keep the dialog's defaults),
// each choice field its option.
class ArgumentAnswers {
public:
    explicit ArgumentAnswers(CommandArguments arguments);
    void answer(DialogRequest& request);

private:
    CommandArguments m_arguments;
};

// Walks commands, one after another, as far as they go without a port, to
// find what they would refuse before sending anything: a point off the
// panel, a text too long or with a character that cannot be sent, a count
// out of range, a picture file that is not there. The walk keeps what a
// session keeps between commands (the remembered points, the font), as a
// script's run will. Nothing is sent and no file is written.
class CommandRehearsal {
public:
    CommandRehearsal();
    ~CommandRehearsal();
    CommandRehearsal(const CommandRehearsal&) = delete;
    CommandRehearsal& operator=(const CommandRehearsal&) = delete;

    // The message the command would show in refusing, or an empty string
    // when it would send. The arguments must have passed CheckCommandWords.
    QString refusal(const CommandInfo& command, const CommandArguments& arguments);

private:
    friend QVector<DialogField> FirstDialogFields(const CommandInfo& command);
    struct Stage;
    std::unique_ptr<Stage> m_stage;
    // Files that earlier commands write, which later ones may read.
    QSet<QString> m_written;
};

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
};

// Runs one command on the session with the words that follow its name, as
// tavrel-cli and a script line do: the words are checked, then its dialog
// is answered from them, or, for a command that reads its own arguments,
// they go to it. The session's port is used as it is (open or not).
CommandRunOutcome RunCommandWords(PanelSession& session, const CommandInfo& command, const QStringList& words,
                                  const DialogRouting& routeDialogs);

} // namespace tavrel
