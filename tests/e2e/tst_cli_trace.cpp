// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli --trace against quennel-emu over a pseudo-terminal: every
// line is a well-formed traffic line, the sent lines carry exactly the
// packets of drawing, text, user-character, card and picture commands, the
// replies carry what the readers made of them; on a line nobody answers,
// the bytes the far end received are exactly those the trace shows sent.

#include "link/TrafficLine.h"
#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/PictureFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// A run's trace read back from its standard error.
struct Trace {
    QVector<TrafficLineFields> lines;
    QStringList malformed;

    QByteArray sent() const
    {
        QByteArray bytes;
        for (const auto& line : lines)
            if (line.direction == QLatin1String("->"))
                bytes += line.bytes;
        return bytes;
    }
    // "dir|label|hex" per line, without the times.
    QStringList summary() const
    {
        QStringList out;
        for (const auto& line : lines)
            out << line.direction + QLatin1Char('|') + line.label + QLatin1Char('|') + TrafficHexText(line.bytes);
        return out;
    }
};

Trace ReadTrace(const QString& err)
{
    Trace trace;
    for (const QString& line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        TrafficLineFields fields;
        if (ParseTrafficLine(line, fields))
            trace.lines << fields;
        else
            trace.malformed << line;
    }
    return trace;
}

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

class TestCliTrace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_card.isValid());
        m_emulator = std::make_unique<EmulatorProcess>(QStringList{QStringLiteral("--card"), m_card.path()});
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void showsWhatEachCommandSent_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("exchange");  // the lines after the open and its purge, before the close
        using L = QStringList;
        QTest::newRow("drawing") << L{"draw-line", "0", "0", "95", "63"}
                                 << L{"->|Draw Line|4C 00 00 5F 3F FF FF", "<-|Command Acknowledged|06"};
        QTest::newRow("text") << L{"print-text-string", "0", "0", "1", "1", "0123456789", "--formatted", "--font=2"}
                              << L{"->|Print String|73 00 00 02 FF FF 30 31 32 33 34 35 36 37 38 39 00",
                                   "<-|Command Acknowledged|06"};
        QTest::newRow("user character")
            << L{"add-user-char", "6", "########", "#......#", "#......#", "#..##..#", "#..##..#", "#......#",
                 "#......#", "########"}
            << L{"->|Add User Character|41 06 FF 81 81 99 99 81 81 FF", "<-|Command Acknowledged|06"};
        QTest::newRow("device info") << L{"get-device-info"}
                                     << L{"--|Receive buffer purged|", "->|Get Info|56 00",
                                          "<-|Vexa-Oled, Hardware version: 1, Firmware version: 1, Horizontal "
                                          "Resolution: 96, Vertical Resolution: 64|00 01 01 96 64"};
    }
    void showsWhatEachCommandSent()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, exchange);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath(), "--trace"} + arguments);
        QCOMPARE(run.exitCode, 0);
        const Trace trace = ReadTrace(run.err);
        QCOMPARE(trace.malformed, QStringList());
        const QStringList lines = trace.summary();
        QVERIFY2(lines.size() >= 3, qPrintable(run.err));
        QCOMPARE(lines.first(), "--|Port opened: " + m_emulator->ptyPath() + ", 115200|");
        QCOMPARE(lines.at(1), QStringLiteral("--|Receive buffer purged|"));
        QCOMPARE(lines.last(), QStringLiteral("--|Port closed|"));
        QCOMPARE(lines.mid(2, lines.size() - 3), exchange);
        // The times count from the open and never go back.
        qint64 since = 0;
        for (const auto& line : trace.lines) {
            QVERIFY(line.sinceOpenMs >= since);
            since = line.sinceOpenMs;
        }
    }

    void showsACardFileWrittenAndReadBack()
    {
        auto exchange = [&](const QStringList& arguments) {
            const CliRun run = RunCli(QStringList{"--trace", "--port", m_emulator->ptyPath()} + arguments);
            const Trace trace = ReadTrace(run.err);
            const QStringList lines = trace.summary();
            return trace.malformed.isEmpty() && run.exitCode == 0 ? lines.mid(2, lines.size() - 3)
                                                                  : QStringList{"failed: " + run.err};
        };
        QCOMPARE(exchange({"open-file-to-write", "TRACE.TXT"}),
                 (QStringList{"->|Open file for writing|40 57 54 52 41 43 45 2E 54 58 54 00",
                              "<-|Command Acknowledged|06"}));
        QCOMPARE(exchange({"write-to-file", "Hi there"}),
                 (QStringList{"->|Write data to SD card|40 77 08 48 69 20 74 68 65 72 65", "<-|Command Acknowledged|06"}));
        QCOMPARE(exchange({"close-file"}), (QStringList{"->|Close open file on SD card|40 43", "<-|Command Acknowledged|06"}));
        QCOMPARE(exchange({"open-file-to-read", "TRACE.TXT"}),
                 (QStringList{"->|Open file for reading|40 52 54 52 41 43 45 2E 54 58 54 00",
                              "<-|Command Acknowledged|06"}));
        QCOMPARE(exchange({"read-from-file", "5"}),
                 (QStringList{"--|Receive buffer purged|", "->|Read data to SD card|40 72 05",
                              "<-|Data: 5 bytes|48 69 20 74 68", "<-|Command Acknowledged|06"}));
        QCOMPARE(exchange({"close-file"}), (QStringList{"->|Close open file on SD card|40 43", "<-|Command Acknowledged|06"}));
        const QStringList listing = exchange({"view-directory"});
        QCOMPARE(listing.value(1), QStringLiteral("->|Get SD File Directory|40 44 00"));
        QVERIFY2(listing.value(2).startsWith(QStringLiteral("<-|Listing: ")), qPrintable(listing.join('\n')));
        QVERIFY2(listing.value(2).endsWith(QStringLiteral(" 00")), qPrintable(listing.value(2)));
    }

    void showsAPictureUploadRowByRow()
    {
        QTemporaryDir dir;
        QImage picture = Filled(3, 2, Qt::white);
        picture.setPixelColor(2, 1, QColor(0, 0, 255));
        const QString in = SavePicture(dir, QStringLiteral("pic.png"), picture, "png");
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "--trace", "display-image", in, "10", "20"});
        QCOMPARE(run.exitCode, 0);
        const Trace trace = ReadTrace(run.err);
        QCOMPARE(trace.malformed, QStringList());
        const QStringList lines = trace.summary();
        QCOMPARE(lines.mid(2, lines.size() - 3),
                 (QStringList{"->|Display Image|49 0A 14 03 02 10", "->|Display Image|FF FF FF FF FF FF",
                              "->|Display Image|FF FF FF FF 00 1F", "<-|Command Acknowledged|06"}));
    }

    // A far end that records what arrives and never answers: it receives
    // exactly the bytes of the trace's sent lines, in their order.
    void theFarEndReceivesWhatTheTraceShows_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("polygon") << QStringList{"draw-polygon", "--vertices=4", "1", "2", "3", "4", "5", "6", "7", "8"}
                                 << Hex("67 04 01 02 03 04 05 06 07 08 FF FF");
        QTest::newRow("write to file") << QStringList{"write-to-file", "abc"} << Hex("40 77 03 61 62 63");
        QTest::newRow("picture") << QStringList{"display-image", "PICTURE", "0", "0", "--depth", "8"}
                                 << Hex("49 00 00 04 03 08") + QByteArray(12, char(0xFF));
    }
    void theFarEndReceivesWhatTheTraceShows()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString in = SavePicture(dir, QStringLiteral("pic.png"), Filled(4, 3, Qt::white), "png");
        arguments.replaceInStrings(QStringLiteral("PICTURE"), in);
        SilentPty silent;
        QVERIFY(silent.isOpen());
        const CliRun run = RunCli(QStringList{"--trace", "--port", silent.slavePath()} + arguments);
        const Trace trace = ReadTrace(run.err);
        QCOMPARE(trace.malformed, QStringList());
        const QByteArray received = silent.drainMaster();
        QCOMPARE(received, expected);
        QCOMPARE(trace.sent(), received);
        QVERIFY2(trace.summary().contains(QStringLiteral("--|No response! (Time-out: 0 of 1 bytes received)|")),
                 qPrintable(run.err));
    }

    void tracingLeavesTheOutputAlone()
    {
        const QStringList command{"--port", m_emulator->ptyPath(), "set-pixel", "95", "63"};
        const CliRun plain = RunCli(command);
        const CliRun traced = RunCli(QStringList{"--trace"} + command);
        QCOMPARE(plain.err, QString());
        QCOMPARE(traced.out, plain.out);
        QCOMPARE(traced.exitCode, plain.exitCode);
        QVERIFY(traced.err.contains(QStringLiteral("\t->\tSet Pixel\t50 5F 3F FF FF\tP_?..\n")));

        const CliRun help = RunCli({"--help"});
        QVERIFY(help.out.contains(QStringLiteral("--trace")));
    }

private:
    QTemporaryDir m_card;
    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCliTrace)
#include "tst_cli_trace.moc"
