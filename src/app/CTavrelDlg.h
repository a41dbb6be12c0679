// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ScriptPlayer.h"
#include "commands/script/ScriptRecorder.h"
#include "link/PanelHost.h"
#include "link/PanelSession.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quennel {
class Emulator;
class EmulatorWindow;
} // namespace quennel

namespace tavrel {

class ArgumentAnswers;
class CTrafficWindow;
class CXColourPicker;
class ElidingLabel;
class LostPortWatch;
class PortStateLamp;
struct CommandInfo;

struct PanelOptions {
    // The port chosen at start; empty means the platform's default.
    QString portName;
    // Show the built-in emulator's display beside the panel while the
    // emulator is the chosen port.
    bool showEmulatorWindow = true;
};

// "Quennel Control": one button per module command, the port controls, the
// colour buttons, the font and text-mode selectors and the status window.
// Every button runs its command on the session the window owns.
class CTavrelDlg : public QDialog, public PanelHost {
    Q_OBJECT
public:
    explicit CTavrelDlg(const PanelOptions& options = PanelOptions(), QWidget* parent = nullptr);
    ~CTavrelDlg() override;

    PanelSession& session() { return m_session; }
    // Watches for a lost port to come back while one is remembered.
    LostPortWatch& lostPortWatch() { return *m_lostPortWatch; }
    quennel::Emulator& emulator() { return *m_emulator; }
    // The emulator's display window; null when the options asked for none.
    quennel::EmulatorWindow* emulatorWindow() const { return m_emulatorWindow.get(); }

    // PanelHost. The status texts use "\r\n" line breaks, as the commands
    // write them; the edit shows them as ordinary lines.
    QString statusText() const override;
    void setStatusText(const QString& text) override;
    HostColour foregroundColour() const override;
    void setForegroundColour(HostColour colour) override;
    HostColour backgroundColour() const override;
    void showMessage(const QString& text, const QString& caption) override;
    bool runDialog(DialogRequest& request) override;
    void showReceivedText(const QString& title, const QString& text) override;
    // A progress bar above the status window while a transfer runs; the
    // panel takes no input meanwhile.
    void reportProgress(const QString& what, int done, int total) override;
    void portOpenChanged(bool open) override;

    void showAbout();
    // Opens the traffic history window beside the panel (or raises it).
    void showTrafficHistory();
    // The traffic history window; null until it was first opened.
    CTrafficWindow* trafficWindow() const { return m_trafficWindow.get(); }

    // Scripts (the context menu). Record Script asks for a file and from
    // then on writes every command sent through a button or dialog, and
    // every colour pick, as a line of it; Stop Recording ends that. Run
    // Script asks for a script and runs it on this window's session (see
    // ScriptPlayer); a line that does not parse is shown and nothing is sent.
    void recordScript();
    void stopRecording();
    void runScript();
    bool isRecording() const { return m_recorder.isRecording(); }
    // The run in progress; null when none.
    ScriptPlayer* scriptPlayer() const { return m_player; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private slots:
    void OnQuit();

    // Serial Port
    void OnComPortSettings();
    void OnOpenPort();
    void OnClosePort();

    // Text Functions: the font and text-mode buttons. Every other command
    // button runs its row of the command table (runCommand).
    void OnFont(int fontIndex);
    void OnSetFont();
    void OnTransparent();
    void OnOpaque();

private:
    void buildControls();
    // Runs a button's command from the command table, and records it when
    // it was sent whole.
    void runCommand(const CommandInfo& command);
    // After a command or script line: the upload progress bar and the
    // traffic window learn that no transfer is running any more.
    void transferEnded();
    // The font and text-mode buttons, which send without a dialog: `send`
    // runs, and when it was sent whole `words` are recorded.
    void sendRecorded(const std::function<CommandOutcome()>& send, const QStringList& words);
    void addScriptActions(QMenu& menu);
    void connectRecording();
    bool showDialog(DialogRequest& request);
    void scriptStepDone(const ScriptStep& step);
    void scriptFinished(const QString& stoppedBecause);
    // Every button's action runs as one command of the session, so that a
    // port lost on the way is reported under its lines and then watched for.
    void runButton(const std::function<void()>& action);
    void refreshPortLabel();
    // Shows the emulator's window beside this one while the emulator is the
    // chosen port and this window is on screen; hides it otherwise.
    void updateEmulatorWindow();
    void placeTrafficWindow();
#ifdef Q_OS_WIN
    void addAboutToSystemMenu();
#endif

    std::unique_ptr<quennel::Emulator> m_emulator;
    std::unique_ptr<quennel::EmulatorWindow> m_emulatorWindow;
    PanelSession m_session;
    // Shows m_session's history, so it goes first.
    std::unique_ptr<CTrafficWindow> m_trafficWindow;
    LostPortWatch* m_lostPortWatch = nullptr;

    ElidingLabel* m_portLabel = nullptr;
    PortStateLamp* m_portLamp = nullptr;
    QPlainTextEdit* m_status = nullptr;
    CXColourPicker* m_foreground = nullptr;
    CXColourPicker* m_background = nullptr;
    QPushButton* m_fontRadio = nullptr;
    QPushButton* m_textModeRadio = nullptr;
    QButtonGroup* m_fontGroup = nullptr;
    QButtonGroup* m_textModeGroup = nullptr;

    ScriptRecorder m_recorder;
    // While a script runs, its line's arguments answer the dialogs.
    ArgumentAnswers* m_scriptAnswers = nullptr;
    QPointer<ScriptPlayer> m_player;
};

} // namespace tavrel
