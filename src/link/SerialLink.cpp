// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialLink.h"

#include "link/SerialAccess.h"

#include <QElapsedTimer>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace tavrel {

void SerialLink::markLost(const QString& reason)
{
    if (m_dead)
        return;
    m_dead = true;
    m_lossReason = reason.isEmpty() ? QStringLiteral("the device stopped working") : reason;
}

void SerialLink::checkDeviceNode()
{
    if (m_dead)
        return;
    const NodeChange change = CompareDeviceNode(m_path, m_node);
    if (change != NodeChange::Same)
        markLost(NodeChangeText(change));
}

#ifndef Q_OS_WIN

namespace {

#ifdef Q_OS_UNIX
// Whether the far end hung up: a pseudo-terminal whose master closed, a
// terminal line whose modem hung up.
bool HungUp(qintptr handle)
{
    pollfd watched {int(handle), 0, 0};
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLHUP | POLLERR)) != 0;
}
#endif

} // namespace

SerialLink::SerialLink(const LinkTimeouts& timeouts)
    : m_timeouts(timeouts)
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
    link->m_port.setPortName(portName);
    // QSerialPort opens exclusively (lock file plus TIOCEXCL on Unix, no
    // sharing on Windows) and remembers the settings it found, which it puts
    // back when the port is closed.
    if (!link->m_port.open(QIODevice::ReadWrite)) {
        result.failure = OpenFailure::Create;
        result.advice = SerialAccessAdvice(portName);
        return result;
    }
    const bool applied = baudRate > 0
        && link->m_port.setBaudRate(baudRate)
        && link->m_port.setDataBits(QSerialPort::Data8)
        && link->m_port.setParity(QSerialPort::NoParity)
        && link->m_port.setStopBits(QSerialPort::OneStop);
    if (!applied) {
        link->close();
        result.failure = OpenFailure::SetState;
        return result;
    }
    link->m_path = portName;
    link->m_node = CurrentDeviceNode(portName);
    result.link = std::move(link);
    return result;
}

bool SerialLink::noteWaitFailure()
{
    const auto error = m_port.error();
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return false;
#ifdef Q_OS_UNIX
    // A read that meets the end of a hung-up line comes with whatever error
    // text the system had left over; the hang-up is what happened.
    if (error == QSerialPort::ReadError && HungUp(m_port.handle())) {
        markLost(QStringLiteral("the device hung up"));
        return true;
    }
#endif
    markLost(m_port.errorString());
    return true;
}

bool SerialLink::usable()
{
    return m_port.isOpen() && !m_dead;
}

qint64 SerialLink::write(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !usable())
        return 0;
    m_port.clearError();
    const qint64 queued = m_port.write(bytes);
    if (queued <= 0)
        return 0;
    const qint64 dropped = sendPendingWithin(m_timeouts.writeBudgetMs(bytes.size()));
    if (dropped > 0)
        checkDeviceNode();
    return queued - dropped;
}

qint64 SerialLink::sendPendingWithin(qint64 budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    // waitForBytesWritten returns after each chunk, so keep waiting until
    // everything reached the driver or the time is spent.
    while (!m_dead && m_port.bytesToWrite() > 0) {
        const qint64 remaining = budgetMs - clock.elapsed();
        if (remaining <= 0)
            break;
        if (!m_port.waitForBytesWritten(int(remaining))) {
            noteWaitFailure();
            break;
        }
    }
    const qint64 dropped = m_port.bytesToWrite();
    if (dropped > 0)
        m_port.clear(QSerialPort::Output);
    return dropped;
}

qint64 SerialLink::writeUnwaited(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !usable())
        return 0;
    qint64 taken = 0;
#ifdef Q_OS_UNIX
    // While nothing is queued in QSerialPort, a write goes straight to the
    // non-blocking descriptor: one system call, no waiting, same order.
    if (m_port.bytesToWrite() == 0) {
        const int fd = int(m_port.handle());
        ssize_t n;
        do {
            n = ::write(fd, bytes.constData(), size_t(bytes.size()));
        } while (n < 0 && errno == EINTR);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            markLost(qt_error_string(errno));
            return 0;
        }
        taken = n > 0 ? qint64(n) : 0;
        if (taken == bytes.size())
            return taken;
    }
#endif
    // The rest waits in QSerialPort's buffer until drainOutput().
    const qint64 queued = m_port.write(bytes.constData() + taken, bytes.size() - taken);
    return taken + (queued > 0 ? queued : 0);
}

qint64 SerialLink::drainOutput()
{
    if (!m_port.isOpen())
        return 0;
    const qint64 pending = m_port.bytesToWrite();
    if (pending == 0)
        return 0;
    m_port.clearError();
    const qint64 dropped = sendPendingWithin(m_timeouts.writeBudgetMs(int(qMin<qint64>(pending, 1 << 20))));
    if (dropped > 0)
        checkDeviceNode();
    return dropped;
}

QByteArray SerialLink::read(int count)
{
    QByteArray received;
    if (count <= 0 || !usable())
        return received;
    m_port.clearError();
    QElapsedTimer total;
    total.start();
    QElapsedTimer sinceLastByte;
    const qint64 budget = m_timeouts.readBudgetMs(count);
    for (;;) {
        if (m_port.bytesAvailable() > 0) {
            const QByteArray chunk = m_port.read(count - received.size());
            if (!chunk.isEmpty()) {
                received += chunk;
                sinceLastByte.start();
            }
            if (received.size() >= count)
                break;
        }
        qint64 wait = budget - total.elapsed();
        if (wait <= 0)
            break;
        if (sinceLastByte.isValid()) {
            // Once data flows, a pause longer than the interval ends the read.
            const qint64 gapLeft = m_timeouts.readIntervalMs - sinceLastByte.elapsed();
            if (gapLeft <= 0)
                break;
            wait = std::min(wait, gapLeft);
        }
        // waitForReadyRead only notices data that arrives after the call, which
        // is why the buffered bytes were taken above first.
        if (!m_port.waitForReadyRead(int(wait))) {
            if (noteWaitFailure())
                break;
            m_port.clearError();
        }
    }
    if (received.size() < count)
        checkDeviceNode();
    return received;
}

void SerialLink::purgeInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void SerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
}

#endif // !Q_OS_WIN

} // namespace tavrel
