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
    m_hComPort = std::move(result.link);
    m_traffic.recordOpened(portLabel());
    // Whatever the device sent before the open is not a reply to anything.
    PurgeInput();
    m_host.portOpenChanged(true);
    return true;
}

void PanelSession::CloseComPort()
{
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

qint64 PanelSession::WritePacket(const QByteArray& packet, const QString& label)
{
    const qint64 written = m_hComPort ? m_hComPort->write(packet) : 0;
    if (written < packet.size())
        m_everyWriteWhole = false;
    if (m_hComPort)
        m_traffic.recordSent(packet, written, label);
    return written;
}

qint64 PanelSession::WriteUnwaited(const QByteArray& bytes, const QString& label)
{
    const qint64 taken = m_hComPort ? m_hComPort->writeUnwaited(bytes) : 0;
    if (taken < bytes.size())
        m_everyWriteWhole = false;
    if (m_hComPort)
        m_traffic.recordStreamed(bytes.left(int(qMax<qint64>(0, taken))), label);
    return taken;
}

qint64 PanelSession::DrainOutput()
{
    const qint64 dropped = m_hComPort ? m_hComPort->drainOutput() : 0;
    if (dropped > 0)
        m_everyWriteWhole = false;
    if (m_hComPort)
        m_traffic.recordStreamDrained(dropped);
    return dropped;
}

QByteArray PanelSession::ReadBytes(int count)
{
    if (!m_hComPort)
        return QByteArray();
    const QByteArray received = m_hComPort->read(count);
    m_traffic.recordReceived(received, count);
    return received;
}

void PanelSession::PurgeInput()
{
    if (!m_hComPort)
        return;
    m_hComPort->purgeInput();
    m_traffic.recordPurged();
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

} // namespace tavrel
