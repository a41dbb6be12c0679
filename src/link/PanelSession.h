#pragma once

#include "link/Clock.h"
#include "link/Link.h"
#include "link/PanelHost.h"
#include "link/TrafficHistory.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace tavrel {

// Opens a link by port name and baud rate. The panel's opener also knows the
// built-in emulator; tests substitute their own.
using LinkOpener = std::function<OpenResult(const QString& portName, qint32 baudRate)>;

// How a command ended: sent (whatever the module answered), cancelled in its
// dialog, or refused before anything was sent (bounds, over-long input).
enum class CommandOutcome { Sent, Cancelled, Refused };

constexpr int kCoordinateSlots = 7;

// The state every command handler shares — the open port, the port settings,
// the remembered coordinates and the font — and the shared operations of the
// command pattern: open and close, write, purge, log line, bounds report and
// the reply readers. The main window and the command-line tool each own one.
class PanelSession {
public:
    explicit PanelSession(PanelHost& host, LinkOpener opener);
    ~PanelSession();
    PanelSession(const PanelSession&) = delete;
    PanelSession& operator=(const PanelSession&) = delete;

    PanelHost& host() { return m_host; }
    // Every byte that went through the link, whatever the port.
    TrafficHistory& traffic() { return m_traffic; }

    // The clock of the reply readers' waits and the reading loops' limits;
    // the system's unless another is set. It must outlive the session.
    Clock& clock() { return *m_clock; }
    void setClock(Clock& clock) { m_clock = &clock; }

    // Port choice; takes effect at the next open.
    QString m_portName;
    QString m_baudRate = QStringLiteral("115200");
    QString portLabel() const { return m_portName + QStringLiteral(", ") + m_baudRate; }

    // Texts last accepted for each point slot; slot 0 is the first point of
    // every command.
    std::array<QString, kCoordinateSlots> m_lastX;
    std::array<QString, kCoordinateSlots> m_lastY;
    int m_fontIndex = 0;

    // Opens m_portName at m_baudRate. Any port already open is closed first
    // (without a status text) so that no connection is left behind. On
    // failure the status window shows the failing step's text.
    bool OpenComPort();
    // Puts the port's settings back, releases it and says so; nothing visible
    // happens when no port is open.
    void CloseComPort();
    // Releases the port without touching the status window.
    void dropPort();
    bool isOpen() const { return m_hComPort != nullptr; }

    // Shared operations of the command pattern. With no port open a write
    // reports 0 bytes and a read returns nothing at once. `label` names the
    // command in the traffic history: its log line's label ("Set Pixel").
    qint64 WritePacket(const QByteArray& packet, const QString& label);
    // Paced streams (Display Image): one write per pixel that does not wait
    // for the bytes to leave, and a drain before each pause; DrainOutput
    // returns how many bytes had to be dropped.
    qint64 WriteUnwaited(const QByteArray& bytes, const QString& label);
    qint64 DrainOutput();
    QByteArray ReadBytes(int count);
    void PurgeInput();
    // False once any write of this session handed over fewer bytes than it
    // was given (no port, a link that is gone, a line that would not take
    // them): a packet then did not reach the module whole.
    bool everyWriteWhole() const { return m_everyWriteWhole; }
    // What a reader made of the reply it just read, for the traffic
    // history: a reply line without its "\r\n> " ("Command Acknowledged"),
    // or a count of listing bytes.
    void NoteReply(const QString& meaning) { m_traffic.noteReply(meaning); }
    void ShowLog(const QString& line) { m_host.setStatusText(line); }
    // Message box "Pixel out of bounds!" then the status text; used by every
    // command that checks coordinates.
    void ReportBoundsFailure();
    // Parses the point typed for slot 0 into x and y. On the panel, the typed
    // texts are remembered in slot 0; off it, the bounds failure is reported.
    bool AcceptSlotZeroPoint(const QString& xText, const QString& yText, qint32& x, qint32& y);
    // Every command that sends a 0-terminated text or file name asks this
    // first. A character that would reach the module as a 0 byte is named
    // in a message box, the status window says nothing was sent, and false
    // is returned.
    bool SevenBitTextSendable(const QString& text);

    // Reply readers: each appends its lines to the status window text.
    void ReadAckReply();
    void ReadColourReply();
    void ReadDeviceInfoReply();

private:
    void appendReply(int waitMs, int count, const std::function<QString(const QByteArray&)>& interpret);

    PanelHost& m_host;
    LinkOpener m_opener;
    TrafficHistory m_traffic;
    std::unique_ptr<Link> m_hComPort;
    Clock* m_clock = &SystemClock();
    bool m_everyWriteWhole = true;
};

} // namespace tavrel
