// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's scripts: recording what the user sends, and running a
// script on the window's session.

#include "app/CTavrelDlg.h"

#include "app/ScriptPlayer.h"
#include "commands/ChoiceFields.h"
#include "commands/CommandTable.h"
#include "commands/script/CommandArguments.h"
#include "commands/script/Script.h"
#include "imaging/dialogs/CUploadProgress.h"
#include "link/LostPortWatch.h"
#include "link/dialogs/CTrafficWindow.h"
#include "widgets/CXColourPicker.h"
#include "widgets/UiSeam.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QMenu>

namespace tavrel {

namespace {

const QString kScriptFilter = QStringLiteral("Tavrel Scripts (*.tavrel *.txt);;All Files (*)");
// The titles of the scripts' file dialogs, also those of their messages, so
// that F1 on a message opens the help on scripts.
const char* const kRecordTitle = QT_TRANSLATE_NOOP("CTavrelDlg", "Record Script");
const char* const kRunTitle = QT_TRANSLATE_NOOP("CTavrelDlg", "Run Script");

} // namespace

void CTavrelDlg::connectRecording()
{
    connect(m_foreground, &CXColourPicker::colourChanged, this,
            [this](HostColour colour) { m_recorder.colourPicked(true, colour); });
    connect(m_background, &CXColourPicker::colourChanged, this,
            [this](HostColour colour) { m_recorder.colourPicked(false, colour); });
    m_recorder.onWriteFailure = [this](const QString& message) { showMessage(message, tr(kRecordTitle)); };
}

void CTavrelDlg::runCommand(const CommandInfo& command)
{
    m_session.resetWriteCheck();
    const CommandOutcome outcome = command.run(m_session);
    // A command sent while no port is open (0 bytes written) replays as
    // something else: only what reached the line whole is recorded.
    m_recorder.commandEnded(command, outcome == CommandOutcome::Sent && m_session.everyWriteWhole());
    transferEnded();
}

void CTavrelDlg::transferEnded()
{
    // A transfer's progress bar goes whatever way the command ended.
    if (auto* progress = findChild<CUploadProgress*>())
        progress->finish();
    if (m_trafficWindow)
        m_trafficWindow->setTransferRunning(false);
}

void CTavrelDlg::sendRecorded(const std::function<CommandOutcome()>& send, const QStringList& words)
{
    m_session.resetWriteCheck();
    if (send() == CommandOutcome::Sent && m_session.everyWriteWhole())
        m_recorder.writeWords(words);
}

void CTavrelDlg::addScriptActions(QMenu& menu)
{
    menu.addSeparator();
    QAction* record = menu.addAction(tr("Record Script\u2026"), this, &CTavrelDlg::recordScript);
    record->setObjectName(QStringLiteral("recordScriptAction"));
    QAction* stop = menu.addAction(tr("Stop Recording"), this, &CTavrelDlg::stopRecording);
    stop->setObjectName(QStringLiteral("stopRecordingAction"));
    stop->setEnabled(isRecording());
    QAction* run = menu.addAction(tr("Run Script\u2026"), this, &CTavrelDlg::runScript);
    run->setObjectName(QStringLiteral("runScriptAction"));
    run->setEnabled(!m_player);
}

void CTavrelDlg::recordScript()
{
    const QString path = UiSeam::getSaveFileName(this, tr(kRecordTitle), m_recorder.name(), kScriptFilter);
    if (path.isEmpty())
        return;
    QString error;
    if (!m_recorder.start(path, foregroundColour(), backgroundColour(), error))
        showMessage(tr("Cannot record into %1: %2").arg(path, error), tr(kRecordTitle));
}

void CTavrelDlg::stopRecording()
{
    m_recorder.stop();
}

void CTavrelDlg::runScript()
{
    if (m_player)
        return;
    const QString path = UiSeam::getOpenFileName(this, tr(kRunTitle), m_recorder.name(), kScriptFilter);
    if (path.isEmpty())
        return;
    // Every line is checked, and every command walked through for what it
    // would refuse, before anything is sent.
    Script script;
    ScriptError error;
    if (!ReadScriptFile(path, script, error)) {
        // A line is named with its file; a file that cannot be read names itself.
        QString what = error.line > 0 ? tr("%1, line %2: %3")
                                            .arg(QDir::toNativeSeparators(path))
                                            .arg(error.line)
                                            .arg(error.message)
                                      : error.message;
        what[0] = what.at(0).toUpper();
        showMessage(what + tr("\n\nThe script was not run and nothing was sent. The panel's help (press F1) describes "
                              "scripts and their commands."),
                    tr(kRunTitle));
        return;
    }
    ScriptHooks hooks;
    hooks.routeDialogs = [this](ArgumentAnswers* answers) { m_scriptAnswers = answers; };
    // As a pick on the colour buttons would, without a pick's notification.
    hooks.setForeground = [this](HostColour colour) { m_foreground->setColour(colour); };
    hooks.setBackground = [this](HostColour colour) { m_background->setColour(colour); };
    m_player = new ScriptPlayer(script, m_session, hooks, this);
    connect(m_player, &ScriptPlayer::stepDone, this, &CTavrelDlg::scriptStepDone);
    connect(m_player, &ScriptPlayer::finished, this, [this, path](const QString& stoppedBecause) {
        scriptFinished(stoppedBecause.isEmpty() ? QString()
                                                : tr("The script %1 stopped at %2.")
                                                      .arg(QDir::toNativeSeparators(path), stoppedBecause));
    });
    m_player->start();
}

void CTavrelDlg::scriptStepDone(const ScriptStep& step)
{
    // The font and text-mode buttons show what the script chose.
    if (QAbstractButton* font = m_fontGroup->button(m_session.m_fontIndex))
        font->setChecked(true);
    int mode = 0;
    if (step.command && CliName(step.command->caption) == CliName(QStringLiteral("Set Font Mode"))
        && MatchChoice(TextModeChoices(), SplitCommandArguments(step.arguments).positional.value(0), mode)) {
        if (QAbstractButton* button = m_textModeGroup->button(mode))
            button->setChecked(true);
    }
    transferEnded();
    // A script run while recording goes into the recording as it ran.
    m_recorder.writeWords(step.words);
}

void CTavrelDlg::scriptFinished(const QString& stoppedBecause)
{
    transferEnded();
    // A line that lost the port leaves it remembered: look for it to come back.
    m_lostPortWatch->follow();
    if (m_player)
        m_player->deleteLater();
    m_player = nullptr;
    if (!stoppedBecause.isEmpty())
        showMessage(stoppedBecause, tr(kRunTitle));
}

} // namespace tavrel
