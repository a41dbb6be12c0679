// SPDX-License-Identifier: GPL-3.0-or-later
// The traffic history of a session: the entries a command and its reply
// leave (labels, bytes, purges, time-outs, short writes), a listing read
// byte by byte as one entry, an upload as one entry per row, the bounds on
// entries and memory, the text line and its reading back, and the file
// Save writes.

#include "imaging/DisplayImageCommand.h"
#include "link/PixelCommands.h"
#include "link/TrafficFile.h"
#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"
#include "sdcard/SdCommands.h"
#include "support/CommandRig.h"
#include "support/HostileSaveTargets.h"
#include "support/SaveTestFiles.h"
#include "support/TestBytes.h"

#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

using Rig = CommandRig<>;

// The entries as "direction|label|hex", oldest first, from `first` on.
QStringList Summary(const TrafficHistory& history, qint64 first = 0)
{
    QStringList lines;
    for (qint64 s = std::max(first, history.firstSequence()); s < history.endSequence(); ++s) {
        const TrafficEntry* e = history.entry(s);
        lines << TrafficDirectionText(e->kind) + QLatin1Char('|') + e->label + QLatin1Char('|')
                + TrafficHexText(e->bytes);
    }
    return lines;
}

// What the rig's open left in the history; a command's entries follow.
qint64 AfterOpen(Rig& rig)
{
    return rig.session.traffic().endSequence();
}

QImage Filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

} // namespace

class TestTrafficHistory : public QObject {
    Q_OBJECT
private slots:
    void openingRecordsTheOpenAndItsPurge()
    {
        Rig rig;
        QCOMPARE(Summary(rig.session.traffic()),
                 (QStringList{"--|Port opened: " + rig.session.portLabel() + "|", "--|Receive buffer purged|"}));
        rig.session.CloseComPort();
        QCOMPARE(Summary(rig.session.traffic()).last(), QStringLiteral("--|Port closed|"));
    }

    void commandsAndTheirReplies_data()
    {
        QTest::addColumn<int>("command");  // 0 Set Pixel, 1 Read Pixel
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("acceptLimit");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("acknowledged") << 0 << Bytes({6}) << qint64(-1)
                                      << QStringList{"--|Receive buffer purged|", "->|Set Pixel|50 5F 3F FF FF",
                                                     "<-|Command Acknowledged|06"};
        QTest::newRow("invalid reply") << 0 << Bytes({0x15}) << qint64(-1)
                                       << QStringList{"--|Receive buffer purged|", "->|Set Pixel|50 5F 3F FF FF",
                                                      "<-|Invalid Response(21)|15"};
        QTest::newRow("no reply") << 0 << QByteArray() << qint64(-1)
                                  << QStringList{"--|Receive buffer purged|", "->|Set Pixel|50 5F 3F FF FF",
                                                 "--|No response! (Time-out: 0 of 1 bytes received)|"};
        QTest::newRow("short write") << 0 << Bytes({6}) << qint64(3)
                                     << QStringList{"--|Receive buffer purged|",
                                                    "->|Set Pixel (3 of 5 bytes written)|50 5F 3F",
                                                    "<-|Command Acknowledged|06"};
        QTest::newRow("colour") << 1 << Bytes({0xF8, 0x00}) << qint64(-1)
                                << QStringList{"--|Receive buffer purged|", "->|Read Pixel|52 5F 3F",
                                               "<-|Foreground color set to 16-bit color response: 248, 0|F8 00"};
        QTest::newRow("half a colour") << 1 << Bytes({0xF8}) << qint64(-1)
                                       << QStringList{"--|Receive buffer purged|", "->|Read Pixel|52 5F 3F",
                                                      "<-|Invalid color response!|F8",
                                                      "--|Time-out: 1 of 2 bytes received|"};
    }
    void commandsAndTheirReplies()
    {
        QFETCH(int, command);
        QFETCH(QByteArray, answer);
        QFETCH(qint64, acceptLimit);
        QFETCH(QStringList, entries);
        Rig rig;
        rig.link->answers = {answer};
        rig.link->acceptLimit = acceptLimit;
        rig.host.answers = {{"95", "63"}};
        const qint64 first = AfterOpen(rig);
        QCOMPARE(command == 0 ? SetPixel(rig.session) : ReadPixel(rig.session), CommandOutcome::Sent);
        QCOMPARE(Summary(rig.session.traffic(), first), entries);
        // Nothing is left open once the reader has spoken.
        QCOMPARE(rig.session.traffic().committedEnd(), rig.session.traffic().endSequence());
    }

    void timesCountFromTheOpen()
    {
        Rig rig(1);
        rig.host.answers = {{"1", "2"}};
        SetPixel(rig.session);
        const TrafficHistory& history = rig.session.traffic();
        const TrafficEntry* opened = history.entry(0);
        QCOMPARE(opened->kind, TrafficKind::Opened);
        qint64 lastSince = 0;
        qint64 lastWall = opened->wallMs;
        for (qint64 s = 0; s < history.endSequence(); ++s) {
            const TrafficEntry* e = history.entry(s);
            QVERIFY(e->sinceOpenMs >= lastSince);
            QVERIFY(e->wallMs >= lastWall);
            lastSince = e->sinceOpenMs;
            lastWall = e->wallMs;
        }
        // The reply is read after the reader's 10 ms wait.
        QVERIFY2(history.entry(history.endSequence() - 1)->sinceOpenMs >= 10, "the reply came before its wait");
    }

    void withoutAPortNothingIsRecorded()
    {
        ScriptedHost host;
        PanelSession session(host, [](const QString&, qint32) { return OpenResult{}; });
        host.answers = {{"1", "2"}};
        SetPixel(session);
        QCOMPARE(session.traffic().endSequence(), qint64(0));
        QCOMPARE(host.status, QStringLiteral("Set Pixel: 80,1,2,255,255 : 0 bytes written\r\n> No response!"));
    }

    void recordingCanBeSwitchedOff()
    {
        Rig rig(1);
        rig.session.traffic().setRecording(false);
        const qint64 first = AfterOpen(rig);
        rig.host.answers = {{"1", "2"}};
        SetPixel(rig.session);
        QCOMPARE(rig.session.traffic().endSequence(), first);
    }

    // A reply is announced once, complete with what the reader made of it:
    // a trace printed as entries are committed never shows it unlabelled.
    void repliesAreAnnouncedWithTheirNote()
    {
        Rig rig(1);
        TrafficHistory& history = rig.session.traffic();
        QStringList announced;
        connect(&history, &TrafficHistory::committed, this, [&](qint64 first, qint64 end) {
            for (qint64 s = first; s < end; ++s)
                announced << TrafficDirectionText(history.entry(s)->kind) + QLatin1Char('|') + history.entry(s)->label;
        });
        rig.host.answers = {{"1", "2"}};
        SetPixel(rig.session);
        QCOMPARE(announced, (QStringList{"--|Receive buffer purged", "->|Set Pixel", "<-|Command Acknowledged"}));
    }

    void aListingReadByteByByteIsOneEntry()
    {
        Rig rig;
        const QByteArray listing = QByteArray("A.TXT 12\r\nB.BMP 7\r\n") + Bytes({0});
        rig.link->answers = {listing};
        const qint64 first = AfterOpen(rig);
        QCOMPARE(ViewDirectory(rig.session), CommandOutcome::Sent);
        QCOMPARE(Summary(rig.session.traffic(), first),
                 (QStringList{"--|Receive buffer purged|", "->|Get SD File Directory|40 44 00",
                              "<-|Listing: 19 bytes|" + TrafficHexText(listing)}));
    }

    void fileDataAndItsAcknowledgementAreTwoEntries()
    {
        Rig rig;
        rig.link->answers = {QByteArray("Hello") + Bytes({6})};
        rig.host.answers = {{"5"}};
        const qint64 first = AfterOpen(rig);
        QCOMPARE(ReadFromFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(Summary(rig.session.traffic(), first),
                 (QStringList{"--|Receive buffer purged|", "->|Read data to SD card|40 72 05",
                              "<-|Data: 5 bytes|48 65 6C 6C 6F", "<-|Command Acknowledged|06"}));
    }

    void anUploadIsOneEntryPerRow()
    {
        Rig rig(1);
        const qint64 first = AfterOpen(rig);
        QImage picture = Filled(3, 2, Qt::white);
        picture.setPixelColor(0, 1, Qt::red);
        QCOMPARE(SendDisplayImage(rig.session, "1", "2", picture, 16), CommandOutcome::Sent);
        QCOMPARE(Summary(rig.session.traffic(), first),
                 (QStringList{"->|Display Image|49 01 02 03 02 10", "->|Display Image|FF FF FF FF FF FF",
                              "->|Display Image|F8 00 FF FF FF FF", "<-|Command Acknowledged|06"}));
    }

    void aStreamKeepsOnlyWhatLeft()
    {
        TrafficHistory history;
        history.recordStreamed(Bytes({1, 2}), QStringLiteral("Display Image"));
        history.recordStreamed(Bytes({3, 4}), QStringLiteral("Display Image"));
        QCOMPARE(history.committedEnd(), qint64(0));
        history.recordStreamDrained(3);
        QCOMPARE(Summary(history), QStringList{"->|Display Image (1 of 4 bytes written)|01"});
        // A new stretch after the drain, and another label, are new entries.
        history.recordStreamed(Bytes({5}), QStringLiteral("Display Image"));
        history.recordStreamed(Bytes({6}), QStringLiteral("Other"));
        history.recordStreamDrained(0);
        QCOMPARE(Summary(history, 1), (QStringList{"->|Display Image|05", "->|Other|06"}));
    }

    void timeOutsAndPurgesEndAReply()
    {
        TrafficHistory history;
        history.recordReceived(Bytes({1}), 1);
        history.recordReceived(QByteArray(), 1);  // the reply stops: a time-out
        history.recordReceived(Bytes({2}), 1);    // a late byte joins the same reply
        history.recordReceived(QByteArray(), 1);  // a second time-out starts a new one
        history.recordPurged();
        history.recordReceived(Bytes({3}), 1);
        history.noteReply(QStringLiteral("late"));
        QCOMPARE(Summary(history), (QStringList{"<-||01", "--|Time-out: 0 of 1 bytes received|", "<-||02",
                                                "--|Time-out: 0 of 1 bytes received|", "--|Receive buffer purged|",
                                                "<-|late|03"}));
    }

    void theNewestEntriesAreKept()
    {
        TrafficHistory history;
        history.setLimits(10, TrafficHistory::kDefaultMaxMemoryBytes);
        QSignalSpy trimmed(&history, &TrafficHistory::trimmed);
        for (int i = 0; i < 25; ++i)
            history.recordSent(Bytes({i}), 1, QStringLiteral("Set Pixel"));
        QCOMPARE(history.size(), 10);
        QCOMPARE(history.firstSequence(), qint64(15));
        QCOMPARE(history.entry(15)->bytes, Bytes({15}));
        QCOMPARE(history.entry(14), nullptr);
        QCOMPARE(trimmed.last().at(0).toLongLong(), qint64(15));

        history.clear();
        QCOMPARE(history.size(), 0);
        history.recordSent(Bytes({1}), 1, QStringLiteral("Set Pixel"));
        QCOMPARE(history.firstSequence(), qint64(25));  // numbers are not reused
    }

    void theDefaultBoundsHold()
    {
        TrafficHistory history;
        const QByteArray packet = Bytes({0x50, 1, 2, 0xFF, 0xFF});
        for (int i = 0; i < TrafficHistory::kDefaultMaxEntries + 50; ++i)
            history.recordSent(packet, packet.size(), QStringLiteral("Set Pixel"));
        QCOMPARE(history.size(), TrafficHistory::kDefaultMaxEntries);
        QVERIFY(history.memoryUsed() <= TrafficHistory::kDefaultMaxMemoryBytes);

        // Large entries: the memory bound holds before the count does.
        const QByteArray big(TrafficHistory::kMaxEntryBytes, 'x');
        for (int i = 0; i < 40; ++i)
            history.recordSent(big, big.size(), QStringLiteral("Big"));
        QVERIFY2(history.memoryUsed() <= TrafficHistory::kDefaultMaxMemoryBytes,
                 qPrintable(QString::number(history.memoryUsed())));
        QVERIFY(history.size() >= 25);
        QCOMPARE(history.entry(history.endSequence() - 1)->label, QStringLiteral("Big"));
    }

    void longTrafficIsSplitIntoBoundedEntries()
    {
        TrafficHistory history;
        QByteArray packet(TrafficHistory::kMaxEntryBytes * 2 + 10, '\0');
        for (int i = 0; i < packet.size(); ++i)
            packet[i] = char(i * 7);
        history.recordSent(packet, packet.size(), QStringLiteral("Huge"));
        QCOMPARE(history.size(), 3);
        QByteArray joined;
        for (qint64 s = 0; s < 3; ++s) {
            QVERIFY(history.entry(s)->bytes.size() <= TrafficHistory::kMaxEntryBytes);
            joined += history.entry(s)->bytes;
        }
        QCOMPARE(joined, packet);

        // A reply that long too, read in pieces.
        for (int i = 0; i < 3; ++i)
            history.recordReceived(QByteArray(TrafficHistory::kMaxEntryBytes / 2 + 1, 'r'),
                                   TrafficHistory::kMaxEntryBytes / 2 + 1);
        history.noteReply(QStringLiteral("Listing"));
        QCOMPARE(history.size(), 5);
        QCOMPARE(history.entry(3)->bytes.size(), TrafficHistory::kMaxEntryBytes);
        QCOMPARE(history.entry(4)->label, QStringLiteral("Listing"));
    }

    void clearKeepsWhatIsStillOpen()
    {
        TrafficHistory history;
        history.recordSent(Bytes({1}), 1, QStringLiteral("A"));
        history.recordReceived(Bytes({6}), 1);
        history.clear();
        history.noteReply(QStringLiteral("Command Acknowledged"));
        QCOMPARE(Summary(history), QStringList{"<-|Command Acknowledged|06"});
    }

    void aLineHasSixFields()
    {
        TrafficEntry entry;
        entry.kind = TrafficKind::Sent;
        entry.wallMs = QDateTime(QDate(2024, 5, 1), QTime(14, 2, 11, 204)).toMSecsSinceEpoch();
        entry.sinceOpenMs = 35;
        entry.bytes = Bytes({0x50, 0x5F, 0x3F, 0xFF, 0x0A, 0x7E, 0x20, 0x7F});
        entry.label = QStringLiteral("Set\tPixel\r\n");
        QCOMPARE(FormatTrafficLine(entry),
                 QStringLiteral("14:02:11.204\t+35\t->\tSet Pixel  \t50 5F 3F FF 0A 7E 20 7F\tP_?..~ ."));

        entry.kind = TrafficKind::TimedOut;
        entry.bytes.clear();
        entry.label = QStringLiteral("No response!");
        QCOMPARE(FormatTrafficLine(entry), QStringLiteral("14:02:11.204\t+35\t--\tNo response!\t\t"));
    }

    // Lines read back give the entry's bytes and label; seeded, so that a
    // failure can be repeated.
    void linesReadBack()
    {
        const quint32 seed = 20240501;
        QRandomGenerator random(seed);
        const TrafficKind kinds[] = {TrafficKind::Sent, TrafficKind::Received, TrafficKind::TimedOut};
        for (int round = 0; round < 500; ++round) {
            TrafficEntry entry;
            entry.kind = kinds[random.bounded(3)];
            entry.wallMs = random.bounded(2000000000) * qint64(1000);
            entry.sinceOpenMs = random.bounded(100000000);
            entry.bytes.resize(random.bounded(40));
            for (char& b : entry.bytes)
                b = char(random.bounded(256));
            entry.label = QStringLiteral("Label %1: | \u00e9").arg(round);
            TrafficLineFields fields;
            const QString line = FormatTrafficLine(entry) + QLatin1Char('\n');
            QVERIFY2(ParseTrafficLine(line, fields), qPrintable(QStringLiteral("seed %1 round %2").arg(seed).arg(round)));
            QCOMPARE(fields.bytes, entry.bytes);
            QCOMPARE(fields.label, entry.label);
            QCOMPARE(fields.sinceOpenMs, entry.sinceOpenMs);
            QCOMPARE(fields.direction, TrafficDirectionText(entry.kind));
            QCOMPARE(fields.time, TrafficTimeText(entry.wallMs));
        }
    }

    void malformedLinesAreRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("five fields") << "14:02:11.204\t+35\t->\tSet Pixel\t50";
        QTest::newRow("seven fields") << "14:02:11.204\t+35\t->\tSet Pixel\t50\tP\tx";
        QTest::newRow("no plus") << "14:02:11.204\t35\t->\tSet Pixel\t50\tP";
        QTest::newRow("arrow") << "14:02:11.204\t+35\t=>\tSet Pixel\t50\tP";
        QTest::newRow("lower-case hex") << "14:02:11.204\t+35\t->\tSet Pixel\t5f\t_";
        QTest::newRow("odd hex") << "14:02:11.204\t+35\t->\tSet Pixel\t50 5\tP.";
        QTest::newRow("ascii differs") << "14:02:11.204\t+35\t->\tSet Pixel\t50 5F\tP?";
    }
    void malformedLinesAreRefused()
    {
        QFETCH(QString, line);
        TrafficLineFields fields;
        QVERIFY(!ParseTrafficLine(line, fields));
    }

    void saveWritesEveryLine()
    {
        QTemporaryDir dir;
        TrafficHistory history;
        history.recordOpened(QStringLiteral("Emulator, 115200"));
        history.recordSent(Bytes({0x45}), 1, QStringLiteral("Erase Screen"));
        history.recordReceived(Bytes({6}), 1);
        history.noteReply(QStringLiteral("Command Acknowledged"));
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        QCOMPARE(SaveTrafficLines(history, path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), FormatTrafficLines(history, 0, history.endSequence()));
        QCOMPARE(FormatTrafficLines(history, 0, history.endSequence()).count(QLatin1Char('\n')), 3);
    }

    void aFailedSaveNamesTheReasonAndKeepsTheEarlierFile()
    {
        QTemporaryDir dir;
        TrafficHistory history;
        for (int i = 0; i < 2000; ++i)
            history.recordSent(QByteArray(100, char(i)), 100, QStringLiteral("Write to File"));

        const QString missing = dir.filePath(QStringLiteral("no/such/folder/traffic.txt"));
        QVERIFY(!SaveTrafficLines(history, missing).isEmpty());
        QVERIFY(!QFile::exists(missing));

        const QString path = PutFile(dir.filePath(QStringLiteral("traffic.txt")), kEarlierFile);
        QString reason;
        {
            FileSizeLimit limit(64 * 1024);
            reason = SaveTrafficLines(history, path);
        }
        QVERIFY2(reason.contains(SystemText(EFBIG)), qPrintable(reason));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kEarlierFile);
        QCOMPARE(FolderEntries(dir.path()), QStringList{"traffic.txt"});
    }
};

QTEST_GUILESS_MAIN(TestTrafficHistory)
#include "tst_traffic_history.moc"
