// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ScriptPlayer.h"
#include "commands/script/ScriptRecorder.h"
#include "link/PanelHost.h"
#include "link/PanelSession.h"

#include <QDialog>
#include <QPair>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTimer;

namespace quennel {
class Emulator;
class EmulatorWindow;
} // namespace quennel

namespace tavrel {

class ArgumentAnswers;
class CHelpWindow;
class CTrafficWindow;
class PanelSettings;
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
    // The file the panel remembers its port, folders and window places in
    // (PanelSettings); empty: nothing is remembered.
    QString settingsFile;
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
    // Opens the user manual at a section (F1, or Help in the context menu).
    // `inFront` is the window the user asked from: while a modal dialog is
    // in front, the manual is lent to it so that it can be scrolled.
    void showHelp(const QString& section, QWidget* inFront = nullptr);
    // The section that explains a window: the window's own, or that of the
    // window it belongs to; the panel's when none is known.
    static QString helpSectionFor(const QWidget* window);
    // The manual's window; null until it was first opened.
    CHelpWindow* helpWindow() const;
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
    // What would be cut off by leaving now (a recording, a script run, a
    // transfer), as a sentence for the question; empty when nothing is.
    QString workUnderWay() const;

    // The run in progress; null when none.
    ScriptPlayer* scriptPlayer() const { return m_player; }

public slots:
    // Escape and the close box: leave without closing the port, after
    // asking when something is under way.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
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
    // The traffic window over the part of the panel with the fewest
    // controls, clear of the emulator's window where it can be.
    void placeTrafficOverPanel(const QSize& size);
    // When the user has moved the traffic or the emulator window onto the
    // other, the other steps aside.
    void keepCompanionsApart();
    // The panel's controls on the screen, the status window and Quit
    // counting several times over: what a window laid over it should spare.
    QVector<QPair<QRect, int>> weightedControlRects() const;
    // The panel no larger than its screen's free area, and on it.
    void fitToScreen();
    // The status window, its label, the progress bar and Quit along the
    // bottom, below the controls, whatever the window's size.
    void layoutStatusStrip();
    QRect progressRect() const;
    // Where the panel and its windows stood, from the settings and into them.
    void restorePanelPlace();
    bool restoreWindowPlace(QWidget* window, const QString& name, bool withSize);
    void rememberWindowPlaces();
    void lendHelpTo(QWidget* owner);
#ifdef Q_OS_WIN
    void addAboutToSystemMenu();
#endif

    std::unique_ptr<quennel::Emulator> m_emulator;
    std::unique_ptr<quennel::EmulatorWindow> m_emulatorWindow;
    PanelSession m_session;
    // Shows m_session's history, so it goes first.
    std::unique_ptr<CTrafficWindow> m_trafficWindow;
    LostPortWatch* m_lostPortWatch = nullptr;

    // The window in dialog units, and the part of its height the command
    // groups take; the status window and Quit are below that.
    static constexpr int kPanelWidthUnits = 544;
    static constexpr int kPanelHeightUnits = 378;
    static constexpr int kControlsHeightUnits = 316;

    std::unique_ptr<PanelSettings> m_settings;
    QPointer<CHelpWindow> m_help;
    // Which of the two companion windows the user moved last, while the
    // other has not yet stepped aside.
    QPointer<QWidget> m_movedCompanion;
    QTimer* m_keepApartTimer = nullptr;
    bool m_placingWindows = false;

    QScrollArea* m_controlsArea = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPushButton* m_quit = nullptr;
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
