// SPDX-License-Identifier: GPL-3.0-or-later
// The serial link over a real pseudo-terminal: time-outs, purge, exclusive
// open and the settings put back at close.

#include "link/SerialLink.h"
#include "support/EmulatorProcess.h"

#include <QElapsedTimer>
#include <QtTest>

#include <termios.h>

using namespace tavrel;

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void writeAndReadRoundTrip()
    {
        SilentPty pty;
        OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(opened.link);
        QCOMPARE(opened.link->write(QByteArray("\x50\x01\x02\xff\xff", 5)), qint64(5));
        QByteArray sent;
        QTRY_COMPARE(sent += pty.drainMaster(), QByteArray("\x50\x01\x02\xff\xff", 5));
        QVERIFY(pty.writeToMaster(QByteArray("\x06\x0f", 2)));
        QCOMPARE(opened.link->read(2), QByteArray("\x06\x0f", 2));
    }

    void readWithoutAnswerEndsAtTheTotalTimeout()
    {
        SilentPty pty;
        OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(opened.link);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(opened.link->read(1), QByteArray());
        const qint64 elapsed = clock.elapsed();
        // 500 ms + 10 ms for one byte; generous upper bound for loaded machines.
        QVERIFY2(elapsed >= 490 && elapsed < 2500, qPrintable(QString::number(elapsed)));
    }

    void pauseBetweenBytesEndsTheRead()
    {
        SilentPty pty;
        OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(opened.link);
        QVERIFY(pty.writeToMaster("ab"));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(opened.link->read(100), QByteArray("ab"));
        // The total budget would be 1500 ms; the 100 ms gap ends it long before.
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    void purgeDropsOnlyWhatWasReceived()
    {
        SilentPty pty;
        QVERIFY(pty.writeToMaster("stale-before-open"));
        OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(opened.link);
        QVERIFY(pty.writeToMaster("stale-after-open"));
        QTest::qWait(50);
        opened.link->purgeInput();
        QVERIFY(pty.writeToMaster("\x06"));
        QCOMPARE(opened.link->read(1), QByteArray("\x06"));
        // Output is untouched by a purge of the input side.
        QCOMPARE(opened.link->write("xyz"), qint64(3));
        QByteArray sent;
        QTRY_COMPARE(sent += pty.drainMaster(), QByteArray("xyz"));
    }

    void openIsExclusive()
    {
        SilentPty pty;
        OpenResult first = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(first.link);
        OpenResult second = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(!second.link);
        QCOMPARE(second.failure, OpenFailure::Create);
        first.link->close();
        OpenResult third = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(third.link);
    }

    void missingDeviceAndBadBaud()
    {
        QCOMPARE(SerialLink::open(QStringLiteral("/dev/tavrel-no-such-device"), 115200).failure, OpenFailure::Create);
        SilentPty pty;
        OpenResult bad = SerialLink::open(pty.slavePath(), 0);
        QVERIFY(!bad.link);
        QCOMPARE(bad.failure, OpenFailure::SetState);
        // The failed open released the device again.
        QVERIFY(SerialLink::open(pty.slavePath(), 9600).link);
    }

    void settingsArePutBackAtClose()
    {
        // A pseudo-terminal always keeps 8 data bits and no parity, so the
        // check uses what it does keep: the speed and the line discipline.
        SilentPty pty;
        termios before {};
        QCOMPARE(tcgetattr(pty.slaveFd(), &before), 0);
        cfsetispeed(&before, B4800);
        cfsetospeed(&before, B4800);
        before.c_lflag |= ECHO | ICANON;
        QCOMPARE(tcsetattr(pty.slaveFd(), TCSANOW, &before), 0);

        OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
        QVERIFY(opened.link);
        termios during {};
        QCOMPARE(tcgetattr(pty.slaveFd(), &during), 0);
        QCOMPARE(cfgetospeed(&during), speed_t(B115200));
        QCOMPARE(during.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(during.c_lflag & (ECHO | ICANON), tcflag_t(0));

        opened.link->close();
        termios after {};
        QCOMPARE(tcgetattr(pty.slaveFd(), &after), 0);
        QCOMPARE(cfgetospeed(&after), speed_t(B4800));
        QCOMPARE(after.c_lflag & (ECHO | ICANON), tcflag_t(ECHO | ICANON));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_serial_link.moc"
