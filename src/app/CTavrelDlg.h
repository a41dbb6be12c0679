#pragma once

#include "link/PanelHost.h"
#include "link/PanelSession.h"

#include <QDialog>
#include <QString>

#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quennel {
class Emulator;
class EmulatorWindow;
} // namespace quennel

namespace tavrel {

class CTrafficWindow;
class CXColourPicker;
class ElidingLabel;
class PortStateLamp;

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

    // General Functions
    void OnSetBackgroundColour();
    void OnClearScreen();
    void OnGetDeviceInfo();
    void OnOledControlFunctions();

    // Basic Drawing
    void OnSetPixel();
    void OnDrawLine();
    void OnDrawRectangle();
    void OnDrawTriangle();
    void OnDrawCircle();
    void OnDrawPolygon();
    void OnSetWireFrameMode();
    void OnSetSolidMode();
    void OnReadPixel();

    // Text Functions
    void OnPrintCharacter();
    void OnPrintTextString();
    void OnTextButton();
    void OnFont(int fontIndex);
    void OnSetFont();
    void OnTransparent();
    void OnOpaque();

    // Bitmap Functions
    void OnAddUserChar();
    void OnDisplayUserChar();
    void OnDisplayImage();
    void OnCopyArea();

    // Display Specific Commands
    void OnRotateDisplay();
    void OnDimArea();
    void OnScrollControl();
    void OnWriteCommand();

    // SD Card Commands
    void OnShowBitmap();
    void OnShowImage();
    void OnSlideshow();
    void OnPrintScreen();
    void OnLoadBinary();
    void OnLoadNorvel();
    void OnYModemSession();
    void OnViewDirectory();
    void OnOpenFileToWrite();
    void OnWriteToFile();
    void OnOpenFileToRead();
    void OnReadFromFile();
    void OnCloseFile();
    void OnEraseFile();

private:
    void buildControls();
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

    ElidingLabel* m_portLabel = nullptr;
    PortStateLamp* m_portLamp = nullptr;
    QPlainTextEdit* m_status = nullptr;
    CXColourPicker* m_foreground = nullptr;
    CXColourPicker* m_background = nullptr;
    QPushButton* m_fontRadio = nullptr;
    QPushButton* m_textModeRadio = nullptr;
    QButtonGroup* m_fontGroup = nullptr;
    QButtonGroup* m_textModeGroup = nullptr;
};

} // namespace tavrel
