// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QString>

#include <functional>

namespace tavrel {

// Waits, on the session's clock and for at most waitMs, for the session's
// lost port to come back, looking every LostPortWatch::kProbeIntervalMs (the
// first time at once). True once it is open again, with "> Port reopened:
// NAME" added to the status window. False at once when no lost port is
// remembered or waitMs is not positive.
bool WaitForLostPort(PanelSession& session, int waitMs);

// How a command ended with respect to the link.
enum class LossHandling {
    None,       // the link held
    Resent,     // lost before any byte of the command was written; the port
                // came back and the command ran again, this time without a loss
    NotResent,  // lost; the port came back, and the command was not run again
                // because some of its bytes had already been written (or it
                // had already run kMaxCommandRuns times)
    PortGone,   // lost, and the port did not come back within the wait; the
                // port is closed and the session still remembers it
};

struct ReconnectingRun {
    CommandOutcome outcome = CommandOutcome::Sent;  // of the last run
    LossHandling loss = LossHandling::None;
    int runs = 0;
    QString lossReason;         // the system's words for the last loss
    qint64 bytesBeforeLoss = 0; // of the command, taken by the link before the last loss

    // The command went out and the port is open for whatever follows.
    bool portHeld() const { return loss == LossHandling::None || loss == LossHandling::Resent; }
};

struct ReconnectOptions {
    // How long to wait for a lost port to come back; 0 (no reconnecting)
    // leaves the run at the loss.
    int waitMs = 0;
    // Called just before a command is run again, while the status window
    // still holds the lost run's lines with "> Port lost: NAME" and
    // "> Port reopened: NAME", which the new run's log line will replace.
    std::function<void()> beforeResend;
};

// A command is run again at most this often in all.
constexpr int kMaxCommandRuns = 4;

// Runs one command with the link's loss handled:
//
//  - runCommand runs the whole command from its start (the same dialog
//    answers, the same files) and returns its outcome. It is called once,
//    through PanelSession::RunCommand, and again only when that run lost the
//    link before a single byte of it was written and the port came back
//    within options.waitMs. It must not open or close the port itself.
//  - A loss after some of the command's bytes were written is never
//    followed by a second run: the module may have acted on a part of it.
//    The loss is reported ("> Port lost: NAME"), the port is waited for
//    ("> Port reopened: NAME") so that the next command has it, and the
//    result says NotResent.
//  - When the port does not come back within the wait (or there is no
//    wait), the result says PortGone and the port stays closed.
//
// When the session already remembers a lost port at the start, it is
// waited for first; should it not come back, runCommand is not called at all
// (runs 0, outcome Refused, PortGone).
//
// On return the status window holds the last run's lines plus the loss and
// reopen lines. A run that is repeated is withdrawn from
// PanelSession::everyWriteWhole(). Nothing here opens the port at the start:
// the caller has opened it.
ReconnectingRun RunReconnecting(PanelSession& session, const std::function<CommandOutcome()>& runCommand,
                                const ReconnectOptions& options);

} // namespace tavrel
