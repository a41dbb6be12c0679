// SPDX-License-Identifier: GPL-3.0-or-later
// The card commands of tavrel-cli against quennel-emu --card DIR: files
// written, read back and erased in DIR, a bitmap shown and the screen saved
// and read back pixel by pixel, hostile names, and a line that never stops
// sending a listing.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel::testing;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// quennel-emu serving a card folder that lies one level inside a temporary
// folder, so that the folder above it can hold files the card must not reach.
struct CardEmulator {
    QTemporaryDir root;
    QString card = root.filePath(QStringLiteral("card"));
    std::unique_ptr<EmulatorProcess> emulator;

    CardEmulator()
    {
        QDir().mkpath(card);
        emulator = std::make_unique<EmulatorProcess>(QStringList{QStringLiteral("--card"), card});
    }
    CliRun run(const QStringList& arguments) const
    {
        return RunCli(QStringList{QStringLiteral("--port"), emulator->ptyPath()} + arguments);
    }
    QString file(const QString& name) const { return QDir(card).filePath(name); }
};

} // namespace

class TestCliSdCard : public QObject {
    Q_OBJECT
private slots:
    void writeReadBackAndErase()
    {
        CardEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));

        CliRun run = rig.run({"open-file-to-write", "note.txt"});
        QCOMPARE(run.out, QStringLiteral("Open file for writing: 64, 87, 110, 111, 116, 101, 46, 116, 120, 116, 0, "
                                         ": 11 bytes written\n> Command Acknowledged\n"));
        QCOMPARE(run.exitCode, 0);
        // Each call is a client of its own; the file stays open in the module.
        QCOMPARE(rig.run({"write-to-file", "Hello card"}).exitCode, 0);
        QCOMPARE(rig.run({"write-to-file", "!"}).exitCode, 0);
        run = rig.run({"close-file"});
        QCOMPARE(run.out, QStringLiteral("Close open file on SD card: 64, 67, : 2 bytes written\n> Command Acknowledged\n"));
        QCOMPARE(ReadFile(rig.file("NOTE.TXT")), QByteArray("Hello card!"));

        run = rig.run({"view-directory"});
        // Through a pipe the listing comes byte for byte, line breaks included.
        QCOMPARE(run.out, QStringLiteral("NOTE.TXT      11\r\nGet SD File Directory: 64,68 : 3 bytes written\n"));

        QCOMPARE(rig.run({"open-file-to-read", "NOTE.TXT"}).exitCode, 0);
        run = rig.run({"read-from-file", "5"});
        QCOMPARE(run.out, QStringLiteral("Hello\nRead data to SD card: 64, 114, 5, : 3 bytes written\n"
                                         "> Command Acknowledged\n"));
        run = rig.run({"read-from-file", "255"});
        QCOMPARE(run.out, QStringLiteral(" card!\nRead data to SD card: 64, 114, 255, : 3 bytes written\n"
                                         "> Command Acknowledged\n"));

        run = rig.run({"erase-file", "Note.Txt"});
        QVERIFY2(run.out.endsWith(QStringLiteral("> Command Acknowledged\n")), qPrintable(run.out));
        QVERIFY(!QFile::exists(rig.file("NOTE.TXT")));
        run = rig.run({"erase-file", "NOTE.TXT"});
        QVERIFY2(run.out.endsWith(QStringLiteral("> Command Error\n")), qPrintable(run.out));
        QCOMPARE(run.exitCode, 0);
    }

    void hostileNamesStayInsideTheCard()
    {
        CardEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        const QString secret = rig.root.filePath(QStringLiteral("SECRET.TX"));
        QFile file(secret);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        for (const char* command : {"erase-file", "open-file-to-write", "print-screen"}) {
            const CliRun run = rig.run({command, "../SECRET.TX"});
            QVERIFY2(run.out.endsWith(QStringLiteral("> Command Error\n")), qPrintable(run.out));
        }
        QCOMPARE(rig.run({"write-to-file", "overwritten"}).out.endsWith(QStringLiteral("> Command Error\n")), true);
        QCOMPARE(ReadFile(secret), QByteArray("keep me"));
        QCOMPARE(QDir(rig.card).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(rig.root.path()).entryList(QDir::Files), QStringList{"SECRET.TX"});
    }

    void refusedEntriesSendNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("negative count") << QStringList{"read-from-file", "-1"} << "Number of bytes must not be negative";
        QTest::newRow("text past a byte") << QStringList{"write-to-file", QString(256, 'x')}
                                          << "Number of bytes must be less than 255";
    }
    void refusedEntriesSendNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        SilentPty silent;
        QVERIFY(silent.isOpen());
        const CliRun run = RunCli(QStringList{"--port", silent.slavePath()} + arguments);
        QCOMPARE(run.err, message + "\n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(silent.drainMaster(), QByteArray());
    }

    void showBitmapThenPrintScreenReadBackPixelByPixel()
    {
        CardEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        // Colours whose channels are 0 or 255 come back unchanged through the
        // module's 16-bit colours.
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::white, Qt::yellow, Qt::cyan};
        QImage picture(3, 2, QImage::Format_RGB888);
        for (int i = 0; i < 6; ++i)
            picture.setPixelColor(i % 3, i / 3, colours[i]);
        QVERIFY(picture.save(rig.file("PIC.BMP"), "BMP"));

        CliRun run = rig.run({"show-bitmap", "pic.bmp", "10", "20"});
        QCOMPARE(run.out, QStringLiteral("Show Windows Bitmap from SD card: 64, 66, 10, 20, 112, 105, 99, 46, 98, 109, "
                                         "112, 0, : 12 bytes written\n> Command Acknowledged\n"));
        run = rig.run({"print-screen", "SHOT.BMP"});
        QVERIFY2(run.out.endsWith(QStringLiteral("> Command Acknowledged\n")), qPrintable(run.out));

        QImage shot;
        QVERIFY(shot.load(rig.file("SHOT.BMP"), "BMP"));
        QCOMPARE(shot.size(), QSize(96, 64));
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 96; ++x) {
                const bool inside = x >= 10 && x < 13 && y >= 20 && y < 22;
                const QColor expected = inside ? colours[(y - 20) * 3 + (x - 10)] : QColor(Qt::black);
                QCOMPARE(shot.pixelColor(x, y), expected);
            }
        }
    }

    void listingFromALineThatNeverStopsIsCut()
    {
        SilentPty line;
        QVERIFY(line.isOpen());
        QProcess cli;
        cli.start(CliProgram(), {"--port", line.slavePath(), "view-directory"});
        QVERIFY(cli.waitForStarted(10000));
        const QByteArray chunk(512, 'A');
        QElapsedTimer clock;
        clock.start();
        // Keep sending until the tool gives up; the pseudo-terminal refuses
        // what does not fit, which is fine.
        while (cli.state() != QProcess::NotRunning && clock.elapsed() < 120000) {
            line.writeToMaster(chunk);
            line.drainMaster();
            cli.waitForFinished(5);
        }
        QVERIFY2(cli.state() == QProcess::NotRunning, "the listing loop never ended");
        QCOMPARE(cli.exitCode(), 0);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY2(out.endsWith(QStringLiteral("\n[Listing cut after 65536 bytes: the module kept sending.]\n"
                                             "Get SD File Directory: 64,68 : 3 bytes written\n")),
                 qPrintable(out.right(200)));
    }
};

QTEST_GUILESS_MAIN(TestCliSdCard)
#include "tst_cli_sdcard.moc"
