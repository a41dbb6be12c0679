// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli against quennel-emu over a pseudo-terminal, against a silent
// line, a missing device and the in-process emulator.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"

#include <QtTest>

using namespace tavrel::testing;

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_emulator = std::make_unique<EmulatorProcess>();
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void setPixelIsAcknowledged()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "set-pixel", "95", "63"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Set Pixel: 80,95,63,255,255 : 5 bytes written\n> Command Acknowledged\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void readPixelReturnsAColourSetBefore()
    {
        // Each call is its own client of the same emulator; the module keeps
        // its picture between them.
        QCOMPARE(RunCli({"--port", m_emulator->ptyPath(), "--fg", "FF8000", "set-pixel", "3", "4"}).exitCode, 0);
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "read-pixel", "3", "4"});
        // 0xFF8000 -> RGB565 0xFC00 -> bytes 252, 0.
        QCOMPARE(run.out, QStringLiteral("Read Pixel: 82,3,4 : 3 bytes written\n"
                                         "> Foreground color set to 16-bit color response: 252, 0\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void fieldTextsConvertAsTheDialogDoes()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "set-pixel", "10px", "abc"});
        QVERIFY2(run.out.startsWith(QStringLiteral("Set Pixel: 80,10,0,255,255 : 5 bytes written")), qPrintable(run.out));
        QCOMPARE(run.exitCode, 0);
    }

    void outOfBoundsIsRefused_data()
    {
        QTest::addColumn<QStringList>("point");
        QTest::newRow("x 96") << QStringList{"96", "0"};
        QTest::newRow("y 64") << QStringList{"0", "64"};
        QTest::newRow("negative") << QStringList{"-1", "0"};
    }
    void outOfBoundsIsRefused()
    {
        QFETCH(QStringList, point);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath(), "set-pixel"} + point);
        QCOMPARE(run.out, QStringLiteral("Set pixel bounds error.\n"));
        QCOMPARE(run.err, QStringLiteral("Pixel out of bounds!\n"));
        QCOMPARE(run.exitCode, 1);
    }

    void missingDeviceFailsToOpen()
    {
        const CliRun run = RunCli({"--port", "/dev/tavrel-no-such-device", "set-pixel", "1", "1"});
        QCOMPARE(run.out, QStringLiteral("Error Creating Com Port Interface.\n"));
        QCOMPARE(run.exitCode, 1);
    }

    void silentLineGivesNoResponseAfterAboutHalfASecond()
    {
        SilentPty silent;
        QVERIFY(silent.isOpen());
        const CliRun run = RunCli({"--port", silent.slavePath(), "set-pixel", "1", "2"});
        QCOMPARE(run.out, QStringLiteral("Set Pixel: 80,1,2,255,255 : 5 bytes written\n> No response!\n"));
        QCOMPARE(run.exitCode, 0);
        // The reply wait is 10 ms plus a 510 ms read time-out: the whole run
        // takes at least that, and nowhere near several seconds.
        QVERIFY2(run.elapsedMs >= 500, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY2(run.elapsedMs < 4000, qPrintable(QString::number(run.elapsedMs)));
        QCOMPARE(silent.drainMaster(), QByteArray::fromHex("500102ffff"));
    }

    void inProcessEmulator()
    {
        const CliRun run = RunCli({"--port", "emulator", "read-pixel", "0", "0"});
        QCOMPARE(run.out, QStringLiteral("Read Pixel: 82,0,0 : 3 bytes written\n"
                                         "> Foreground color set to 16-bit color response: 0, 0\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void usageErrors()
    {
        QCOMPARE(RunCli({}).exitCode, 2);
        QCOMPARE(RunCli({"no-such-command"}).exitCode, 2);
        QCOMPARE(RunCli({"--fg", "red", "set-pixel"}).exitCode, 2);
        const CliRun help = RunCli({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("set-pixel X Y")));
        QVERIFY(help.out.contains(QStringLiteral("read-pixel X Y")));
    }

private:
    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
