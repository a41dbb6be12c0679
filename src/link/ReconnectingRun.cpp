// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReconnectingRun.h"

#include "link/LostPortWatch.h"

namespace tavrel {

bool WaitForLostPort(PanelSession& session, int waitMs)
{
    if (!session.lostPortRemembered() || waitMs <= 0)
        return false;
    Clock& clock = session.clock();
    const qint64 start = clock.nowMs();
    for (;;) {
        if (session.ReopenLostPort())
            return true;
        const qint64 left = waitMs - (clock.nowMs() - start);
        if (left <= 0)
            return false;
        clock.sleepMs(int(qMin<qint64>(left, LostPortWatch::kProbeIntervalMs)));
    }
}

ReconnectingRun RunReconnecting(PanelSession& session, const std::function<CommandOutcome()>& runCommand,
                                const ReconnectOptions& options)
{
    ReconnectingRun result;
    // A port lost before this command (by an earlier one that was not sent
    // again) is waited for first; the command does not run without it.
    if (session.lostPortRemembered() && !session.isOpen()) {
        result.lossReason = session.lostPort()->reason;
        if (!WaitForLostPort(session, options.waitMs)) {
            result.outcome = CommandOutcome::Refused;
            result.loss = LossHandling::PortGone;
            return result;
        }
    }
    for (;;) {
        const CommandRun run = session.RunCommand(runCommand);
        ++result.runs;
        result.outcome = run.outcome;
        if (!run.lost) {
            result.loss = result.runs > 1 ? LossHandling::Resent : LossHandling::None;
            return result;
        }
        if (const LostPort* lost = session.lostPort())
            result.lossReason = lost->reason;
        result.bytesBeforeLoss = run.bytesWritten;
        if (!WaitForLostPort(session, options.waitMs)) {
            result.loss = LossHandling::PortGone;
            return result;
        }
        if (run.bytesWritten > 0 || result.runs >= kMaxCommandRuns) {
            result.loss = LossHandling::NotResent;
            return result;
        }
        session.withdrawAttempt(run);
        if (options.beforeResend)
            options.beforeResend();
    }
}

} // namespace tavrel
