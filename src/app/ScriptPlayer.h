// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/script/Script.h"
#include "commands/script/ScriptRun.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel {

// "Run Script": runs a script on the panel's session one line at a time,
// going back to the event loop between lines, so the panel repaints, each
// command's status text shows as it goes, a wait line is a timer rather
// than a sleep, and Cancel is heard. Everything runs on the one thread that
// owns the session. The dialog is modal to the panel while it runs; Cancel
// (or Escape) stops after the command that is running, at once during a
// wait.
class ScriptPlayer : public QDialog {
    Q_OBJECT
public:
    ScriptPlayer(const Script& script, PanelSession& session, const ScriptHooks& hooks, QWidget* parent);
    ~ScriptPlayer() override;

    // Shows the dialog and runs the first line from the event loop.
    void start();
    bool isRunning() const { return m_running; }

public slots:
    void reject() override;

signals:
    // A line that ran to its end (a command sent, a colour set, a wait over).
    void stepDone(const tavrel::ScriptStep& step);
    // The run is over: `stoppedBecause` says why it ended early ("line 7:
    // draw-line was refused"), empty when every line ran or it was
    // cancelled.
    void finished(const QString& stoppedBecause, bool cancelled);

private:
    void runNextStep();
    void finishRun(const QString& stoppedBecause);

    Script m_script;
    ScriptRun m_run;
    QTimer m_next;
    const ScriptStep* m_waiting = nullptr;
    bool m_running = false;
    bool m_cancelled = false;
    QLabel* m_lineLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace tavrel
