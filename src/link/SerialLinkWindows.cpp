// SPDX-License-Identifier: GPL-3.0-or-later
// The serial link on Windows: the port is opened, set up and driven with the
// system's communications calls, synchronously. The driver itself applies
// the read and write time-outs (COMMTIMEOUTS carries exactly the time-outs a
// Link promises), so a read returns when its bytes are in, when the line has
// been quiet for the interval after a byte, or when its total time is spent.
#include "link/SerialLink.h"

#ifdef Q_OS_WIN

#include "link/PortNames.h"
#include "link/SerialAccess.h"

#include <qt_windows.h>

namespace tavrel {

struct SerialLink::Port {
    HANDLE handle = INVALID_HANDLE_VALUE;
    DCB savedDcb {};
};

namespace {

// Driver queue sizes asked for at open; a driver that keeps its own sizes
// may refuse them.
constexpr DWORD kQueueSize = 10000;

QString SystemText(DWORD code)
{
    return qt_error_string(int(code));
}

} // namespace

SerialLink::SerialLink(const LinkTimeouts& timeouts)
    : m_port(new Port)
    , m_timeouts(timeouts)
{
}

SerialLink::~SerialLink()
{
    close();
}

OpenResult SerialLink::open(const QString& portName, qint32 baudRate, const LinkTimeouts& timeouts)
{
    OpenResult result;
    std::unique_ptr<SerialLink> link(new SerialLink(timeouts));
    // CreateFileW reaches COM10 and above only through the device
    // namespace, which names the lower ports as well.
    const QString path = QStringLiteral("\\\\.\\") + PlainComName(portName);
    // Read and write, no sharing: the port is ours alone while it is open.
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                                        0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.failure = OpenFailure::Create;
        result.advice = SerialAccessAdvice(portName);
        return result;
    }
    link->m_port->handle = handle;
    const auto fail = [&](OpenFailure failure) {
        ::CloseHandle(handle);
        link->m_port->handle = INVALID_HANDLE_VALUE;
        result.failure = failure;
        return std::move(result);
    };
    if (!::SetupComm(handle, kQueueSize, kQueueSize))
        return fail(OpenFailure::Setup);
    DCB dcb {};
    dcb.DCBlength = sizeof(dcb);
    if (!::GetCommState(handle, &dcb))
        return fail(OpenFailure::GetState);
    link->m_port->savedDcb = dcb;
    // 8N1 at the chosen rate; binary mode, DTR/RTS and flow control stay as
    // the driver had them. A line error stops reads and writes until it is
    // cleared, which read() and write() do, so that it is never taken for
    // data.
    dcb.BaudRate = DWORD(baudRate);
    dcb.fAbortOnError = TRUE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (baudRate <= 0 || !::SetCommState(handle, &dcb))
        return fail(OpenFailure::SetState);
    COMMTIMEOUTS commTimeouts {};
    commTimeouts.ReadIntervalTimeout = DWORD(timeouts.readIntervalMs);
    commTimeouts.ReadTotalTimeoutMultiplier = DWORD(timeouts.readTotalPerByteMs);
    commTimeouts.ReadTotalTimeoutConstant = DWORD(timeouts.readTotalConstantMs);
    commTimeouts.WriteTotalTimeoutMultiplier = DWORD(timeouts.writeTotalPerByteMs);
    commTimeouts.WriteTotalTimeoutConstant = DWORD(timeouts.writeTotalConstantMs);
    if (!::SetCommTimeouts(handle, &commTimeouts))
        return fail(OpenFailure::SetTimeouts);
    ::PurgeComm(handle, PURGE_RXCLEAR);
    link->m_path = portName;
    link->m_node = CurrentDeviceNode(portName);
    result.link = std::move(link);
    return result;
}

bool SerialLink::usable()
{
    return m_port->handle != INVALID_HANDLE_VALUE && !m_dead;
}

namespace {

// After a failed ReadFile or WriteFile: a line error (framing, overrun,
// parity) only stopped the transfer, and clearing it lets the port go on;
// any other failure means the device is gone. Returns the failure's text
// for a loss, an empty text otherwise.
QString TransferFailure(HANDLE handle)
{
    const DWORD code = ::GetLastError();
    DWORD lineErrors = 0;
    if (code == ERROR_OPERATION_ABORTED && ::ClearCommError(handle, &lineErrors, nullptr))
        return QString();
    const QString text = SystemText(code);
    return text.isEmpty() ? QStringLiteral("the device stopped working") : text;
}

} // namespace

qint64 SerialLink::write(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !usable())
        return 0;
    DWORD written = 0;
    if (!::WriteFile(m_port->handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr)) {
        const QString failure = TransferFailure(m_port->handle);
        if (!failure.isEmpty())
            markLost(failure);
    }
    if (qint64(written) < bytes.size())
        checkDeviceNode();
    return qint64(written);
}

QByteArray SerialLink::read(int count)
{
    QByteArray received;
    if (count <= 0 || !usable())
        return received;
    received.resize(count);
    DWORD got = 0;
    if (!::ReadFile(m_port->handle, received.data(), DWORD(count), &got, nullptr)) {
        const QString failure = TransferFailure(m_port->handle);
        if (!failure.isEmpty())
            markLost(failure);
    }
    received.resize(int(got));
    if (received.size() < count)
        checkDeviceNode();
    return received;
}

void SerialLink::purgeInput()
{
    if (m_port->handle != INVALID_HANDLE_VALUE)
        ::PurgeComm(m_port->handle, PURGE_RXCLEAR);
}

void SerialLink::close()
{
    if (m_port->handle == INVALID_HANDLE_VALUE)
        return;
    ::SetCommState(m_port->handle, &m_port->savedDcb);
    ::CloseHandle(m_port->handle);
    m_port->handle = INVALID_HANDLE_VALUE;
}

} // namespace tavrel

#endif // Q_OS_WIN
