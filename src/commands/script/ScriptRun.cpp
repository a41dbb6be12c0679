// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/ScriptRun.h"

namespace tavrel {

QString StepReport::failureText() const
{
    if (!step || !failed())
        return QString();
    const QString head = QStringLiteral("line %1: %2").arg(step->line).arg(CliName(step->command->caption));
    if (link.loss == LossHandling::PortGone)
        return head + QStringLiteral(": the port went away");
    if (link.loss == LossHandling::NotResent)
        return head + QStringLiteral(": the port went away while it was being written; it is not sent again");
    switch (outcome.result) {
    case CommandRunResult::Refused:
        return head + QStringLiteral(" was refused");
    case CommandRunResult::NotWrittenWhole:
        return head + QStringLiteral(" was not written whole");
    case CommandRunResult::UsageError:
        return head + QStringLiteral(": ") + outcome.usageError;
    case CommandRunResult::Sent:
        break;
    }
    return QString();
}

ScriptRun::ScriptRun(const Script& script, PanelSession& session, ScriptHooks hooks)
    : m_script(script)
    , m_session(session)
    , m_hooks(std::move(hooks))
{
}

const ScriptStep& ScriptRun::nextStep()
{
    if (m_stepIndex != m_next) {
        m_step = m_script.step(m_next);
        m_stepIndex = m_next;
    }
    return m_step;
}

StepReport ScriptRun::runNext()
{
    StepReport report;
    if (atEnd())
        return report;
    const ScriptStep& step = nextStep();
    ++m_next;
    report.step = &step;
    switch (step.kind) {
    case ScriptStep::Kind::ForegroundColour:
        m_hooks.setForeground(step.colour);
        break;
    case ScriptStep::Kind::BackgroundColour:
        m_hooks.setBackground(step.colour);
        break;
    case ScriptStep::Kind::Wait:
        break;
    case ScriptStep::Kind::Command: {
        // A line's own --fg and --bg hold for that command only.
        PanelHost& host = m_session.host();
        const HostColour foreground = host.foregroundColour();
        const HostColour background = host.backgroundColour();
        if (step.lineForeground)
            m_hooks.setForeground(*step.lineForeground);
        if (step.lineBackground)
            m_hooks.setBackground(*step.lineBackground);
        // A line whose port went away before any of it was written runs
        // again once the port is back (when the hooks allow a wait).
        report.outcome.result = CommandRunResult::Refused;
        report.link = RunReconnecting(
            m_session,
            [&] {
                report.outcome = RunCommandWords(m_session, *step.command, step.arguments, m_hooks.routeDialogs);
                return report.outcome.result == CommandRunResult::Sent ? CommandOutcome::Sent
                                                                        : CommandOutcome::Refused;
            },
            m_hooks.reconnect);
        if (step.lineForeground)
            m_hooks.setForeground(foreground);
        if (step.lineBackground)
            m_hooks.setBackground(background);
        break;
    }
    }
    return report;
}

} // namespace tavrel
