// SPDX-License-Identifier: GPL-3.0-or-later
// The card commands on a scripted link: packets, log lines, refusals, the
// order of message boxes and writes, and the two reading loops — including a
// module that answers at once, one that stops exactly at the count, and one
// that never stops sending.

#include "sdcard/CardReading.h"
#include "sdcard/SdCommands.h"
#include "link/PortCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// A host that remembers, for each message box, what the status window held
// and how many packets had been written when it appeared.
class OrderHost final : public PanelHost {
public:
    explicit OrderHost(const FakeLinkState& link) : m_link(link) {}

    QString status;
    QStringList events;              // "message:<text>|writes:<n>|status:<status>"
    QVector<DialogRequest> shown;    // every dialog is answered with OK

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return kWhite; }
    void setForegroundColour(HostColour) override {}
    HostColour backgroundColour() const override { return kBlack; }
    void showMessage(const QString& text, const QString&) override
    {
        events << QStringLiteral("message:%1|writes:%2|status:%3").arg(text).arg(m_link.writes.size()).arg(status);
    }
    bool runDialog(DialogRequest& request) override
    {
        shown.push_back(request);
        return true;
    }
    void showReceivedText(const QString&, const QString&) override {}

private:
    const FakeLinkState& m_link;
};

using Rig = CommandRig<>;

// A module that keeps sending one byte after another, a few milliseconds
// apart, for ever.
class EndlessLink final : public Link {
public:
    qint64 write(const QByteArray& bytes) override { return bytes.size(); }
    QByteArray read(int count) override
    {
        QThread::msleep(5);
        return QByteArray(count, 'A');
    }
    void purgeInput() override { ++purges; }
    void close() override {}
    int purges = 0;
};

QByteArray Text(const char* text)
{
    return QByteArray(text);
}

using Command = CommandOutcome (*)(PanelSession&);

} // namespace

class TestSdCommands : public QObject {
    Q_OBJECT
private slots:
    void commandsSendTheirPacketAndLogLine_data()
    {
        QTest::addColumn<void*>("command");
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("log");
        auto row = [](const char* name, Command c, QStringList answer, QByteArray packet, const char* log) {
            QTest::newRow(name) << reinterpret_cast<void*>(c) << answer << packet << QString::fromLatin1(log);
        };
        row("close", CloseFile, {}, Bytes({64, 67}), "Close open file on SD card: 64, 67, : 2 bytes written");
        row("erase", EraseFile, {"A.TXT"}, Bytes({64, 69, 65, 46, 84, 88, 84, 0}),
            "Erase file: 64, 69, 65, 46, 84, 88, 84, 0, : 8 bytes written");
        row("open to write, empty name", OpenFileToWrite, {""}, Bytes({64, 87, 0}),
            "Open file for writing: 64, 87, 0, : 3 bytes written");
        row("open to read", OpenFileToRead, {"a"}, Bytes({64, 82, 97, 0}),
            "Open file for reading: 64, 82, 97, 0, : 4 bytes written");
        row("show bitmap with the defaults", ShowBitmap, {"LOGO.BMP"},
            Bytes({64, 66, 0, 0, 76, 79, 71, 79, 46, 66, 77, 80, 0}),
            "Show Windows Bitmap from SD card: 64, 66, 0, 0, 76, 79, 71, 79, 46, 66, 77, 80, 0, : 13 bytes written");
        row("show image, X past a byte, Y not a number", ShowImage, {"P.DAT", "300", "abc"},
            Bytes({64, 73, 44, 0, 80, 46, 68, 65, 84, 0}),
            "Show Image from SD data file: 64, 73, 44, 0, 80, 46, 68, 65, 84, 0, : 10 bytes written");
        row("print screen", PrintScreen, {"S.BMP"}, Bytes({64, 83, 83, 46, 66, 77, 80, 0}),
            "Print screen to Windows Bmp: 64, 83, 83, 46, 66, 77, 80, 0, : 8 bytes written");
        row("load binary", LoadBinary, {"RUN.BIN"}, Bytes({64, 76, 82, 85, 78, 46, 66, 73, 78, 0}),
            "Run binary program from SD card: 64, 76, 82, 85, 78, 46, 66, 73, 78, 0, : 10 bytes written");
        // Seventeen bytes: the line breaks after the sixteenth value.
        row("twelve-character name", ShowBitmap, {"ABCDEFGH.BMP", "1", "2"},
            Bytes({64, 66, 1, 2, 65, 66, 67, 68, 69, 70, 71, 72, 46, 66, 77, 80, 0}),
            "Show Windows Bitmap from SD card: 64, 66, 1, 2, 65, 66, 67, 68, 69, 70, 71, 72, 46, 66, 77, 80, \r\n"
            "0, : 17 bytes written");
        row("non-ASCII characters keep their low seven bits", EraseFile, {QString(QChar(0xE9))},
            Bytes({64, 69, 105, 0}), "Erase file: 64, 69, 105, 0, : 4 bytes written");
    }
    void commandsSendTheirPacketAndLogLine()
    {
        QFETCH(void*, command);
        QFETCH(QStringList, answer);
        QFETCH(QByteArray, packet);
        QFETCH(QString, log);
        Rig rig;
        rig.host.answers = {answer};
        rig.link->answers = {Bytes({6})};
        QCOMPARE(reinterpret_cast<Command>(command)(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{packet});
        QCOMPARE(rig.host.status, log + QStringLiteral("\r\n> Command Acknowledged"));
        // None of them purges (only the open did).
        QCOMPARE(rig.link->purges, 1);
        QVERIFY(rig.host.messages.isEmpty());
    }

    void fileNamesLongerThanTwelveAreRefused()
    {
        // The dialog's edit holds twelve characters; the command-line tool,
        // which has no edit, is held to the same limit.
        Rig rig;
        rig.host.answers = {{"ABCDEFGHI.TXT"}, {"ABCDEFGHI.BMP", "0", "0"}};
        QCOMPARE(EraseFile(rig.session), CommandOutcome::Refused);
        QCOMPARE(ShowBitmap(rig.session), CommandOutcome::Refused);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.host.messages, QStringList(2, "Tavrel|Please enter no more than 12 characters."));
    }

    void writeToFileCountsAndLimits()
    {
        Rig rig;
        const QString full(255, QLatin1Char('x'));
        rig.host.answers = {{""}, {full}, {full + "y"}, {"Hi" + QString(QChar(0xE9)) + "0123456789ab"}};
        QCOMPARE(WriteToFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes.value(0), Bytes({64, 119, 0}));
        QCOMPARE(WriteToFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes.value(1).size(), 258);
        QCOMPARE(quint8(rig.link->writes.value(1).at(2)), quint8(255));
        QCOMPARE(WriteToFile(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 2);
        QCOMPARE(rig.host.messages, QStringList{"Tavrel|Number of bytes must be less than 255"});
        // Fifteen characters make eighteen values: a break after the sixteenth.
        QCOMPARE(WriteToFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.status,
                 QStringLiteral("Write data to SD card: 64, 119, 15, 72, 105, 105, 48, 49, 50, 51, 52, 53, 54, 55, "
                                "56, 57, \r\n97, 98, : 18 bytes written\r\n> No response!"));
    }

    void readFromFileKeepsDataThatArrivesAtOnce()
    {
        // The module answers while the request is still being written: a
        // purge after the write would throw the data and the acknowledgement
        // away. Stale bytes from before must still go.
        Rig rig;
        rig.link->input = Text("stale");
        rig.link->answers = {Text("0123456789") + Bytes({6})};
        rig.host.answers = {{"10"}};
        QCOMPARE(ReadFromFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{Bytes({64, 114, 10})});
        QCOMPARE(rig.host.receivedTexts, QStringList{"SD Card File Info:|0123456789"});
        QCOMPARE(rig.host.status,
                 QStringLiteral("Read data to SD card: 64, 114, 10, : 3 bytes written\r\n> Command Acknowledged"));
    }

    void readFromFileStopsAtTheCountOrAtTheEnd_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ack");
        // Without reading ahead, the acknowledgement after the last wanted
        // byte is left for the reply reader.
        QTest::newRow("count met") << "3" << (Text("ABC") + Bytes({6})) << "ABC" << "> Command Acknowledged";
        QTest::newRow("file ends first") << "10" << (Text("AB") + Bytes({0, 6})) << "AB" << "> Command Acknowledged";
        QTest::newRow("count 0 reads nothing") << "0" << Bytes({6}) << "" << "> Command Acknowledged";
        QTest::newRow("no file open") << "5" << Bytes({0, 15}) << "" << "> Command Error";
        QTest::newRow("leading number of a text") << "2 bytes" << (Text("XYZ") + Bytes({6})) << "XY"
                                                  << "> Invalid Response(90)";
        QTest::newRow("bytes above 127 as Latin-1") << "1" << Bytes({0xE9, 6}) << QString(QChar(0xE9))
                                                    << "> Command Acknowledged";
        QTest::newRow("no answer") << "4" << QByteArray() << "" << "> No response!";
    }
    void readFromFileStopsAtTheCountOrAtTheEnd()
    {
        QFETCH(QString, count);
        QFETCH(QByteArray, reply);
        QFETCH(QString, text);
        QFETCH(QString, ack);
        Rig rig;
        rig.link->answers = {reply};
        rig.host.answers = {{count}};
        QCOMPARE(ReadFromFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.receivedTexts, QStringList{"SD Card File Info:|" + text});
        QVERIFY2(rig.host.status.endsWith("\r\n" + ack), qPrintable(rig.host.status));
    }

    void readFromFileRefusesCountsOutsideAByte_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("message");
        QTest::newRow("256") << "256" << "Number of bytes must be less than 255";
        QTest::newRow("huge") << "99999999999" << "Number of bytes must be less than 255";
        QTest::newRow("negative") << "-1" << "Number of bytes must not be negative";
        QTest::newRow("not a number") << "abc" << "Please enter an integer.";
    }
    void readFromFileRefusesCountsOutsideAByte()
    {
        QFETCH(QString, count);
        QFETCH(QString, message);
        Rig rig;
        rig.host.status = "before";
        rig.host.answers = {{count}};
        QCOMPARE(ReadFromFile(rig.session), CommandOutcome::Refused);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.host.messages, QStringList{"Tavrel|" + message});
        QCOMPARE(rig.host.status, QStringLiteral("before"));
        QVERIFY(rig.host.receivedTexts.isEmpty());
    }

    void viewDirectoryShowsTheListingUpToItsZero()
    {
        Rig rig;
        rig.link->input = Text("stale");
        rig.link->answers = {Text("A.TXT  5\r\nB.BMP  9\r\n") + Bytes({0, 6})};
        QCOMPARE(ViewDirectory(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{Bytes({64, 68, 0})});
        QCOMPARE(rig.host.receivedTexts, QStringList{"SD Card File Info:|A.TXT  5\r\nB.BMP  9\r\n"});
        // No acknowledgement is read: the status is the log line alone and
        // what came after the 0 is still waiting.
        QCOMPARE(rig.host.status, QStringLiteral("Get SD File Directory: 64,68 : 3 bytes written"));
        QCOMPARE(rig.link->input, Bytes({6}));
    }

    void viewDirectoryCutsAModuleThatNeverStops()
    {
        Rig rig;
        rig.link->answers = {QByteArray(kMaxListingBytes + 100, 'A')};
        QCOMPARE(ViewDirectory(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.receivedTexts.size(), 1);
        const QString shown = rig.host.receivedTexts.first();
        const QString note = QStringLiteral("\r\n[Listing cut after 65536 bytes: the module kept sending.]");
        QCOMPARE(shown.size(), QStringLiteral("SD Card File Info:|").size() + kMaxListingBytes + note.size());
        QVERIFY(shown.endsWith(QString(10, 'A') + note));
        // The rest of the stream is not left for the next command's reply.
        QVERIFY(rig.link->input.isEmpty());
    }

    void listingOfExactlyTheLimitIsNotCut()
    {
        Rig rig;
        rig.link->answers = {QByteArray(kMaxListingBytes, 'B') + Bytes({0})};
        ViewDirectory(rig.session);
        QCOMPARE(rig.host.receivedTexts.first().size(), QStringLiteral("SD Card File Info:|").size() + kMaxListingBytes);
    }

    void readingLoopGivesUpAfterItsTotalTime()
    {
        ScriptedHost host;
        auto endless = new EndlessLink;
        PanelSession session(host, [endless](const QString&, qint32) {
            OpenResult r;
            r.link.reset(endless);
            return r;
        });
        QVERIFY(session.OpenComPort());
        const int purgesAfterOpen = endless->purges;
        const ReceiveLimits limits{1 << 30, 300};
        QElapsedTimer clock;
        clock.start();
        const ReceivedText received = ReceiveUntilZero(session, -1, limits);
        const qint64 elapsed = clock.elapsed();
        QVERIFY(received.cutByTime);
        QVERIFY(!received.cutBySize);
        QVERIFY(received.bytes > 0);
        // The loop's own clock may be coarse by a few per cent: the lower
        // bound only tells "gave up at its limit" from "gave up at once".
        QVERIFY2(elapsed >= 250 && elapsed < 10000, qPrintable(QString::number(elapsed)));
        QCOMPARE(endless->purges, purgesAfterOpen + 1);
        QCOMPARE(CutNote(received, limits, "Data"), QStringLiteral("\r\n[Data cut after 1 seconds: the module kept sending.]"));
        // A count still ends the loop first when it is met.
        const ReceivedText counted = ReceiveUntilZero(session, 7, limits);
        QCOMPARE(counted.text, QStringLiteral("AAAAAAA"));
        QVERIFY(!counted.cut());
    }

    void loadNorvelShowsItsMessageAfterTheReply()
    {
        auto link = std::make_shared<FakeLinkState>();
        OrderHost host(*link);
        PanelSession session(host, [link](const QString&, qint32) {
            OpenResult r;
            r.link = std::make_unique<FakeLink>(link);
            return r;
        });
        session.OpenComPort();
        link->answers = {Bytes({15})};
        QCOMPARE(LoadNorvel(session), CommandOutcome::Sent);
        QCOMPARE(link->writes, QVector<QByteArray>{Bytes({64, 70})});
        QCOMPARE(host.events, QStringList{"message:Norvel should now be running.|writes:1|status:Run Norvel from SD "
                                          "card: 64, 70, : 2 bytes written\r\n> Command Error"});
    }

    void ymodemAsksThenWarnsThenSends()
    {
        auto link = std::make_shared<FakeLinkState>();
        OrderHost host(*link);
        PanelSession session(host, [link](const QString&, qint32) {
            OpenResult r;
            r.link = std::make_unique<FakeLink>(link);
            return r;
        });
        OpenPort(session);
        link->answers = {Bytes({6})};
        QCOMPARE(YModemSession(session), CommandOutcome::Sent);
        QCOMPARE(link->writes, QVector<QByteArray>{Bytes({64, 89})});
        QCOMPARE(host.events, QStringList{"message:Press OK to begin terminal session.  Then, close serial port here "
                                          "and open it with terminal application.|writes:0|status:COM Port open "
                                          "successful."});
        QCOMPARE(host.status,
                 QStringLiteral("YModem File Transfer Session: 64, 89, : 2 bytes written\r\n> Command Acknowledged"));
        QCOMPARE(host.shown.size(), 1);
        QCOMPARE(host.shown.first().kind, DialogKind::SdYModem);
    }

};

QTEST_GUILESS_MAIN(TestSdCommands)
#include "tst_sd_commands.moc"
