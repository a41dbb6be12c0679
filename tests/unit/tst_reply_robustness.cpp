// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever the module sends — random bytes, short replies, replies that
// trickle in, replies that never end — every reply reader and every command
// that reads returns within its bound, nothing crashes, and the status
// window holds only texts the program defines. Time is a fake clock that the
// scripted link moves, so the slowest replies cost no real time. Every case
// has its own fixed seed, printed when it fails.

#include "commands/CommandTable.h"
#include "link/Bounds.h"
#include "link/PanelSession.h"
#include "link/ReplyText.h"
#include "sdcard/CardReading.h"
#include "sdcard/SdCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

constexpr quint32 kBaseSeed = 0x5EED0017;

// The longest any command may take on the fake clock: a reading loop's
// limit, the wait before it and one acknowledgement.
constexpr qint64 kCommandBoundMs = kMaxReceiveMs + 100 + 10 + 520;

QString WithoutLineBreak(const QString& replyLine)
{
    return replyLine.startsWith(QStringLiteral("\r\n")) ? replyLine.mid(2) : replyLine;
}

QRegularExpression Anchored(const QString& pattern)
{
    return QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'));
}

bool AllBytes(const QRegularExpressionMatch& match, int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (match.captured(i).toInt() > 255)
            return false;
    return true;
}

// Every reply line the readers can append, built from the core's own texts
// and, where a number goes in, from their patterns.
class ReplyLines {
public:
    ReplyLines()
    {
        for (const QString& line : {InterpretAckReply({}), InterpretAckReply(Bytes({6})), InterpretAckReply(Bytes({15})),
                                    InterpretColourReply({}).text, InterpretDeviceInfoReply({})})
            m_exact << WithoutLineBreak(line);
        m_invalid = Anchored(QRegularExpression::escape(WithoutLineBreak(MakeInvalidResponseText(QStringLiteral("("))))
                             + QStringLiteral("(-?\\d+)\\)"));
        m_colour = Anchored(QRegularExpression::escape(WithoutLineBreak(
                                ReplyLine(QStringLiteral("Foreground color set to 16-bit color response: "))))
                            + QStringLiteral("(\\d+), (\\d+)"));
        QStringList types;
        for (int type = 0; type < 4; ++type)
            types << QRegularExpression::escape(WithoutLineBreak(DeviceTypeText(quint8(type))));
        m_device = Anchored(QStringLiteral("(?:%1), Hardware version: (\\d+), Firmware version: (\\d+), "
                                           "Horizontal Resolution: (\\d+), Vertical Resolution: (\\d+)")
                                .arg(types.join(QLatin1Char('|'))));
    }

    // True for a line the program can append; line without its "\r\n".
    bool allowed(const QString& line) const
    {
        if (m_exact.contains(line))
            return true;
        const auto invalid = m_invalid.match(line);
        if (invalid.hasMatch()) {
            const int value = invalid.captured(1).toInt();
            return value >= -128 && value <= 127 && value != kAck && value != kCommandError;
        }
        const auto colour = m_colour.match(line);
        if (colour.hasMatch())
            return AllBytes(colour, 1, 2);
        // BCD of any byte stays below 256 as well.
        const auto device = m_device.match(line);
        return device.hasMatch() && AllBytes(device, 1, 4);
    }
    bool isColour(const QString& line) const { return m_colour.match(line).hasMatch(); }

private:
    QStringList m_exact;
    QRegularExpression m_invalid;
    QRegularExpression m_colour;
    QRegularExpression m_device;
};

// A log line with its byte values and count, in any of the program's forms
// ("Label: 1,2 : 2 bytes written", "Prefix: 1, 2, : 2 bytes written",
// "Display Image: 1, 2, ... : 8 bytes written"), line breaks taken out.
const QRegularExpression kLogLine = Anchored(QStringLiteral("[A-Z][A-Za-z0-9 =]*: [0-9, ]*(\\.\\.\\. )?: \\d+ bytes written"));
const QRegularExpression kCutNote =
    QRegularExpression(QStringLiteral("\r\n\\[(Listing|Data) cut after (\\d+) (bytes|seconds): the module kept sending\\.\\]$"));

// One scripted reply: its bytes, how fast they come, whether more follow
// for ever, and stale bytes waiting before the command.
struct Script {
    quint32 seed = 0;
    QByteArray reply;
    QByteArray stale;
    int gapMs = 0;
    bool endless = false;

    QString describe() const
    {
        return QStringLiteral("seed %1: reply %2%3, stale %4, %5 ms a byte")
            .arg(seed)
            .arg(QString::fromLatin1(reply.toHex(' ')), endless ? QStringLiteral(" and more for ever") : QString(),
                 QString::fromLatin1(stale.toHex(' ')))
            .arg(gapMs);
    }
};

quint8 RandomByte(QRandomGenerator& rng)
{
    // The bytes the readers treat specially come up often.
    static const quint8 special[] = {0, 6, 15, 0x96, 0x64, 0xFF, 0x80, 0x7F};
    return rng.bounded(3) == 0 ? special[rng.bounded(int(std::size(special)))] : quint8(rng.bounded(256));
}

QByteArray RandomBytes(QRandomGenerator& rng, int most)
{
    QByteArray bytes;
    const int n = rng.bounded(most + 1);
    for (int i = 0; i < n; ++i)
        bytes += char(RandomByte(rng));
    return bytes;
}

Script MakeScript(quint32 seed)
{
    QRandomGenerator rng(seed);
    // Around the read's pause between bytes (100 ms) and its time-out for
    // one byte (510 ms).
    static const int gaps[] = {0, 0, 1, 9, 90, 99, 100, 101, 250, 509, 511, 2000};
    Script script;
    script.seed = seed;
    script.reply = RandomBytes(rng, 8);
    script.stale = rng.bounded(4) == 0 ? RandomBytes(rng, 3) : QByteArray();
    script.gapMs = gaps[rng.bounded(int(std::size(gaps)))];
    script.endless = rng.bounded(5) == 0;
    return script;
}

// Wires a script into a rig's link and puts the session on the fake clock.
template <typename Host>
void Apply(const Script& script, CommandRig<Host>& rig, FakeClock& clock)
{
    rig.session.setClock(clock);
    rig.link->clock = &clock;
    rig.link->byteGapMs = script.gapMs;
    rig.link->input = script.stale;
    rig.link->answers = {script.reply};
    if (script.endless) {
        auto rng = std::make_shared<QRandomGenerator>(script.seed ^ 0xA5A5A5A5u);
        rig.link->more = [rng] { return RandomBytes(*rng, 16) + char(1 + rng->bounded(255)); };
    }
}

// Answers every dialog with its defaults, except what makes a command worth
// running: a picture for Display Image and a count for Read from File.
class DefaultsHost final : public PanelHost {
public:
    QString status;
    QStringList receivedTexts;
    int foregroundSets = 0;
    int readCount = 0;

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return kWhite; }
    void setForegroundColour(HostColour) override { ++foregroundSets; }
    HostColour backgroundColour() const override { return kBlack; }
    void showMessage(const QString&, const QString&) override {}
    bool runDialog(DialogRequest& request) override
    {
        if (request.kind == DialogKind::DisplayImage) {
            request.picture = QImage(1, 1, QImage::Format_RGB888);
            request.picture.fill(Qt::red);
        }
        if (request.kind == DialogKind::SdReadCount)
            request.setValue(QStringLiteral("count"), QString::number(readCount));
        return true;
    }
    void showReceivedText(const QString&, const QString& text) override { receivedTexts << text; }
};

// Splits a status text into its log line (line breaks taken out) and the
// reply lines after it.
void SplitStatus(const QString& status, QString& log, QStringList& replies)
{
    const QStringList lines = status.split(QStringLiteral("\r\n"));
    log.clear();
    replies.clear();
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("> ")) || !replies.isEmpty())
            replies << line;
        else
            log += line;
    }
}

} // namespace

class TestReplyRobustness : public QObject {
    Q_OBJECT
private slots:
    void readersEndInTimeWithTheirOwnTexts_data()
    {
        QTest::addColumn<int>("reader");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("count");
        QTest::newRow("acknowledgement") << 0 << 10 << 1;
        QTest::newRow("colour") << 1 << 1 << 2;
        QTest::newRow("device info") << 2 << 1 << 5;
    }
    void readersEndInTimeWithTheirOwnTexts()
    {
        QFETCH(int, reader);
        QFETCH(int, waitMs);
        QFETCH(int, count);
        const ReplyLines lines;
        const qint64 bound = waitMs + LinkTimeouts().readBudgetMs(count);
        for (quint32 i = 0; i < 1500; ++i) {
            const Script script = MakeScript(kBaseSeed + quint32(reader) * 100000 + i);
            const QString context = script.describe();
            CommandRig<> rig;
            FakeClock clock;
            Apply(script, rig, clock);
            rig.link->input += script.reply;  // a reader writes nothing: the reply is simply there
            rig.link->answers.clear();
            rig.host.status = QStringLiteral("Log: 1,2 : 2 bytes written");
            switch (reader) {
            case 0: rig.session.ReadAckReply(); break;
            case 1: rig.session.ReadColourReply(); break;
            default: rig.session.ReadDeviceInfoReply(); break;
            }
            QVERIFY2(clock.now <= bound, qPrintable(context + QStringLiteral(": took %1 ms").arg(clock.now)));
            QString log;
            QStringList replies;
            SplitStatus(rig.host.status, log, replies);
            QVERIFY2(log == QStringLiteral("Log: 1,2 : 2 bytes written"), qPrintable(context));
            QVERIFY2(replies.size() == 1, qPrintable(context + QStringLiteral(": ") + rig.host.status));
            QVERIFY2(lines.allowed(replies.first()), qPrintable(context + QStringLiteral(": ") + replies.first()));
            // Only a whole colour reply changes the foreground colour.
            QVERIFY2(rig.host.foregroundSets == (lines.isColour(replies.first()) ? 1 : 0), qPrintable(context));
        }
    }

    void everyCommandThatReadsEndsInTimeWithKnownTexts()
    {
        const ReplyLines lines;
        quint32 commandIndex = 0;
        for (const CommandInfo& command : AllCommands()) {
            ++commandIndex;
            if (!command.run)
                continue;
            // The picture upload pauses in real time after every row.
            const quint32 scripts = command.caption == QLatin1String("Display Image") ? 8 : 60;
            for (quint32 i = 0; i < scripts; ++i) {
                const Script script = MakeScript(kBaseSeed + 1000000 + commandIndex * 1000 + i);
                const QString context = command.caption + QStringLiteral(", ") + script.describe();
                CommandRig<DefaultsHost> rig;
                FakeClock clock;
                Apply(script, rig, clock);
                rig.host.readCount = int(QRandomGenerator(script.seed).bounded(256));
                const CommandOutcome outcome = command.run(rig.session);
                QVERIFY2(outcome == CommandOutcome::Sent, qPrintable(context));
                QVERIFY2(clock.now <= kCommandBoundMs, qPrintable(context + QStringLiteral(": took %1 ms").arg(clock.now)));

                QString log;
                QStringList replies;
                SplitStatus(rig.host.status, log, replies);
                QVERIFY2(kLogLine.match(log).hasMatch(), qPrintable(context + QStringLiteral(": ") + log));
                QVERIFY2(replies.size() <= 1, qPrintable(context + QStringLiteral(": ") + rig.host.status));
                for (const QString& reply : replies)
                    QVERIFY2(lines.allowed(reply), qPrintable(context + QStringLiteral(": ") + reply));

                // Listings and file data show the module's bytes up to their
                // end, unchanged, with at most the note that they were cut.
                for (QString text : rig.host.receivedTexts) {
                    const auto note = kCutNote.match(text);
                    if (note.hasMatch()) {
                        QVERIFY2(note.captured(3) == QLatin1String("bytes") || note.captured(2).toInt() <= 60,
                                 qPrintable(context));
                        text.chop(note.capturedLength());
                    }
                    QVERIFY2(!text.contains(QChar(0)), qPrintable(context));
                    QVERIFY2(QString::fromLatin1(rig.link->delivered).startsWith(text), qPrintable(context));
                }
            }
        }
    }

    void readingLoopsStopWithinAMinuteAtEveryBaudRate_data()
    {
        QTest::addColumn<QString>("baud");
        for (const char* baud : {"115200", "9600", "1200", "300", "0", "fast"})
            QTest::newRow(baud) << QString::fromLatin1(baud);
    }
    void readingLoopsStopWithinAMinuteAtEveryBaudRate()
    {
        // A module that sends a byte every 90 ms for ever keeps every read
        // alive; only the loop's own limit ends the listing.
        QFETCH(QString, baud);
        CommandRig<DefaultsHost> rig;
        FakeClock clock;
        rig.session.setClock(clock);
        rig.session.m_baudRate = baud;
        rig.link->clock = &clock;
        rig.link->byteGapMs = 90;
        rig.link->more = [] { return QByteArray("A"); };
        QCOMPARE(ViewDirectory(rig.session), CommandOutcome::Sent);
        QVERIFY2(clock.now <= 100 + kMaxReceiveMs, qPrintable(QString::number(clock.now)));
        QVERIFY2(clock.now >= 30000, qPrintable(QString::number(clock.now)));
        QCOMPARE(rig.host.receivedTexts.size(), 1);
        const auto note = kCutNote.match(rig.host.receivedTexts.first());
        QVERIFY2(note.hasMatch(), qPrintable(rig.host.receivedTexts.first().right(80)));
        QCOMPARE(note.captured(3), QStringLiteral("seconds"));
        QVERIFY(note.captured(2).toInt() <= 60);

        // The limits themselves, the last read's time-out included.
        const ReceiveLimits limits = LimitsForBaudRate(kMaxListingBytes, baud);
        QVERIFY(limits.maxTotalMs + LinkTimeouts().readBudgetMs(1) <= kMaxReceiveMs);
    }

    void slowFileDataWithinItsCountIsNotCut()
    {
        // 255 bytes, each just inside the pause between bytes: 25 s of data.
        CommandRig<DefaultsHost> rig;
        FakeClock clock;
        rig.session.setClock(clock);
        rig.session.m_baudRate = QStringLiteral("300");
        rig.link->clock = &clock;
        rig.link->byteGapMs = 99;
        rig.link->more = [] { return QByteArray("B"); };
        rig.host.readCount = 255;
        QCOMPARE(ReadFromFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.receivedTexts, QStringList{QString(255, QLatin1Char('B'))});
        QVERIFY(clock.now < kMaxReceiveMs);
    }
};

QTEST_GUILESS_MAIN(TestReplyRobustness)
#include "tst_reply_robustness.moc"
