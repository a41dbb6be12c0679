// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/script/CommandArguments.h"
#include "commands/script/Script.h"
#include "link/ReconnectingRun.h"

#include <functional>

namespace tavrel {

// What a script run needs from the window or tool it runs in besides the
// session: its dialogs answered from the script (DialogRouting), and its
// colour buttons, which the colour lines and a line's --fg and --bg set as
// a user's pick would, without sending anything.
struct ScriptHooks {
    DialogRouting routeDialogs;
    std::function<void(HostColour)> setForeground;
    std::function<void(HostColour)> setBackground;
    // What to do when the port goes away during a line: by default nothing
    // is waited for, the loss is reported and the run ends there.
    ReconnectOptions reconnect;
};

// How one step went.
struct StepReport {
    const ScriptStep* step = nullptr;
    CommandRunOutcome outcome;  // commands only; colour and wait lines are always Sent
    // What became of the link during the command.
    ReconnectingRun link;
    bool failed() const { return outcome.result != CommandRunResult::Sent || !link.portHeld(); }
    // The port went away and did not come back: no later line can run.
    bool portGone() const { return link.loss == LossHandling::PortGone; }
    // "line 7: draw-line was refused" and the like; empty when it went well.
    QString failureText() const;
};

// Runs a parsed script step by step on a session, whose state (the port,
// remembered fields, the font, an open card file) carries from line to line
// as it does between the panel's buttons. The caller decides when the next
// step runs, so the panel can keep its event loop turning between them and
// tavrel-cli can simply loop. A wait step does not wait: the caller does,
// for step.waitMs.
class ScriptRun {
public:
    ScriptRun(const Script& script, PanelSession& session, ScriptHooks hooks);

    bool atEnd() const { return m_next >= m_script.stepCount(); }
    // The step that runs next; the reference holds until the step after it
    // is asked for.
    const ScriptStep& nextStep();
    int stepsDone() const { return m_next; }
    int stepCount() const { return m_script.stepCount(); }
    // Runs the next step and moves past it; the report points to the step.
    StepReport runNext();

private:
    const Script& m_script;
    PanelSession& m_session;
    ScriptHooks m_hooks;
    int m_next = 0;
    // The step at index m_stepIndex, parsed from its line.
    ScriptStep m_step;
    int m_stepIndex = -1;
};

} // namespace tavrel
