// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliHost.h"
#include "commands/CommandTable.h"
#include "emulator/Emulator.h"
#include "link/PanelSession.h"

#include <QString>
#include <QTextStream>

namespace tavrel {

// What tavrel-cli's own options choose.
struct CliSettings {
    QString portName;
    QString baudRate = QStringLiteral("115200");
    HostColour foreground = kWhite;
    HostColour background = kBlack;
    // --trace: the traffic history goes to standard error as it happens.
    bool trace = false;
    // --reconnect: how long to wait for a port that went away; 0 waits not.
    int reconnectSeconds = 0;
};

// One run of the tool: the in-process emulator (used when the port says
// so), the host that stands in for the window and the session on the chosen
// port, not yet opened.
class CliSession {
public:
    CliSession(const CliSettings& settings, QTextStream& out, QTextStream& err);
    ~CliSession();

    CliHost& host() { return m_host; }
    PanelSession& session() { return m_session; }
    // Routes the dialogs of the command that runs to its arguments.
    DialogRouting dialogRouting();
    // Prints the status window's text after a command, as the panel would
    // show it; a command that works on files only prints nothing when it
    // has nothing to say.
    void printStatus(const CommandInfo& command);

private:
    quennel::Emulator m_emulator;
    CliHost m_host;
    PanelSession m_session;
    QTextStream& m_out;
};

} // namespace tavrel
