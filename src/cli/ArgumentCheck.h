#pragma once

#include "commands/CommandTable.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace tavrel {

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
QString ArgumentProblem(const CommandInfo& command, const QStringList& positional, const QMap<QString, QString>& named,
                        const QStringList& rawArguments);

} // namespace tavrel
