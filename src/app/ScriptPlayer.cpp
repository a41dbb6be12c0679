// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ScriptPlayer.h"

#include "commands/script/ScriptWords.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrel {

ScriptPlayer::ScriptPlayer(const Script& script, PanelSession& session, const ScriptHooks& hooks, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , m_script(script)
    , m_run(m_script, session, hooks)
{
    setObjectName(QStringLiteral("scriptPlayer"));
    setWindowTitle(tr("Run Script"));
    setWindowModality(Qt::WindowModal);

    auto* layout = new QVBoxLayout(this);
    m_lineLabel = new QLabel(this);
    m_lineLabel->setObjectName(QStringLiteral("scriptLineLabel"));
    m_lineLabel->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 60);
    m_lineLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(m_lineLabel);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("scriptProgress"));
    m_progress->setRange(0, m_run.stepCount());
    layout->addWidget(m_progress);
    auto* buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cancel->setObjectName(QStringLiteral("cancelScriptButton"));
    connect(m_cancel, &QPushButton::clicked, this, &ScriptPlayer::reject);
    layout->addWidget(buttons);

    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &ScriptPlayer::runNextStep);
}

ScriptPlayer::~ScriptPlayer() = default;

void ScriptPlayer::start()
{
    m_running = true;
    show();
    m_next.start(0);
}

void ScriptPlayer::reject()
{
    if (!m_running)
        return;
    m_cancelled = true;
    m_cancel->setEnabled(false);
    m_lineLabel->setText(tr("Cancelling after this line..."));
    // A wait is cut short; a command that is running ends first.
    if (m_waiting) {
        m_next.stop();
        finishRun(QString());
    }
}

void ScriptPlayer::runNextStep()
{
    if (m_waiting) {
        emit stepDone(*m_waiting);
        m_waiting = nullptr;
    }
    if (m_cancelled || m_run.atEnd()) {
        finishRun(QString());
        return;
    }
    const ScriptStep& step = m_run.nextStep();
    m_lineLabel->setText(tr("Line %1: %2").arg(step.line).arg(JoinScriptWords(step.words)));
    m_progress->setValue(m_run.stepsDone());
    const StepReport report = m_run.runNext();
    m_progress->setValue(m_run.stepsDone());
    if (report.failed()) {
        finishRun(report.failureText());
        return;
    }
    if (step.kind == ScriptStep::Kind::Wait) {
        m_waiting = &step;
        m_next.start(step.waitMs);
        return;
    }
    emit stepDone(step);
    m_next.start(0);
}

void ScriptPlayer::finishRun(const QString& stoppedBecause)
{
    if (!m_running)
        return;
    m_running = false;
    m_waiting = nullptr;
    hide();
    emit finished(stoppedBecause, m_cancelled);
}

} // namespace tavrel
