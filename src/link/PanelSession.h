// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Clock.h"
#include "link/DeviceIdentity.h"
#include "link/Link.h"
#include "link/PanelHost.h"
#include "link/TrafficHistory.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace tavrel {

// Opens a link by port name and baud rate. The panel's opener also knows the
// built-in emulator; tests substitute their own.
using LinkOpener = std::function<OpenResult(const QString& portName, qint32 baudRate)>;

// How a command ended: sent (whatever the module answered), cancelled in its
// dialog, or refused before anything was sent (bounds, over-long input).
enum class CommandOutcome { Sent, Cancelled, Refused };

constexpr int kCoordinateSlots = 7;

// A port whose device went away while it was open, remembered so that it can
// be opened again, with the same settings, once the device is back.
struct LostPort {
    QString portName;  // the name it was opened by, as "Port lost" shows it
    QString baudRate;
    DeviceIdentity identity;
    QString reason;    // the link's words for the loss
};

// What one command did on the link, as PanelSession::RunCommand saw it.
struct CommandRun {
    CommandOutcome outcome = CommandOutcome::Sent;
    qint64 bytesWritten = 0;  // bytes the link took during the command
    bool lost = false;        // the link was lost during the command
    bool everyWriteWholeBefore = true;
};

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
    // happens when no port is open. A lost port is forgotten.
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
    // Starts the check afresh, for a session that runs command after command.
    void resetWriteCheck() { m_everyWriteWhole = true; }
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

    // Runs one command (a button press, a command-line command). When the
    // link is lost on the way, the command goes on as on a closed port (its
    // writes report what was taken, its reads find nothing), and once it has
    // ended the port is closed and remembered, and the status window gets
    // the line "> Port lost: NAME" under the command's own lines. Nothing is
    // sent again. A command run inside another is part of that one.
    CommandRun RunCommand(const std::function<CommandOutcome()>& command);

    // The port lost while open, until it is opened again or forgotten.
    bool lostPortRemembered() const { return m_lostPort.has_value(); }
    const LostPort* lostPort() const { return m_lostPort ? &*m_lostPort : nullptr; }
    void forgetLostPort() { m_lostPort.reset(); }
    // The Com Port Settings choice: a lost port is forgotten when another
    // port or baud rate is chosen. Takes effect at the next open.
    void choosePort(const QString& portName, const QString& baudRate);
    // When the lost port's device is back, opens it with the remembered
    // settings (under its new name, should an adapter have got another),
    // forgets the loss and adds the line "> Port reopened: NAME". Returns
    // false while the device is absent or will not open yet, and while a
    // running command has already used the link: a command never spans two
    // connections.
    bool ReopenLostPort();
    // A lost attempt that is sent again does not count against
    // everyWriteWhole().
    void withdrawAttempt(const CommandRun& run) { m_everyWriteWhole = run.everyWriteWholeBefore; }

private:
    void appendReply(int waitMs, int count, const std::function<QString(const QByteArray&)>& interpret);
    // The link while it can carry data: null once it is lost, although a
    // command that lost it keeps it until its end, so that DrainOutput can
    // count what it still held as dropped. Nothing is sent on a lost link.
    Link* carrier() const;
    // Makes a freshly opened link the session's port.
    void adoptLink(std::unique_ptr<Link> link, const QString& portName);
    // Called after every use of the link: a lost link is settled at once
    // outside a command, at the command's end inside one.
    void noteLinkUse();
    // Closes a lost link and remembers its port.
    void settleLoss();
    void appendLine(const QString& text);

    PanelHost& m_host;
    LinkOpener m_opener;
    TrafficHistory m_traffic;
    std::unique_ptr<Link> m_hComPort;
    Clock* m_clock = &SystemClock();
    bool m_everyWriteWhole = true;

    // The port as opened, for remembering it should it be lost.
    DeviceIdentity m_openIdentity;
    QString m_openBaudRate;
    std::optional<LostPort> m_lostPort;
    // The command running now (RunCommand), if any.
    int m_commandDepth = 0;
    bool m_commandUsedLink = false;
    bool m_commandLostLink = false;
    qint64 m_commandBytes = 0;
};

} // namespace tavrel
