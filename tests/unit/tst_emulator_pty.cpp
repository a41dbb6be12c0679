// SPDX-License-Identifier: GPL-3.0-or-later
// quennel-emu as a separate program on a pseudo-terminal: clients come and
// go, the emulator and its frame stay; plus the silent terminal of the test
// support.

#include "support/TestBytes.h"
#include "support/EmulatorProcess.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using tavrel::testing::Bytes;

namespace {

bool openPort(QSerialPort& port, const QString& path)
{
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.setBaudRate(115200);
    port.clear(QSerialPort::Input);
    return true;
}

// Writes the request and collects up to `count` reply bytes, waiting at most
// `timeoutMs` for all of them.
QByteArray transact(QSerialPort& port, const QByteArray& request, int count, int timeoutMs = 5000)
{
    port.write(request);
    port.waitForBytesWritten(timeoutMs);
    const QDeadlineTimer deadline(timeoutMs);
    while (port.bytesAvailable() < count && !deadline.hasExpired())
        port.waitForReadyRead(int(std::clamp<qint64>(deadline.remainingTime(), 1, 100)));
    return port.read(count);
}

} // namespace

class TestEmulatorPty : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void clientsComeAndGo();
    void manyCommandsInOneWrite();
    void silentPtyNeverAnswers();
};

void TestEmulatorPty::initTestCase()
{
#ifndef TAVREL_TEST_HAVE_QUENNEL_EMU
    QSKIP("quennel-emu is not built on this platform");
#endif
}

void TestEmulatorPty::clientsComeAndGo()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString frameFile = dir.filePath(QStringLiteral("frame.png"));

    EmulatorProcess emulator({QStringLiteral("--frame-file"), frameFile});
    QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
    QVERIFY(emulator.ptyPath().startsWith(QStringLiteral("/dev/")));
    QVERIFY(QFile::exists(frameFile)); // written at start

    {
        QSerialPort first;
        QVERIFY2(openPort(first, emulator.ptyPath()), qPrintable(first.errorString()));
        QCOMPARE(transact(first, Bytes({0x50, 95, 63, 0xF8, 0x00}), 1), Bytes({0x06}));
        first.close();
    }
    // The frame file is current once the reply has come.
    QCOMPARE(QImage(frameFile).pixel(95, 63), qRgb(255, 0, 0));

    for (int client = 2; client <= 3; ++client) {
        QSerialPort next;
        QVERIFY2(openPort(next, emulator.ptyPath()), qPrintable(next.errorString()));
        // The pixel of the first client is still there.
        QCOMPARE(transact(next, Bytes({0x52, 95, 63}), 2), Bytes({0xF8, 0x00}));
        QCOMPARE(transact(next, Bytes({0x50, 0, 0, 0x00, 0x1F}), 1), Bytes({0x06}));
        next.close();
    }
    QCOMPARE(emulator.process().state(), QProcess::Running);
    QVERIFY(emulator.terminateCleanly());
}

void TestEmulatorPty::manyCommandsInOneWrite()
{
    EmulatorProcess emulator;
    QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
    QSerialPort port;
    QVERIFY2(openPort(port, emulator.ptyPath()), qPrintable(port.errorString()));

    // 96 x 64 pixels at 16 bits, then a probe: the stream arrives in many
    // pieces and must still be framed as one image.
    QByteArray image = Bytes({0x49, 0, 0, 96, 64, 16});
    for (int i = 0; i < 96 * 64; ++i)
        image += Bytes({(i >> 8) & 0xFF, i & 0xFF});
    QCOMPARE(transact(port, image + Bytes({0x52, 5, 1}), 3, 10000), Bytes({0x06, 0x00, 101}));

    QByteArray pixels;
    for (int x = 0; x < 96; ++x)
        pixels += Bytes({0x50, x, 10, 0xFF, 0xFF});
    QCOMPARE(transact(port, pixels, 96, 10000), QByteArray(96, 0x06));
}

void TestEmulatorPty::silentPtyNeverAnswers()
{
    SilentPty pty;
    QVERIFY(pty.isOpen());
    QSerialPort port;
    QVERIFY2(openPort(port, pty.slavePath()), qPrintable(port.errorString()));

    QCOMPARE(transact(port, Bytes({0x56, 0}), 1, 200), QByteArray());
    QByteArray written;
    QTRY_COMPARE_WITH_TIMEOUT(written += pty.drainMaster(), Bytes({0x56, 0}), 5000);
    QCOMPARE(pty.drainMaster(), QByteArray());
}

QTEST_GUILESS_MAIN(TestEmulatorPty)
#include "tst_emulator_pty.moc"
