// SPDX-License-Identifier: GPL-3.0-or-later
// The display-control commands on a scripted link: packets and log lines,
// Get Device Info's purge and reply, the contrast check of Oled Control,
// Dim Area's point, and choices no dialog could have made.

#include "commands/DisplayControlCommands.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

struct Rig : CommandRig<> {
    Rig() : CommandRig(20) {}
};

using Command = CommandOutcome (*)(PanelSession&);
const Command kCommands[] = {OledControlFunctions, RotateDisplay, DimArea, ScrollControl, WriteCommand, GetDeviceInfo};
enum { Oled, Rotate, Dim, Scroll, Write, Info };

} // namespace

class TestDisplayCommands : public QObject {
    Q_OBJECT
private slots:
    void packetsAndLogLines_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("answer");  // the dialog's fields in order
        QTest::addColumn<QByteArray>("packet");
        using L = QStringList;
        // Oled: function, display-off, contrast, power-off.
        QTest::newRow("contrast 15") << int(Oled) << L{"1", "1", "15", "1"} << Bytes({0x59, 1, 15});
        QTest::newRow("display off") << int(Oled) << L{"0", "1", "0", "0"} << Bytes({0x59, 0, 0});
        QTest::newRow("display on") << int(Oled) << L{"0", "0", "7", "1"} << Bytes({0x59, 0, 1});
        QTest::newRow("power off") << int(Oled) << L{"2", "0", "0", "1"} << Bytes({0x59, 2, 0});
        QTest::newRow("power on") << int(Oled) << L{"2", "1", "3", "0"} << Bytes({0x59, 2, 1});
        QTest::newRow("upside down") << int(Rotate) << L{"1"} << Bytes({0x24, 0x46, 1});
        QTest::newRow("normal") << int(Rotate) << L{"0"} << Bytes({0x24, 0x46, 0});
        QTest::newRow("dim") << int(Dim) << L{"10", "20", "1", "1"} << Bytes({0x24, 0x44, 10, 20, 1, 1});
        QTest::newRow("dim, sizes cut to a byte") << int(Dim) << L{"95", "63", "256", "-1"}
                                                  << Bytes({0x24, 0x44, 95, 63, 0, 255});
        // Scroll: function, enable, speed, horizontal step, start row, rows, vertical step.
        // Only the chosen setting's field is read.
        QTest::newRow("scroll defaults") << int(Scroll) << L{"0", "1", "1", "0", "0", "64", "1"} << Bytes({0x24, 0x53, 0, 1});
        QTest::newRow("scroll disable") << int(Scroll) << L{"0", "0", "x", "x", "x", "x", "x"} << Bytes({0x24, 0x53, 0, 0});
        QTest::newRow("scroll speed") << int(Scroll) << L{"1", "1", "3", "x", "x", "x", "x"} << Bytes({0x24, 0x53, 2, 3});
        QTest::newRow("scroll h-step") << int(Scroll) << L{"2", "1", "x", "-1", "x", "x", "x"} << Bytes({0x24, 0x53, 3, 255});
        QTest::newRow("scroll start") << int(Scroll) << L{"3", "1", "x", "x", "70", "x", "x"} << Bytes({0x24, 0x53, 4, 70});
        QTest::newRow("scroll rows") << int(Scroll) << L{"4", "1", "1", "0", "0", "64", "1"} << Bytes({0x24, 0x53, 5, 64});
        QTest::newRow("scroll v-step") << int(Scroll) << L{"5", "0", "x", "x", "x", "x", "257"} << Bytes({0x24, 0x53, 6, 1});
        QTest::newRow("inverse display") << int(Write) << L{"167"} << Bytes({0x24, 0x57, 167});
        QTest::newRow("command 256") << int(Write) << L{"256"} << Bytes({0x24, 0x57, 0});
        QTest::newRow("command -1") << int(Write) << L{"-1"} << Bytes({0x24, 0x57, 255});
        QTest::newRow("command abc") << int(Write) << L{"abc"} << Bytes({0x24, 0x57, 0});
    }
    void packetsAndLogLines()
    {
        QFETCH(int, command);
        QFETCH(QStringList, answer);
        QFETCH(QByteArray, packet);
        const QString labels[] = {"Oled Control", "Rotate Display", "Dim Area", "Scroll Control", "Write Command"};
        QStringList bytes;
        for (char b : packet)
            bytes << QString::number(quint8(b));
        Rig rig;
        rig.host.answers = {answer};
        QCOMPARE(kCommands[command](rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{packet});
        QCOMPARE(rig.host.status, QStringLiteral("%1: %2 : %3 bytes written\r\n> Command Acknowledged")
                                      .arg(labels[command], bytes.join(','))
                                      .arg(packet.size()));
        QCOMPARE(rig.link->purges, 1);  // the open's only
    }

    void logLinesOfTheExamples()
    {
        Rig rig;
        rig.host.answers = {{"1"}, {"167"}};
        RotateDisplay(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Rotate Display: 36,70,1 : 3 bytes written\r\n> Command Acknowledged"));
        WriteCommand(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Write Command: 36,87,167 : 3 bytes written\r\n> Command Acknowledged"));
    }

    void dialogsOpenWithTheirDefaults()
    {
        Rig rig;
        rig.session.m_lastX[0] = "10";
        rig.session.m_lastY[0] = "20";
        for (Command command : kCommands)
            command(rig.session);  // no answers queued: each dialog is cancelled
        QVERIFY(rig.link->writes.isEmpty());
        QStringList shown;
        for (const DialogRequest& request : rig.host.shown) {
            QStringList fields;
            for (const DialogField& field : request.fields)
                fields << (field.positional ? "" : "--") + field.name + '=' + field.value;
            shown << fields.join(' ');
        }
        QCOMPARE(shown, (QStringList{"--function=0 --display-off=0 contrast=0 --power-off=0", "--orientation=0",
                                     "x=10 y=20 width=1 height=1",
                                     "--function=0 --enable=1 speed=1 horizontal-step=0 start-row=0 row-count=64 "
                                     "vertical-step=1",
                                     "command=167", "--repeat=0"}));
    }

    void deviceInfoPurgesAndReadsFiveBytes()
    {
        Rig rig;
        rig.link->answers = {Bytes({0, 1, 2, 0x96, 0x64}), Bytes({3, 1, 1, 0x96})};
        rig.link->input = Bytes({6, 6});  // stale: not to be taken for the reply
        rig.host.answers = {{"1"}, {"0"}, {}};
        QCOMPARE(GetDeviceInfo(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.status, QStringLiteral("Get Info: 86,1 : 2 bytes written\r\n> Vexa-Oled, Hardware version: 1, "
                                                 "Firmware version: 2, Horizontal Resolution: 96, Vertical Resolution: 64"));
        GetDeviceInfo(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Get Info: 86,0 : 2 bytes written\r\n> Invalid device info response!"));
        QCOMPARE(rig.link->purges, 3);
        rig.host.status = "typed by the user";
        QCOMPARE(GetDeviceInfo(rig.session), CommandOutcome::Cancelled);
        QCOMPARE(rig.link->writes, (QVector<QByteArray>{Bytes({0x56, 1}), Bytes({0x56, 0})}));
        QCOMPARE(rig.link->purges, 3);
        QCOMPARE(rig.host.status, QStringLiteral("typed by the user"));
    }

    void contrastEntryCheck_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("value");
        const QString integer = QStringLiteral("Please enter an integer.");
        const QString range = QStringLiteral("Please enter an integer between 0 and 15.");
        QTest::newRow("15") << "15" << QString() << 15;
        QTest::newRow("blanks and sign") << " +7 " << QString() << 7;
        QTest::newRow("leading zeros") << "0012" << QString() << 12;
        QTest::newRow("minus zero") << "-0" << QString() << 0;
        QTest::newRow("16") << "16" << range << -1;
        QTest::newRow("-1") << "-1" << range << -1;
        QTest::newRow("huge") << "99999999999999999999" << range << -1;
        QTest::newRow("empty") << "" << integer << -1;
        QTest::newRow("trailing letters") << "12abc" << integer << -1;
        QTest::newRow("decimal") << "1.5" << integer << -1;
        QTest::newRow("sign only") << "-" << integer << -1;
    }
    void contrastEntryCheck()
    {
        QFETCH(QString, entry);
        QFETCH(QString, problem);
        QFETCH(int, value);
        int contrast = -1;
        QCOMPARE(ContrastEntryProblem(entry, &contrast), problem);
        QCOMPARE(contrast, value);
    }

    void answersNoDialogCouldGiveAreRefused_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QString>("message");
        // The contrast is checked whichever function is chosen.
        QTest::newRow("contrast 16") << int(Oled) << QStringList{"0", "0", "16", "0"}
                                     << "Please enter an integer between 0 and 15.";
        QTest::newRow("contrast x") << int(Oled) << QStringList{"2", "0", "x", "0"} << "Please enter an integer.";
        QTest::newRow("oled function 3") << int(Oled) << QStringList{"3", "0", "1", "0"}
                                         << "\"3\" is not a choice for function (one of 0, 1, 2).";
        QTest::newRow("portrait") << int(Rotate) << QStringList{"2"} << "\"2\" is not a choice for orientation (one of 0, 1).";
        QTest::newRow("scroll enable yes") << int(Scroll) << QStringList{"0", "yes"}
                                           << "\"yes\" is not a choice for enable (one of 0, 1).";
        QTest::newRow("repeat 5") << int(Info) << QStringList{"5"} << "\"5\" is not a choice for repeat (one of 0, 1).";
    }
    void answersNoDialogCouldGiveAreRefused()
    {
        QFETCH(int, command);
        QFETCH(QStringList, answer);
        QFETCH(QString, message);
        Rig rig;
        rig.host.answers = {answer};
        QCOMPARE(kCommands[command](rig.session), CommandOutcome::Refused);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.host.messages, QStringList{"Tavrel|" + message});
    }

    void dimAreaChecksItsPointAndSharesSlotZero()
    {
        Rig rig;
        rig.host.answers = {{"96", "0", "1", "1"}, {"5", "6", "1", "1"}, {}};
        QCOMPARE(DimArea(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.host.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
        QCOMPARE(rig.host.status, QStringLiteral("Set pixel bounds error."));
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.session.m_lastX[0], QStringLiteral("0"));
        DimArea(rig.session);
        SetPixel(rig.session);
        QCOMPARE(rig.host.shown.last().value("x"), QStringLiteral("5"));
        QCOMPARE(rig.host.shown.last().value("y"), QStringLiteral("6"));
    }
};

QTEST_GUILESS_MAIN(TestDisplayCommands)
#include "tst_display_commands.moc"
