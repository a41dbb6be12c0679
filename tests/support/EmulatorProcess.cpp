// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EmulatorProcess.h"

#include <QDeadlineTimer>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
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
#ifdef QUENNEL_EMU_PATH
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // Should the test crash, its emulator goes with it instead of lingering.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_process.start(QStringLiteral(QUENNEL_EMU_PATH), QStringList{QStringLiteral("--headless")} + extraArguments);
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

#else

SilentPty::SilentPty() = default;
SilentPty::~SilentPty() = default;
QByteArray SilentPty::drainMaster() { return QByteArray(); }
bool SilentPty::writeToMaster(const QByteArray&) { return false; }

#endif
