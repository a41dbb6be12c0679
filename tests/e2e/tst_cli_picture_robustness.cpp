// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli's picture commands against hostile files: the message that
// says what is wrong, the exit status, the file written where one is due,
// no hang, and the process's peak memory on the worst files there are.

#include "support/CliRunner.h"
#include "support/PictureBytes.h"
#include "support/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
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
                QCOMPARE(run.err, QString(message).replace("%1", fullPath ? m_dir.filePath(name) : name));
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
    }
    void worstCasesStayWithinMemory()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const CliRun run = Run(arguments, m_dir.path());
        qInfo().noquote() << QStringLiteral("peak %1 KiB in %2 ms").arg(run.peakRssKb).arg(run.elapsedMs);
        QVERIFY2(!run.killed && run.exitCode == exitCode, qPrintable(Describe(arguments, run)));
        QVERIFY2(run.peakRssKb > 0 && run.peakRssKb < kPeakLimitKb, qPrintable(Describe(arguments, run)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCliPictureRobustness)
#include "tst_cli_picture_robustness.moc"
