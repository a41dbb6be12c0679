// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/PtyServer.h"

#include "emulator/Emulator.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <util.h>
#else
#include <pty.h>
#endif

namespace quennel {

namespace {

// Reads per readiness notification, so a client that never pauses cannot
// starve the rest of the event loop (the display window).
constexpr int kReadsPerWakeUp = 16;

QString errnoText(const char* what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyServer::PtyServer(Emulator& emulator, QObject* parent)
    : QObject(parent)
    , m_emulator(emulator)
    , m_resume(new QTimer(this))
{
    m_resume->setSingleShot(true);
    m_resume->setInterval(kNoClientBackOffMs);
    connect(m_resume, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

PtyServer::~PtyServer()
{
    closeDescriptors();
}

bool PtyServer::open(QString* errorText)
{
    auto fail = [&](const QString& text) {
        if (errorText)
            *errorText = text;
        closeDescriptors();
        return false;
    };
    if (m_master >= 0)
        return fail(QStringLiteral("already open"));

    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return fail(errnoText("openpty"));

    // Raw at once: no echo, no line editing, no control characters, 8 bits.
    termios tio {};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail(errnoText("tcgetattr"));
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail(errnoText("tcsetattr"));

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(errnoText("fcntl"));
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::readAvailable);
    return true;
}

void PtyServer::closeDescriptors()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

void PtyServer::readAvailable()
{
    char buffer[4096];
    for (int reads = 0; reads < kReadsPerWakeUp; ++reads) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            const QByteArray bytes(buffer, int(n));
            emit received(bytes);
            const QByteArray reply = m_emulator.feed(bytes);
            if (!reply.isEmpty())
                writeReply(reply);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO or end-of-file: nobody holds the slave open.
        pauseReading();
        return;
    }
}

void PtyServer::pauseReading()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_resume->start();
}

void PtyServer::writeReply(const QByteArray& reply)
{
    const char* data = reply.constData();
    qint64 left = reply.size();
    QElapsedTimer clock;
    clock.start();
    while (left > 0) {
        const ssize_t n = ::write(m_master, data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
            m_clientStalled = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The client is not reading and the terminal's buffer is full.
            // Once a reply has been dropped for that, the next ones are
            // dropped at once until the client reads again, so that a client
            // that only writes does not stall the emulator a second a reply.
            if (m_clientStalled)
                return;
            const qint64 remaining = kWriteTimeoutMs - clock.elapsed();
            pollfd pfd {m_master, POLLOUT, 0};
            if (remaining > 0 && ::poll(&pfd, 1, int(remaining)) >= 0)
                continue;
            m_clientStalled = true;
            qWarning("quennel-emu: the client is not reading; replies are dropped until it does");
            return;
        }
        qWarning("quennel-emu: dropped %lld reply bytes (%s)", static_cast<long long>(left),
                 n < 0 ? std::strerror(errno) : "no progress");
        return;
    }
}

} // namespace quennel
