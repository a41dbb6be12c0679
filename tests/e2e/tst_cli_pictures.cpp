// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli's picture commands: files made without a port, and the Display
// Image upload and the Slideshow command against quennel-emu over a
// pseudo-terminal, judged by the emulator's frame file.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel::testing;

class TestCliPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_frame = m_dir.filePath("frame.png");
        m_emulator = std::make_unique<EmulatorProcess>(QStringList{"--frame-file", m_frame});
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void convertWritesAnImageDataFile()
    {
        QImage picture(2, 1, QImage::Format_RGB888);
        picture.setPixelColor(0, 0, QColor(255, 0, 0));
        picture.setPixelColor(1, 0, QColor(0, 0, 255));
        const QString in = SavePicture(m_dir, "two.png", picture, "png");
        const QString out = m_dir.filePath("two.dat");
        const CliRun run = RunCli({"--port", "/nonexistent/port", "convert", in, out});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Save to file complete.\n"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadAll(out), QByteArray("\x02\x01\x10\x00\xF8\x1F\x00", 7));

        // A save that fails says so, on standard error, with exit status 1.
        const CliRun failed = RunCli({"save-bmp", in, m_dir.filePath("no-folder/big.bmp")});
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(failed.err, QStringLiteral("Failed to open output file (No such file or directory).\n"));
        QCOMPARE(failed.out, QString());
    }

    void buildSlideshowSortsByPath()
    {
        QTemporaryDir dir;
        SavePicture(dir, "c.jpg", Filled(320, 240, QColor(0, 0, 255)), "jpeg");
        SavePicture(dir, "A.png", Filled(320, 240, QColor(255, 0, 0)), "png");
        SavePicture(dir, "b.bmp", Filled(320, 240, QColor(0, 255, 0)), "bmp");
        const CliRun run = RunCli({"build-slideshow", "show.dat", "c.jpg", "A.png", "b.bmp", "--maximize", "--depth",
                                   "8"},
                                  dir.path());
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        const QByteArray bytes = ReadAll(dir.filePath("show.dat"));
        QCOMPARE(bytes.size(), 3 + 3 * 6144);
        QCOMPARE(bytes.left(3), QByteArray("\x60\x40\x08", 3));
        QCOMPARE(bytes.at(3), char(0xE0));
        QCOMPARE(bytes.at(3 + 6144), char(0x1C));
        QCOMPARE(bytes.at(3 + 2 * 6144), char(0x03));
    }

    void hostileFilesAreRefusedCleanly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named .png") << QByteArray("no picture here");
        QByteArray png;
        {
            QFile file(SavePicture(m_dir, "whole.png", Filled(50, 50, Qt::red), "png"));
            file.open(QIODevice::ReadOnly);
            png = file.readAll();
        }
        QTest::newRow("truncated png") << png.left(png.size() - 20);
    }
    void hostileFilesAreRefusedCleanly()
    {
        QFETCH(QByteArray, bytes);
        const QString in = m_dir.filePath("hostile.png");
        QFile file(in);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.close();
        const QString out = m_dir.filePath("hostile.dat");
        QFile::remove(out);
        const CliRun converted = RunCli({"convert", in, out, "--maximize"});
        QCOMPARE(converted.exitCode, 1);
        QCOMPARE(converted.err, QStringLiteral("File not found or invalid format\n"));
        QVERIFY(!QFile::exists(out));

        const CliRun shown = RunCli({"--port", m_emulator->ptyPath(), "display-image", in});
        QCOMPARE(shown.exitCode, 1);
        QCOMPARE(shown.err, QStringLiteral("File not found or invalid format\n"));
        QVERIFY(!shown.out.contains("Display Image"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("convert without output") << QStringList{"convert", "in.png"};
        QTest::newRow("width 97") << QStringList{"convert", "in.png", "out.dat", "--resize", "97x10"};
        QTest::newRow("display-image without picture") << QStringList{"display-image"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath()} + arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.startsWith("tavrel-cli: "));
    }

    void displayImageDrawsOnTheEmulator()
    {
        QImage picture = Filled(20, 10, QColor(255, 0, 0));
        for (int x = 0; x < 20; ++x)
            picture.setPixelColor(x, 9, QColor(0, 0, 255));
        const QString in = SavePicture(m_dir, "flag.png", picture, "png");
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "display-image", in, "70", "60", "--depth", "8"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Display Image: 73, 70, 60, 20, 10, 8, 224, 224, 224, 224, ... : "
                                         "206 bytes written\n> Command Acknowledged\n"));
        QCOMPARE(run.exitCode, 0);
        const QImage frame(m_frame);
        QCOMPARE(frame.size(), QSize(96, 64));
        // Drawn from (70, 60) and clipped at the panel's edges.
        QCOMPARE(frame.pixel(70, 60), qRgb(255, 0, 0));
        QCOMPARE(frame.pixel(89, 63), qRgb(255, 0, 0));
        QCOMPARE(frame.pixel(69, 60), qRgb(0, 0, 0));
        QCOMPARE(frame.pixel(90, 60), qRgb(0, 0, 0));
    }

    void fullPanelUploadEndToEnd()
    {
        QImage picture = Filled(96, 64, Qt::white);
        picture.setPixelColor(95, 63, QColor(0, 0, 255));
        const QString in = SavePicture(m_dir, "panel.png", picture, "png");
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "display-image", in});
        QCOMPARE(run.out, QStringLiteral("Display Image: 73, 0, 0, 96, 64, 16, 255, 255, 255, 255, ... : "
                                         "12294 bytes written\n> Command Acknowledged\n"));
        const QImage frame(m_frame);
        QCOMPARE(frame.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(frame.pixel(95, 63), qRgb(0, 0, 255));
    }

    void displayImageBounds()
    {
        const QString in = SavePicture(m_dir, "dot.png", Filled(1, 1, Qt::red), "png");
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "display-image", in, "96", "0"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("Pixel out of bounds!\n"));
        QCOMPARE(run.out, QStringLiteral("Set pixel bounds error.\n"));
    }

    void slideshowCommandIsAcknowledged()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "slideshow", "SHOW.DAT", "1", "2", "1000"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Show slideshow from SD data file: 64, 115, 1, 2, 3, 232, 83, 72, 79, 87, 46, 68, "
                                    "65, 84, 0, : 15 bytes written\n> "),
                 qPrintable(run.out));
    }

private:
    QTemporaryDir m_dir;
    QString m_frame;
    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCliPictures)
#include "tst_cli_pictures.moc"
