// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli runs the drawing and display-control commands against
// quennel-emu over a pseudo-terminal: the exact status text of each command
// with its acknowledgement, the refusals and their exit status, and the
// bytes on a line nobody answers.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"

#include <QtTest>

using namespace tavrel::testing;

class TestCliDrawing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_emulator = std::make_unique<EmulatorProcess>();
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void commandsAreSentAndAcknowledged_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("log");
        using L = QStringList;
        QTest::newRow("line") << L{"draw-line", "0", "0", "95", "63"} << "Draw Line: 76,0,0,95,63,255,255 : 7 bytes written";
        QTest::newRow("rectangle") << L{"draw-rectangle", "0", "0", "95", "63"}
                                   << "Draw Rectangle: 114,0,0,95,63,255,255 : 7 bytes written";
        QTest::newRow("triangle") << L{"--fg", "996633", "draw-triangle", "1", "2", "3", "4", "5", "6"}
                                  << "Draw Triangle: 71,1,2,3,4,5,6,155,38 : 9 bytes written";
        QTest::newRow("circle") << L{"draw-circle", "48", "32"} << "Draw Circle: 67,48,32,3,255,255 : 6 bytes written";
        QTest::newRow("polygon")
            << L{"draw-polygon", "--vertices=7", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"}
            << "Draw Polygon: 103, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255, 255, : 18 bytes written";
        QTest::newRow("copy area") << L{"copy-area", "4", "5"} << "Copy Area: 99,4,5,0,0,8,8,255,255 : 9 bytes written";
        QTest::newRow("clear") << L{"clear-screen"} << "Erase Screen: 69 : 1 bytes written";
        QTest::newRow("background") << L{"--bg", "0000FF", "set-background-color"}
                                    << "Set Background Color: 66,0,31 : 3 bytes written";
        QTest::newRow("wire frame") << L{"set-wireframe-mode"} << "Pen Size=1: 112,1 : 2 bytes written";
        QTest::newRow("solid") << L{"set-solid-mode"} << "Pen Size=0: 112,0 : 2 bytes written";
        QTest::newRow("display off") << L{"oled-control-functions", "--display-off"} << "Oled Control: 89,0,0 : 3 bytes written";
        QTest::newRow("contrast") << L{"oled-control-functions", "--function=1", "15"} << "Oled Control: 89,1,15 : 3 bytes written";
        QTest::newRow("power on") << L{"oled-control-functions", "--function=2"} << "Oled Control: 89,2,1 : 3 bytes written";
        QTest::newRow("rotate") << L{"rotate-display", "--orientation=1"} << "Rotate Display: 36,70,1 : 3 bytes written";
        QTest::newRow("dim") << L{"dim-area", "10", "20"} << "Dim Area: 36,68,10,20,1,1 : 6 bytes written";
        QTest::newRow("scroll rows") << L{"scroll-control", "--function=4"} << "Scroll Control: 36,83,5,64 : 4 bytes written";
        QTest::newRow("scroll off") << L{"scroll-control", "--enable=0"} << "Scroll Control: 36,83,0,0 : 4 bytes written";
        // Options as --name VALUE, wherever they stand.
        QTest::newRow("power off spaced") << L{"oled-control-functions", "--function", "2", "--power-off"}
                                          << "Oled Control: 89,2,0 : 3 bytes written";
        QTest::newRow("rotate spaced") << L{"rotate-display", "--orientation", "0"} << "Rotate Display: 36,70,0 : 3 bytes written";
        QTest::newRow("scroll rows spaced") << L{"scroll-control", "3", "5", "10", "20", "2", "--function", "4"}
                                            << "Scroll Control: 36,83,5,20 : 4 bytes written";
        QTest::newRow("write command") << L{"write-command", "256"} << "Write Command: 36,87,0 : 3 bytes written";
    }
    void commandsAreSentAndAcknowledged()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, log);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath()} + arguments);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, log + QStringLiteral("\n> Command Acknowledged\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void deviceInfoIsRead()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "get-device-info", "--repeat"});
        QVERIFY2(run.out.startsWith("Get Info: 86,1 : 2 bytes written\n> Vexa-Oled, Hardware version: "), qPrintable(run.out));
        QVERIFY2(run.out.endsWith("Horizontal Resolution: 96, Vertical Resolution: 64\n"), qPrintable(run.out));
        QCOMPARE(run.exitCode, 0);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString bounds = QStringLiteral("Set pixel bounds error.\n");
        const QString boundsBox = QStringLiteral("Pixel out of bounds!\n");
        const QString open = QStringLiteral("COM Port open successful.\n");
        QTest::newRow("triangle") << QStringList{"draw-triangle", "1", "1", "2", "2", "96", "10"} << bounds << boundsBox;
        QTest::newRow("unused polygon row") << QStringList{"draw-polygon", "1", "1", "2", "2", "3", "3", "4", "4", "100"}
                                            << bounds << boundsBox;
        QTest::newRow("dim") << QStringList{"dim-area", "-1", "0"} << bounds << boundsBox;
        QTest::newRow("contrast 16") << QStringList{"oled-control-functions", "--function=1", "16"} << open
                                     << "Please enter an integer between 0 and 15.\n";
        QTest::newRow("contrast text") << QStringList{"oled-control-functions", "bright"} << open
                                       << "Please enter an integer.\n";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath()} + arguments);
        QCOMPARE(run.out, out);
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, 1);
    }

    void bytesOnASilentLine()
    {
        SilentPty silent;
        QVERIFY(silent.isOpen());
        const CliRun run = RunCli({"--port", silent.slavePath(), "draw-polygon", "--vertices=4", "1", "2", "3", "4", "5",
                                   "6", "7", "8", "9", "10"});
        QCOMPARE(run.out, QStringLiteral("Draw Polygon: 103, 4, 1, 2, 3, 4, 5, 6, 7, 8, 255, 255, : 12 bytes written\n"
                                         "> No response!\n"));
        QCOMPARE(silent.drainMaster(), QByteArray::fromHex("67040102030405060708ffff"));
    }

    void helpDocumentsArgumentsAndOptions()
    {
        const CliRun help = RunCli({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const char* text : {"draw-polygon [X1 Y1 ... X7 Y7] [--vertices=N]", "set-wireframe-mode",
                                 "copy-area [SRC-X SRC-Y WIDTH HEIGHT DST-X DST-Y]", "get-device-info [--repeat]",
                                 "oled-control-functions [CONTRAST] [--function=F] [--display-off] [--power-off]",
                                 "rotate-display [--orientation=N]",
                                 "scroll-control [SPEED H-STEP START-ROW ROWS V-STEP] [--function=F] [--enable]",
                                 "write-command [BYTE]"})
            QVERIFY2(help.out.contains(QLatin1String(text)), text);
    }

private:
    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCliDrawing)
#include "tst_cli_drawing.moc"
