// SPDX-License-Identifier: GPL-3.0-or-later
// quennel-emu survives noise on its pseudo-terminal: a few hundred KB of
// random bytes (fixed seed) poured in while its replies are read, then the
// resynchronising zeros, and it still answers Set Pixel, Read Pixel and Get
// Device Info exactly, keeps its memory bounded and stops cleanly.

#include "emulator/CommandFramer.h"
#include "support/CommandStreams.h"
#include "support/EmulatorProcess.h"
#include "support/TestBytes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using tavrel::testing::Bytes;
using tavrel::testing::Hex;
using tavrel::testing::StreamBuilder;

namespace {

constexpr quint32 kNoiseSeed = 0x401CE;
constexpr int kNoiseBytes = 300 * 1024;

// A pixel set and read back in a colour of its own, and the device
// information: answers that noise does not end with by chance.
const QByteArray kProbe = Bytes({0x50, 0, 0, 0x12, 0x34, 0x52, 0, 0, 0x56, 0x00});
const QByteArray kProbeAnswer = Bytes({0x06, 0x12, 0x34, 0x00, 0x01, 0x01, 0x96, 0x64});

// A client of the pseudo-terminal that writes and reads at the same time, as
// a host with a full-duplex line does, so neither side's buffer fills up.
class PtyClient {
public:
    explicit PtyClient(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return;
        termios tio {};
        if (::tcgetattr(m_fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
        ::tcflush(m_fd, TCIFLUSH);
    }
    ~PtyClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool isOpen() const { return m_fd >= 0; }
    // Throws away replies not read yet, as a host's purge does.
    void purge() { ::tcflush(m_fd, TCIFLUSH); }
    QByteArray& received() { return m_received; }

    // Writes all of `bytes`, reading replies meanwhile unless told not to;
    // false on an error or when the deadline passes first.
    bool send(const QByteArray& bytes, QDeadlineTimer deadline, bool readReplies = true)
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            if (deadline.hasExpired())
                return false;
            pollfd pfd {m_fd, short(readReplies ? POLLIN | POLLOUT : POLLOUT), 0};
            if (::poll(&pfd, 1, 100) < 0 && errno != EINTR)
                return false;
            if (readReplies && !drain())
                return false;
            if (pfd.revents & POLLOUT) {
                const ssize_t n = ::write(m_fd, bytes.constData() + sent, size_t(qMin<qsizetype>(bytes.size() - sent, 4096)));
                if (n > 0)
                    sent += n;
                else if (n < 0 && errno != EAGAIN && errno != EINTR)
                    return false;
            }
        }
        return true;
    }

    // Reads until what was received ends with `tail`, or the deadline.
    bool waitForTail(const QByteArray& tail, QDeadlineTimer deadline)
    {
        while (!m_received.endsWith(tail)) {
            if (deadline.hasExpired())
                return false;
            pollfd pfd {m_fd, POLLIN, 0};
            ::poll(&pfd, 1, 100);
            if (!drain())
                return false;
        }
        return true;
    }

private:
    bool drain()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                m_received.append(buffer, int(n));
                continue;
            }
            return n == 0 || errno == EAGAIN || errno == EINTR;
        }
    }

    int m_fd = -1;
    QByteArray m_received;
};

// The process's peak resident memory in KiB, from /proc (0 where unknown).
qint64 peakMemoryKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

} // namespace

class TestEmulatorNoiseOverPty : public QObject {
    Q_OBJECT

private slots:
    void survivesRandomBytes();
    void clientThatNeverReadsDoesNotStallIt();
};

void TestEmulatorNoiseOverPty::survivesRandomBytes()
{
#ifndef TAVREL_TEST_HAVE_QUENNEL_EMU
    QSKIP("quennel-emu is not built on this platform");
#else
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    EmulatorProcess emulator({QStringLiteral("--card"), temp.filePath(QStringLiteral("card"))});
    QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
    PtyClient client(emulator.ptyPath());
    QVERIFY2(client.isOpen(), qPrintable(emulator.ptyPath()));

    const QByteArray noise = StreamBuilder(kNoiseSeed).randomBytes(kNoiseBytes);
    QVERIFY2(client.send(noise, QDeadlineTimer(120000)),
             qPrintable(QStringLiteral("the noise (seed 0x%1) could not be written").arg(kNoiseSeed, 0, 16)));
    QCOMPARE(emulator.process().state(), QProcess::Running);
    QVERIFY(!client.received().isEmpty());

    // The zeros a host sends to get back to a command boundary, then the probe.
    const QByteArray zeros(quennel::CommandFramer::kResyncZeros, '\0');
    QVERIFY(client.send(zeros + kProbe, QDeadlineTimer(120000)));
    QVERIFY2(client.waitForTail(kProbeAnswer, QDeadlineTimer(60000)),
             qPrintable(QStringLiteral("noise seed 0x%1; the last bytes received: %2")
                            .arg(kNoiseSeed, 0, 16)
                            .arg(Hex(client.received().right(32)))));

    const qint64 peak = peakMemoryKiB(emulator.process().processId());
    QVERIFY2(peak < 1024 * 1024, qPrintable(QStringLiteral("peak memory %1 KiB").arg(peak)));
    QVERIFY(emulator.terminateCleanly());
#endif
}

// A client that pours bytes in without reading fills the terminal with
// replies. The emulator gives up on its replies after one second and from
// then on drops them at once, so the bytes keep flowing; before, it waited a
// second for every read, and 400 KB took more than a minute and a half.
void TestEmulatorNoiseOverPty::clientThatNeverReadsDoesNotStallIt()
{
#ifndef TAVREL_TEST_HAVE_QUENNEL_EMU
    QSKIP("quennel-emu is not built on this platform");
#else
    EmulatorProcess emulator;
    QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
    PtyClient client(emulator.ptyPath());
    QVERIFY2(client.isOpen(), qPrintable(emulator.ptyPath()));

    const QByteArray noise = StreamBuilder(kNoiseSeed + 1).randomBytes(400 * 1024);
    QVERIFY2(client.send(noise, QDeadlineTimer(40000), false),
             "400 KB sent without reading did not go through within 40 s");

    client.purge();
    const QByteArray zeros(quennel::CommandFramer::kResyncZeros, '\0');
    QVERIFY(client.send(zeros + kProbe, QDeadlineTimer(60000)));
    QVERIFY2(client.waitForTail(kProbeAnswer, QDeadlineTimer(60000)), qPrintable(Hex(client.received().right(32))));
    QVERIFY(emulator.terminateCleanly());
#endif
}

QTEST_GUILESS_MAIN(TestEmulatorNoiseOverPty)
#include "tst_emulator_noise_over_pty.moc"
