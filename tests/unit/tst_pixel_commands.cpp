// SPDX-License-Identifier: GPL-3.0-or-later
// The command pattern end to end on a scripted link: dialog, bounds, slots,
// purge, packet, log line and reply, for Set Pixel and Read Pixel, plus the
// port open/close rules they rely on.

#include "support/TestBytes.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "support/FakeLink.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

using tavrel::testing::Bytes;

namespace {
struct Rig {
    ScriptedHost host;
    std::shared_ptr<FakeLinkState> link = std::make_shared<FakeLinkState>();
    QStringList opened;  // "name@baud" per open
    OpenFailure failWith = OpenFailure::None;
    QString adviceWith;
    PanelSession session{host, [this](const QString& name, qint32 baud) {
                             opened << QStringLiteral("%1@%2").arg(name).arg(baud);
                             OpenResult r;
                             if (failWith != OpenFailure::None) {
                                 r.failure = failWith;
                                 r.advice = adviceWith;
                             } else {
                                 r.link = std::make_unique<FakeLink>(link);
                             }
                             return r;
                         }};
    bool open() { return OpenPort(session); }
};
} // namespace

class TestPixelCommands : public QObject {
    Q_OBJECT
private slots:
    void setPixelSendsLogsAndReadsAck()
    {
        Rig rig;
        QVERIFY(rig.open());
        QCOMPARE(rig.host.status, QStringLiteral("COM Port open successful."));
        rig.link->input = Bytes({6, 6, 6});  // stale bytes from before: must be purged
        rig.link->answers = {Bytes({6})};
        rig.host.answers = {{"95", "63"}};
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{Bytes({0x50, 95, 63, 255, 255})});
        QCOMPARE(rig.host.status, QStringLiteral("Set Pixel: 80,95,63,255,255 : 5 bytes written\r\n> Command Acknowledged"));
        QVERIFY(rig.link->input.isEmpty());
        QCOMPARE(rig.session.m_lastX[0], QStringLiteral("95"));
        QCOMPARE(rig.session.m_lastY[0], QStringLiteral("63"));
    }

    void setPixelUsesForegroundColour()
    {
        Rig rig;
        rig.open();
        rig.host.foreground = MakeHostColour(153, 102, 51);
        rig.host.answers = {{"1", "2"}};
        SetPixel(rig.session);
        QCOMPARE(rig.link->writes.value(0), Bytes({0x50, 1, 2, 0x9B, 0x26}));
    }

    void outOfBoundsIsRefusedAndSlotsKept_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::newRow("x past edge") << "96" << "0";
        QTest::newRow("y past edge") << "0" << "64";
        QTest::newRow("negative x") << "-1" << "0";
    }
    void outOfBoundsIsRefusedAndSlotsKept()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        Rig rig;
        rig.open();
        rig.host.answers = {{"5", "6"}, {x, y}, {}};
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Sent);
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 1);
        QCOMPARE(rig.host.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
        QCOMPARE(rig.host.status, QStringLiteral("Set pixel bounds error."));
        // The next dialog is pre-filled with the last valid texts.
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Cancelled);
        QCOMPARE(rig.host.shown.last().value("x"), QStringLiteral("5"));
        QCOMPARE(rig.host.shown.last().value("y"), QStringLiteral("6"));
    }

    void typedTextIsRememberedNotTheNumber()
    {
        Rig rig;
        rig.open();
        rig.host.answers = {{"10px", "3"}};
        SetPixel(rig.session);
        QCOMPARE(rig.link->writes.value(0).at(1), char(10));
        QCOMPARE(rig.session.m_lastX[0], QStringLiteral("10px"));
    }

    void cancelSendsNothingAndKeepsStatus()
    {
        Rig rig;
        rig.open();
        rig.host.status = "typed by the user";
        rig.host.answers = {{}};
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Cancelled);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.link->purges, 1);  // the open's purge only
        QCOMPARE(rig.host.status, QStringLiteral("typed by the user"));
    }

    void readPixelSetsForegroundAndSharesSlotWithSetPixel()
    {
        Rig rig;
        rig.open();
        rig.host.answers = {{"7", "8"}, {"7", "8"}};
        SetPixel(rig.session);
        rig.link->answers = {Bytes({0xF8, 0x00})};
        QCOMPARE(ReadPixel(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.shown.last().value("x"), QStringLiteral("7"));
        QCOMPARE(rig.link->writes.last(), Bytes({0x52, 7, 8}));
        QCOMPARE(rig.host.status, QStringLiteral("Read Pixel: 82,7,8 : 3 bytes written"
                                                 "\r\n> Foreground color set to 16-bit color response: 248, 0"));
        QCOMPARE(rig.host.foreground, MakeHostColour(248, 0, 0));
    }

    void readPixelShortReplyKeepsColour()
    {
        Rig rig;
        rig.open();
        rig.host.answers = {{"0", "0"}};
        rig.link->answers = {Bytes({0xF8})};
        ReadPixel(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Read Pixel: 82,0,0 : 3 bytes written\r\n> Invalid color response!"));
        QCOMPARE(rig.host.foreground, kWhite);
        QCOMPARE(rig.host.foregroundSets, 0);
    }

    void replyIsAppendedToWhatTheUserTyped()
    {
        // The reader takes the window's text as it is after the log line, so a
        // host whose log line was edited keeps the edit. Simulate by a reply
        // reader run on a prepared status.
        Rig rig;
        rig.open();
        rig.host.status = "my note";
        rig.link->input = Bytes({0x15});
        rig.session.ReadAckReply();
        QCOMPARE(rig.host.status, QStringLiteral("my note\r\n> Invalid Response(21)"));
    }

    void noPortWritesNothingAndReportsNoResponse()
    {
        Rig rig;
        rig.host.answers = {{"1", "1"}, {"1", "1"}};
        QCOMPARE(SetPixel(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.status, QStringLiteral("Set Pixel: 80,1,1,255,255 : 0 bytes written\r\n> No response!"));
        ReadPixel(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Read Pixel: 82,1,1 : 0 bytes written\r\n> Invalid color response!"));
        QVERIFY(rig.opened.isEmpty());
        QVERIFY(!rig.session.everyWriteWhole());
    }

    void shortWriteShowsInTheCountAndIsRemembered()
    {
        Rig rig;
        rig.open();
        rig.host.answers = {{"1", "1"}, {"1", "1"}};
        SetPixel(rig.session);
        QVERIFY(rig.session.everyWriteWhole());
        rig.link->acceptLimit = 2;
        SetPixel(rig.session);
        QVERIFY(rig.host.status.startsWith(QStringLiteral("Set Pixel: 80,1,1,255,255 : 2 bytes written")));
        // One packet cut short is enough, whatever follows.
        rig.link->acceptLimit = -1;
        rig.host.answers = {{"1", "1"}};
        SetPixel(rig.session);
        QVERIFY(!rig.session.everyWriteWhole());
    }

    void openFailureTexts_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("text");
        QTest::newRow("create") << int(OpenFailure::Create) << "Error Creating Com Port Interface.";
        QTest::newRow("setup") << int(OpenFailure::Setup) << "Error Setting up Com Port";
        QTest::newRow("get") << int(OpenFailure::GetState) << "Error Getting Port State.";
        QTest::newRow("set") << int(OpenFailure::SetState) << "Error Setting Port State.";
        QTest::newRow("timeouts") << int(OpenFailure::SetTimeouts) << "Error Setting Port Timeouts";
    }
    void openFailureTexts()
    {
        QFETCH(int, failure);
        QFETCH(QString, text);
        Rig rig;
        rig.failWith = OpenFailure(failure);
        QVERIFY(!rig.open());
        QCOMPARE(rig.host.status, text);
        QVERIFY(!rig.session.isOpen());
        QCOMPARE(rig.host.messages, QStringList());
        // Close Port afterwards shows nothing new.
        ClosePort(rig.session);
        QCOMPARE(rig.host.status, text);
    }

    void refusedAccessKeepsTheStatusTextAndExplainsInAMessage()
    {
        Rig rig;
        rig.failWith = OpenFailure::Create;
        rig.adviceWith = QStringLiteral("To use /dev/ttyUSB0, join its group.");
        QVERIFY(!rig.open());
        QCOMPARE(rig.host.status, QStringLiteral("Error Creating Com Port Interface."));
        QCOMPARE(rig.host.messages,
                 QStringList{"Tavrel|Error Creating Com Port Interface.\nTo use /dev/ttyUSB0, join its group."});
        QVERIFY(!rig.session.isOpen());
    }

    void openUsesNameAndParsedBaud()
    {
        Rig rig;
        rig.session.m_portName = "/dev/ttyUSB7";
        rig.session.m_baudRate = "9600";
        QVERIFY(rig.open());
        QCOMPARE(rig.opened, QStringList{"/dev/ttyUSB7@9600"});
        QCOMPARE(rig.session.portLabel(), QStringLiteral("/dev/ttyUSB7, 9600"));
    }

    void reopenClosesTheFirstConnection()
    {
        Rig rig;
        QVERIFY(rig.open());
        QVERIFY(rig.open());
        QCOMPARE(rig.link->closes, 1);
        QCOMPARE(rig.host.status, QStringLiteral("COM Port open successful."));
    }

    void closeTwiceChangesNothingTheSecondTime()
    {
        Rig rig;
        rig.open();
        ClosePort(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Serial Port Closed."));
        QCOMPARE(rig.link->closes, 1);
        rig.host.status = "after";
        ClosePort(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("after"));
        QCOMPARE(rig.link->closes, 1);
    }

    void sessionDefaults()
    {
        Rig rig;
        for (int i = 0; i < kCoordinateSlots; ++i) {
            QCOMPARE(rig.session.m_lastX[i], QStringLiteral("0"));
            QCOMPARE(rig.session.m_lastY[i], QStringLiteral("0"));
        }
        QCOMPARE(rig.session.m_baudRate, QStringLiteral("115200"));
        QCOMPARE(rig.session.m_fontIndex, 0);
    }
};

QTEST_GUILESS_MAIN(TestPixelCommands)
#include "tst_pixel_commands.moc"
