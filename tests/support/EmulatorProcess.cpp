// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EmulatorProcess.h"
#include "support/CliRunner.h"

#include <QDeadlineTimer>
#include <QFile>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#else
#include <pty.h>
#endif
#endif

EmulatorProcess::EmulatorProcess(const QStringList& extraArguments, int startTimeoutMs)
{
#ifdef TAVREL_TEST_HAVE_QUENNEL_EMU
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // Should the test crash, its emulator goes with it instead of lingering.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_process.start(tavrel::testing::BuiltProgram(QStringLiteral("quennel-emu")), QStringList{QStringLiteral("--headless")} + extraArguments);
    if (!m_process.waitForStarted(startTimeoutMs)) {
        m_error = QStringLiteral("quennel-emu did not start: %1").arg(m_process.errorString());
        return;
    }
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("quennel-emu ended before printing its device path");
            return;
        }
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("quennel-emu printed no device path within %1 ms").arg(startTimeoutMs);
            return;
        }
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 100)));
    }
    m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (m_ptyPath.isEmpty())
        m_error = QStringLiteral("quennel-emu printed an empty first line");
#else
    Q_UNUSED(extraArguments);
    Q_UNUSED(startTimeoutMs);
    m_error = QStringLiteral("quennel-emu is not built on this platform");
#endif
}

EmulatorProcess::~EmulatorProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool EmulatorProcess::terminateCleanly(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return false;
    m_process.terminate();
    if (!m_process.waitForFinished(timeoutMs))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

#ifndef Q_OS_WIN

SilentPty::SilentPty()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    termios tio {};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
}

SilentPty::~SilentPty()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray SilentPty::drainMaster()
{
    QByteArray all;
    if (m_master < 0)
        return all;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            all.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return all;
    }
}

bool SilentPty::writeToMaster(const QByteArray& bytes)
{
    if (m_master < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
    return true;
}

HeldPipe::HeldPipe(const QString& path, bool full)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkfifo(name.constData(), 0600) != 0)
        return;
    // Reading end first: the writing ends then open without waiting.
    m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
#ifdef F_SETPIPE_SZ
    ::fcntl(m_fd, F_SETPIPE_SZ, 4096);
#endif
    if (!full)
        return;
    const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer < 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    const QByteArray filling(4096, '#');
    for (;;) {
        const ssize_t n = ::write(writer, filling.constData(), size_t(filling.size()));
        if (n > 0)
            m_filling += n;
        else if (!(n < 0 && errno == EINTR))
            break;
    }
    ::close(writer);
}

HeldPipe::~HeldPipe()
{
    if (m_fd >= 0)
        ::close(m_fd);
    QFile::remove(m_path);
}

QByteArray HeldPipe::take()
{
    QByteArray all;
    char buffer[4096];
    while (m_fd >= 0) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            const qsizetype skipped = qMin<qsizetype>(m_filling, n);
            m_filling -= skipped;
            all.append(buffer + skipped, n - skipped);
        } else if (!(n < 0 && errno == EINTR)) {
            break;
        }
    }
    return all;
}

QByteArray HeldPipe::takeToEnd(int timeoutMs)
{
    QByteArray all;
    const QDeadlineTimer deadline(timeoutMs);
    while (m_fd >= 0 && !deadline.hasExpired()) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, int(qMin<qint64>(deadline.remainingTime(), 100))) <= 0)
            continue;
        const QByteArray taken = take();
        all += taken;
        // Readable with nothing to read: every writer has closed its end.
        if (taken.isEmpty() && m_filling == 0 && (ready.revents & POLLHUP))
            break;
    }
    return all;
}

#else

HeldPipe::HeldPipe(const QString& path, bool) : m_path(path) {}
HeldPipe::~HeldPipe() = default;
QByteArray HeldPipe::take() { return QByteArray(); }
QByteArray HeldPipe::takeToEnd(int) { return QByteArray(); }

SilentPty::SilentPty() = default;
SilentPty::~SilentPty() = default;
QByteArray SilentPty::drainMaster() { return QByteArray(); }
bool SilentPty::writeToMaster(const QByteArray&) { return false; }

#endif
