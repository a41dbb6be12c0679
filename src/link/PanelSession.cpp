// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PanelSession.h"

#include "link/Bounds.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"
#include "link/PortNames.h"
#include "link/ReplyText.h"

namespace tavrel {

PanelSession::PanelSession(PanelHost& host, LinkOpener opener)
    : m_portName(DefaultPortName())
    , m_host(host)
    , m_opener(std::move(opener))
{
    m_lastX.fill(QStringLiteral("0"));
    m_lastY.fill(QStringLiteral("0"));
}

PanelSession::~PanelSession() = default;

bool PanelSession::OpenComPort()
{
    // Re-opening must not leave the earlier connection allocated (and, for the
    // same device, must not fail on our own lock).
    dropPort();
    OpenResult result = m_opener(m_portName, ParseDecimal(m_baudRate));
    if (!result.link) {
        const QString text = OpenFailureText(result.failure == OpenFailure::None ? OpenFailure::Create : result.failure);
        m_host.setStatusText(text);
        // The status window keeps its one line; what to do about a refused
        // device goes into a message box under the same text.
        if (!result.advice.isEmpty())
            m_host.showMessage(text + QLatin1Char('\n') + result.advice, QStringLiteral("Tavrel"));
        return false;
    }
    adoptLink(std::move(result.link), m_portName);
    m_lostPort.reset();
    return true;
}

void PanelSession::adoptLink(std::unique_ptr<Link> link, const QString& portName)
{
    m_hComPort = std::move(link);
    // Identified now: an unplugged adapter takes its identity with it.
    m_openIdentity = IsEmulatorPortName(portName) ? DeviceIdentity{portName, QString()} : IdentifyDevice(portName);
    m_openBaudRate = m_baudRate;
    m_traffic.recordOpened(portLabel());
    // Whatever the device sent before the open is not a reply to anything.
    PurgeInput();
    m_host.portOpenChanged(true);
}

void PanelSession::CloseComPort()
{
    m_lostPort.reset();
    if (!m_hComPort)
        return;
    dropPort();
    m_host.setStatusText(QStringLiteral("Serial Port Closed."));
}

void PanelSession::dropPort()
{
    if (m_hComPort) {
        m_hComPort->close();
        m_hComPort.reset();
        m_traffic.recordClosed();
        m_host.portOpenChanged(false);
    }
}

// The traffic history is kept here, where every link operation passes,
// and only for operations that reached a link.

Link* PanelSession::carrier() const
{
    return m_hComPort && !m_hComPort->isLost() ? m_hComPort.get() : nullptr;
}

qint64 PanelSession::WritePacket(const QByteArray& packet, const QString& label)
{
    Link* link = carrier();
    const qint64 written = link ? link->write(packet) : 0;
    if (written < packet.size())
        m_everyWriteWhole = false;
    if (link)
        m_traffic.recordSent(packet, written, label);
    m_commandBytes += written;
    noteLinkUse();
    return written;
}

qint64 PanelSession::WriteUnwaited(const QByteArray& bytes, const QString& label)
{
    Link* link = carrier();
    const qint64 taken = link ? link->writeUnwaited(bytes) : 0;
    if (taken < bytes.size())
        m_everyWriteWhole = false;
    if (link)
        m_traffic.recordStreamed(bytes.left(int(qMax<qint64>(0, taken))), label);
    m_commandBytes += taken;
    noteLinkUse();
    return taken;
}

qint64 PanelSession::DrainOutput()
{
    const qint64 dropped = m_hComPort ? m_hComPort->drainOutput() : 0;
    if (dropped > 0)
        m_everyWriteWhole = false;
    if (m_hComPort)
        m_traffic.recordStreamDrained(dropped);
    m_commandBytes -= dropped;
    noteLinkUse();
    return dropped;
}

QByteArray PanelSession::ReadBytes(int count)
{
    Link* link = carrier();
    if (!link)
        return QByteArray();
    const QByteArray received = link->read(count);
    m_traffic.recordReceived(received, count);
    noteLinkUse();
    return received;
}

void PanelSession::PurgeInput()
{
    Link* link = carrier();
    if (!link)
        return;
    link->purgeInput();
    m_traffic.recordPurged();
    noteLinkUse();
}

void PanelSession::ReportBoundsFailure()
{
    m_host.showMessage(QStringLiteral("Pixel out of bounds!"), QStringLiteral("Set Pixel Error"));
    m_host.setStatusText(QStringLiteral("Set pixel bounds error."));
}

bool PanelSession::AcceptSlotZeroPoint(const QString& xText, const QString& yText, qint32& x, qint32& y)
{
    x = ParseDecimal(xText);
    y = ParseDecimal(yText);
    if (!PointInBounds(x, y)) {
        ReportBoundsFailure();
        return false;
    }
    m_lastX[0] = xText;
    m_lastY[0] = yText;
    return true;
}

bool PanelSession::SevenBitTextSendable(const QString& text)
{
    const QString problem = SevenBitTextProblem(text);
    if (problem.isEmpty())
        return true;
    m_host.showMessage(problem, QStringLiteral("Tavrel"));
    m_host.setStatusText(QStringLiteral("Unsendable character: nothing sent."));
    return false;
}

void PanelSession::appendReply(int waitMs, int count, const std::function<QString(const QByteArray&)>& interpret)
{
    // The window's text is taken first: it is the log line plus whatever the
    // user typed into the status window since.
    QString text = m_host.statusText();
    m_clock->sleepMs(waitMs);
    const QByteArray received = ReadBytes(count);
    const QString lines = interpret(received);
    NoteReply(ReplyNote(lines));
    text += lines;
    m_host.setStatusText(text);
}

void PanelSession::ReadAckReply()
{
    appendReply(10, 1, InterpretAckReply);
}

void PanelSession::ReadColourReply()
{
    appendReply(1, 2, [this](const QByteArray& received) {
        const ColourReply reply = InterpretColourReply(received);
        if (reply.valid)
            m_host.setForegroundColour(reply.colour);
        return reply.text;
    });
}

void PanelSession::ReadDeviceInfoReply()
{
    appendReply(1, 5, InterpretDeviceInfoReply);
}

void PanelSession::noteLinkUse()
{
    m_commandUsedLink = true;
    if (!m_hComPort || !m_hComPort->isLost())
        return;
    m_commandLostLink = true;
    // Inside a command the dead link stays until the command ends, so that
    // what it still holds is counted as dropped, not as written.
    if (m_commandDepth == 0)
        settleLoss();
}

void PanelSession::settleLoss()
{
    if (!m_hComPort || !m_hComPort->isLost())
        return;
    LostPort lost{m_openIdentity.portName, m_openBaudRate, m_openIdentity, m_hComPort->lossReason()};
    m_traffic.recordLost(lost.portName, lost.reason);
    dropPort();
    m_lostPort = std::move(lost);
}

void PanelSession::appendLine(const QString& text)
{
    m_host.setStatusText(m_host.statusText() + ReplyLine(text));
}

CommandRun PanelSession::RunCommand(const std::function<CommandOutcome()>& command)
{
    CommandRun run;
    if (m_commandDepth > 0) {
        run.outcome = command();
        return run;
    }
    run.everyWriteWholeBefore = m_everyWriteWhole;
    m_commandUsedLink = false;
    m_commandLostLink = false;
    m_commandBytes = 0;
    ++m_commandDepth;
    run.outcome = command();
    --m_commandDepth;
    run.bytesWritten = m_commandBytes;
    run.lost = m_commandLostLink;
    if (run.lost) {
        const QString name = m_openIdentity.portName;
        settleLoss();
        appendLine(QStringLiteral("Port lost: ") + name);
    }
    m_commandUsedLink = false;
    return run;
}

void PanelSession::choosePort(const QString& portName, const QString& baudRate)
{
    if (m_lostPort && (portName != m_lostPort->portName || baudRate != m_lostPort->baudRate))
        m_lostPort.reset();
    m_portName = portName;
    m_baudRate = baudRate;
}

bool PanelSession::ReopenLostPort()
{
    if (!m_lostPort || m_hComPort)
        return false;
    if (m_commandDepth > 0 && m_commandUsedLink)
        return false;
    const QString where = LocateDevice(m_lostPort->identity);
    if (where.isEmpty())
        return false;
    OpenResult result = m_opener(where, ParseDecimal(m_lostPort->baudRate));
    if (!result.link)
        return false;
    // The settings are those the port had; an adapter that came back under
    // another name is known by that name from now on.
    m_portName = where;
    m_baudRate = m_lostPort->baudRate;
    m_lostPort.reset();
    adoptLink(std::move(result.link), where);
    appendLine(QStringLiteral("Port reopened: ") + where);
    return true;
}

} // namespace tavrel
