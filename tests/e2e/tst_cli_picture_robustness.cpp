// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli's picture commands against hostile files: the message that
// says what is wrong, the exit status, the file written where one is due,
// no hang, and the process's peak memory on the worst files there are.

#include "support/CliRunner.h"
#include "support/PictureBytes.h"
#include "support/PictureFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace tavrel::testing;

namespace {

// Peak resident memory a picture command may reach. Under AddressSanitizer
// the same work shows more: shadow memory (an eighth of all memory used)
// and freed blocks held back in quarantine come on top.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kPeakLimitKb = 700 * 1024;
#else
constexpr qint64 kPeakLimitKb = 300 * 1024;
#endif

// Processor time any picture command may take; the worst files here take
// a small part of it. AddressSanitizer makes the same work slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kCpuLimitMs = 15000;
#else
constexpr qint64 kCpuLimitMs = 5000;
#endif

// A lossless WebP of 2000 x 2000 pixels of one colour.
QByteArray FlatWebp()
{
    QImage flat(2000, 2000, QImage::Format_RGB32);
    flat.fill(qRgb(10, 200, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "webp");
    writer.setQuality(100);
    writer.write(flat);
    return bytes;
}

CliRun Run(const QStringList& arguments, const QString& directory)
{
    CliRunOptions options;
    options.workingDirectory = directory;
    options.timeoutMs = 120000;
    return RunCliWith(arguments, options);
}

QString Describe(const QStringList& arguments, const CliRun& run)
{
    return QStringLiteral("tavrel-cli %1: exit %2, peak %3 KiB, %4 ms%5\nstderr: %6")
        .arg(arguments.join(' '))
        .arg(run.exitCode)
        .arg(run.peakRssKb)
        .arg(run.elapsedMs)
        .arg(run.killed ? ", killed" : "")
        .arg(run.err);
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The four picture commands on one input; display-image to the built-in
// emulator.
QVector<QStringList> EveryCommand(const QString& in, const QStringList& options = {})
{
    return {QStringList{"convert", in, "out.dat"} + options, QStringList{"save-bmp", in, "out.bmp"},
            QStringList{"--port", "emulator", "display-image", in} + options,
            QStringList{"build-slideshow", "show.dat", in} + options};
}

} // namespace

class TestCliPictureRobustness : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

#ifdef Q_OS_UNIX
    void namedPipeIsRefusedAtOnce()
    {
        const QString fifo = m_dir.filePath("pipe.png");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QStringList& arguments : EveryCommand("pipe.png", {"--maximize"})) {
            const CliRun run = Run(arguments, m_dir.path());
            QVERIFY2(!run.killed && run.exitCode == 1, qPrintable(Describe(arguments, run)));
            QVERIFY2(run.err.contains("pipe.png\": it is a named pipe (FIFO), not a regular file"),
                     qPrintable(Describe(arguments, run)));
        }
        // The slideshow is still written, with a black frame for the pipe.
        QCOMPARE(ReadAll(m_dir.filePath("show.dat")), QByteArray("\x60\x40\x10", 3) + QByteArray(12288, '\0'));
    }
#endif

    void topDownBitmapThroughEveryCommand()
    {
        BmpOptions shape;
        shape.width = 120;  // cut by No Resize on the right and at the bottom
        shape.height = 70;
        Write(m_dir.filePath("up.bmp"), MakeBmp(shape));
        shape.topDown = true;
        Write(m_dir.filePath("down.bmp"), MakeBmp(shape));
        const QVector<QStringList> up = EveryCommand("up.bmp", {"--depth", "8"});
        const QVector<QStringList> down = EveryCommand("down.bmp", {"--depth", "8"});
        for (int i = 0; i < up.size(); ++i) {
            const CliRun expected = Run(up[i], m_dir.path());
            const QString outFile = m_dir.filePath(i == 0 ? "out.dat" : i == 1 ? "out.bmp" : "show.dat");
            const QByteArray expectedFile = i == 2 ? QByteArray() : ReadAll(outFile);
            QFile::remove(outFile);
            const CliRun run = Run(down[i], m_dir.path());
            QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(Describe(down[i], run)));
            QCOMPARE(run.out, expected.out);
            if (i != 2)
                QCOMPARE(ReadAll(outFile), expectedFile);
        }
        QCOMPARE(QImage(m_dir.filePath("out.bmp")).pixel(119, 0), PatternPixel(119, 0));
    }

    // Too large: said, with the limit; undecodable: the usual message.
    void failureMessagesSayWhy()
    {
        Write(m_dir.filePath("wide.png"), PngClaiming(QSize(9000, 8000)));
        Write(m_dir.filePath("notes.png"), "not a picture");
        Write(m_dir.filePath("big.bmp"), MakeBmp(BmpOptions()));
        QVERIFY(QFile::resize(m_dir.filePath("big.bmp"), 256LL * 1024 * 1024 + 1));
        // %1: the path as given; the slideshow builder's list holds full paths.
        const QString wide = QStringLiteral("The picture \"%1\" is too large: 9000x8000 pixels. Pictures may "
                                            "have at most 64 megapixels (8192x8192 pixels).\n");
        const QString big = QStringLiteral("The picture file \"%1\" is too large (268435457 bytes). Picture "
                                           "files may be at most 256 MB.\n");
        for (const auto& [name, message] :
             {qMakePair(QStringLiteral("wide.png"), wide), qMakePair(QStringLiteral("big.bmp"), big),
              qMakePair(QStringLiteral("notes.png"), QStringLiteral("File not found or invalid format\n"))}) {
            for (const QStringList& arguments : EveryCommand(name)) {
                const CliRun run = Run(arguments, m_dir.path());
                QVERIFY2(run.exitCode == 1, qPrintable(Describe(arguments, run)));
                const bool fullPath = arguments.first() == "build-slideshow";
                // The slideshow, under No Resize, is left with no frame.
                const QString unsaved = fullPath ? QStringLiteral("The slideshow was not saved: none of its pictures "
                                                                  "could be read, so it would have no frame.\n")
                                                 : QString();
                QCOMPARE(run.err, QString(message).replace("%1", fullPath ? m_dir.filePath(name) : name) + unsaved);
            }
        }
    }

    // The file is written with the black frame, and the exit status tells
    // a script that a picture was missing.
    void slideshowWithAnUndecodablePictureExitsWithOne()
    {
        Write(m_dir.filePath("a.png"), MakePng(PngOptions()));
        Write(m_dir.filePath("b.png"), MakePng(PngOptions()).left(100));
        const QStringList arguments{"build-slideshow", "two.dat", "a.png", "b.png", "--resize", "16x12"};
        const CliRun run = Run(arguments, m_dir.path());
        QVERIFY2(run.exitCode == 1, qPrintable(Describe(arguments, run)));
        QCOMPARE(run.err, QStringLiteral("File not found or invalid format\n"));
        QCOMPARE(run.out, QStringLiteral("Save to file complete.\n"));
        const QByteArray bytes = ReadAll(m_dir.filePath("two.dat"));
        QCOMPARE(bytes.size(), 3 + 2 * 16 * 12 * 2);
        QCOMPARE(bytes.right(16 * 12 * 2), QByteArray(16 * 12 * 2, '\0'));
        QVERIFY(bytes.mid(3, 16 * 12 * 2) != QByteArray(16 * 12 * 2, '\0'));
    }

    // The worst files there are for memory: headers and chunks that claim
    // gigabytes, pictures at the pixel limit (two at once in a slideshow,
    // whose pictures are decoded side by side), a progressive JPEG whose
    // coefficients alone would pass the limit.
    void worstCasesStayWithinMemory_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");

        QByteArray trap = MakePng(PngOptions());
        QByteArray claim;
        claim.append("\x7F\xFF\xFF\xF0tEXtComment", 15).append('\0').append("hello", 5).append(QByteArray(4, '\0'));
        trap.insert(33, claim);
        Write(m_dir.filePath("trap.png"), trap);
        for (const QStringList& arguments : EveryCommand("trap.png", {"--maximize"}))
            QTest::newRow(qPrintable("2 GB text chunk: " + arguments.join(' '))) << arguments << 1;

        PngOptions limit;
        limit.width = 8192;
        limit.height = 8192;
        limit.zeroPixels = true;
        Write(m_dir.filePath("limit.png"), MakePng(limit));
        QFile::copy(m_dir.filePath("limit.png"), m_dir.filePath("limit2.png"));
        limit.colourType = 3;
        Write(m_dir.filePath("palette.png"), MakePng(limit));
        QTest::newRow("64 megapixels, convert") << QStringList{"convert", "limit.png", "out.dat", "--maximize"} << 0;
        QTest::newRow("64 megapixels twice, build-slideshow")
            << QStringList{"build-slideshow", "show.dat", "limit.png", "limit2.png", "--maximize"} << 0;
        QTest::newRow("64 megapixels with a palette")
            << QStringList{"convert", "palette.png", "out.dat", "--resize", "30x20"} << 0;

        PngOptions deep;
        deep.width = 4096;
        deep.height = 4096;
        deep.bitDepth = 16;
        deep.colourType = 6;
        deep.zeroPixels = true;
        Write(m_dir.filePath("deep.png"), MakePng(deep));
        QTest::newRow("16-bit RGBA, convert") << QStringList{"convert", "deep.png", "out.dat", "--maximize"} << 0;
        QTest::newRow("16-bit RGBA, save-bmp") << QStringList{"save-bmp", "deep.png", "out.bmp"} << 0;

        QByteArray coefficients = MakeJpeg(QSize(16, 16), true);
        const int sof = int(coefficients.indexOf("\xFF\xC2"));
        qToBigEndian<quint16>(8000, coefficients.data() + sof + 5);
        qToBigEndian<quint16>(8000, coefficients.data() + sof + 7);
        for (int c = 0; c < 3; ++c)
            coefficients[sof + 11 + 3 * c] = '\x11';
        Write(m_dir.filePath("coefficients.jpg"), coefficients);
        for (const QStringList& arguments : EveryCommand("coefficients.jpg", {"--maximize"}))
            QTest::newRow(qPrintable("progressive 8000x8000: " + arguments.join(' '))) << arguments << 1;

        GifOptions screen;
        screen.screenWidth = 8000;
        screen.screenHeight = 8000;
        screen.frameSize = QSize(3, 2);
        Write(m_dir.filePath("screen.gif"), MakeGif(screen));
        QTest::newRow("gif screen of 61 megapixels") << QStringList{"convert", "screen.gif", "out.dat"} << 0;
        screen.screenWidth = 65535;
        screen.screenHeight = 65535;
        Write(m_dir.filePath("huge.gif"), MakeGif(screen));
        QTest::newRow("gif screen of 4 gigapixels") << QStringList{"convert", "huge.gif", "out.dat"} << 1;
        screen.screenWidth = 8192;
        screen.screenHeight = 8192;
        Write(m_dir.filePath("limit.gif"), MakeGif(screen));
        QTest::newRow("gif screen of 64 megapixels") << QStringList{"convert", "limit.gif", "out.dat", "--maximize"} << 0;

        // Decompression bombs in 1 x 1 pictures: LZW data that expands to
        // 4 GB, deflate data (whose ratio is lower) to 256 MB.
        Write(m_dir.filePath("bomb.gif"), GifLzwBomb(4096));
        Write(m_dir.filePath("bomb.png"), PngIdatBomb(256));
        Write(m_dir.filePath("lzw.tif"), TiffBomb(5, 4096));
        Write(m_dir.filePath("deflate.tif"), TiffBomb(8, 256));
        for (const char* bomb : {"bomb.gif", "bomb.png", "lzw.tif", "deflate.tif"})
            for (const QStringList& arguments : EveryCommand(bomb, {"--maximize"}))
                QTest::newRow(qPrintable("bomb: " + arguments.join(' '))) << arguments << 0;
        // A lossless WebP of one colour: a few hundred bytes for 2000 x 2000 pixels.
        Write(m_dir.filePath("flat.webp"), FlatWebp());
        QTest::newRow("webp of one colour") << QStringList{"convert", "flat.webp", "out.dat", "--maximize"} << 0;
        // SVG whose drawing would cover the same 8000 x 8000 pixels 2000 times.
        Write(m_dir.filePath("layers.svg"),
              MakeSvg(QSize(8000, 8000), QByteArray("<rect width=\"8000\" height=\"8000\" fill=\"#123456\" "
                                                    "fill-opacity=\"0.5\"/>")
                                             .repeated(2000)));
        QTest::newRow("svg of 2000 layers, save-bmp") << QStringList{"save-bmp", "layers.svg", "out.bmp"} << 1;
        QTest::newRow("svg of 2000 layers, convert") << QStringList{"convert", "layers.svg", "out.dat"} << 0;
        // One entity of 4 KB used 200000 times: 800 MB of text.
        Write(m_dir.filePath("entities.svg"),
              "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY a \"" + QByteArray(4000, 'x')
                  + "\">]>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><desc>"
                  + QByteArray("&a;").repeated(200000) + "</desc></svg>\n");
        QTest::newRow("svg entity expansion") << QStringList{"convert", "entities.svg", "out.dat"} << 1;
    }
    // Memory and processor time: every picture operation ends within a few
    // seconds of processor time, whatever the file.
    void worstCasesStayWithinMemory()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const CliRun run = Run(arguments, m_dir.path());
        qInfo().noquote() << QStringLiteral("peak %1 KiB, %2 ms of processor time in %3 ms")
                                 .arg(run.peakRssKb)
                                 .arg(run.cpuMs)
                                 .arg(run.elapsedMs);
        QVERIFY2(!run.killed && run.exitCode == exitCode, qPrintable(Describe(arguments, run)));
        QVERIFY2(run.peakRssKb > 0 && run.peakRssKb < kPeakLimitKb, qPrintable(Describe(arguments, run)));
        QVERIFY2(run.cpuMs < kCpuLimitMs, qPrintable(Describe(arguments, run)));
    }

    // An unreadable picture under No Resize is left out; a slideshow that
    // would have no frame is not written; either way the exit is 1.
    void slideshowLeavesOutWhatCannotBeRead()
    {
        Write(m_dir.filePath("good.png"), MakePng(PngOptions()));
        Write(m_dir.filePath("bad.png"), MakePng(PngOptions()).left(100));
        QFile::remove(m_dir.filePath("s.dat"));
        CliRun run = Run({"build-slideshow", "s.dat", "good.png", "bad.png"}, m_dir.path());
        QVERIFY2(run.exitCode == 1, qPrintable(Describe({"build-slideshow"}, run)));
        QCOMPARE(ReadAll(m_dir.filePath("s.dat")).size(), 3 + 16 * 12 * 2);
        QFile::remove(m_dir.filePath("s.dat"));
        run = Run({"build-slideshow", "s.dat", "bad.png"}, m_dir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("none of its pictures could be read"), qPrintable(run.err));
        QVERIFY(!QFile::exists(m_dir.filePath("s.dat")));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestCliPictureRobustness)
#include "tst_cli_picture_robustness.moc"
