// SPDX-License-Identifier: GPL-3.0-or-later
// Picture conversion without a window: the pixel encodings and byte orders,
// the three resizing rules, the data files, saving that never leaves a
// damaged file, and decoding that refuses broken or hostile files.

#include "imaging/ImageFiles.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureConversion.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"
#include "support/PictureFiles.h"
#include "support/SaveTestFiles.h"
#include "support/TestBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;
using tavrel::testing::Bytes;

namespace {

// A picture whose every pixel is different, so that crops and orders show.
QImage Numbered(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 13) & 0xFF));
    return image;
}

QByteArray Encoded(const QImage& image, const char* format, int quality = -1, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// PNG's chunk checksum (CRC-32, polynomial 0xEDB88320).
quint32 Crc32(const char* data, int size)
{
    quint32 crc = 0xFFFFFFFFu;
    for (int i = 0; i < size; ++i) {
        crc ^= static_cast<quint8>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

class TestImaging : public QObject {
    Q_OBJECT
private slots:
    void pixelEncodings_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("rgb565");
        QTest::addColumn<int>("rgb332");
        QTest::newRow("white") << QColor(255, 255, 255) << 0xFFFF << 0xFF;
        QTest::newRow("pure red") << QColor(255, 0, 0) << 0xF800 << 0xE0;
        QTest::newRow("pure green") << QColor(0, 255, 0) << 0x07E0 << 0x1C;
        QTest::newRow("pure blue") << QColor(0, 0, 255) << 0x001F << 0x03;
        QTest::newRow("200,100,50") << QColor(200, 100, 50) << 0xCB26 << 0xCC;
        // Truncation, never rounding: 7 and 3 are just below a step.
        QTest::newRow("just below a step") << QColor(7, 3, 7) << 0x0000 << 0x00;
    }
    void pixelEncodings()
    {
        QFETCH(QColor, colour);
        QFETCH(int, rgb565);
        QFETCH(int, rgb332);
        QCOMPARE(int(PixelToRgb565(colour.red(), colour.green(), colour.blue())), rgb565);
        QCOMPARE(int(PixelToRgb332(colour.red(), colour.green(), colour.blue())), rgb332);
    }

    void pixelStreamByteOrders()
    {
        // Left pure red, right pure blue: the line sends each 16-bit pixel
        // high byte first, files store it low byte first.
        QImage picture(2, 1, QImage::Format_RGB888);
        picture.setPixelColor(0, 0, QColor(255, 0, 0));
        picture.setPixelColor(1, 0, QColor(0, 0, 255));
        QCOMPARE(EncodePixelStream(picture, 16, PixelByteOrder::Line), Bytes({0xF8, 0x00, 0x00, 0x1F}));
        QCOMPARE(EncodePixelStream(picture, 16, PixelByteOrder::File), Bytes({0x00, 0xF8, 0x1F, 0x00}));
        QCOMPARE(EncodePixelStream(picture, 8, PixelByteOrder::Line), Bytes({0xE0, 0x03}));
        QCOMPARE(EncodePixelStream(picture, 8, PixelByteOrder::File), Bytes({0xE0, 0x03}));
        QCOMPARE(ImageDataFileBytes(picture, 16), Bytes({0x02, 0x01, 0x10, 0x00, 0xF8, 0x1F, 0x00}));

        // Rows from the top, left to right within a row.
        QImage square(2, 2, QImage::Format_RGB32);
        square.setPixel(0, 0, qRgb(0x20, 0, 0));
        square.setPixel(1, 0, qRgb(0x40, 0, 0));
        square.setPixel(0, 1, qRgb(0x60, 0, 0));
        square.setPixel(1, 1, qRgb(0x80, 0, 0));
        QCOMPARE(EncodePixelStream(square, 8, PixelByteOrder::Line), Bytes({0x20, 0x40, 0x60, 0x80}));
    }

    void imageDataFileSizes()
    {
        QCOMPARE(ImageDataFileBytes(Filled(96, 64, Qt::white), 16).size(), 12291);
        QCOMPARE(ImageDataFileBytes(Filled(96, 64, Qt::white), 8).size(), 6147);
        QCOMPARE(ImageDataFileBytes(Filled(40, 30, Qt::white), 8).left(3), Bytes({40, 30, 8}));
    }

    void resizeRuleSizes_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QSize>("expected");
        const int none = int(ResizeMode::NoResize);
        const int max = int(ResizeMode::Maximize);
        const int to = int(ResizeMode::ResizeTo);
        QTest::newRow("no resize crops 320x240") << QSize(320, 240) << none << QSize() << QSize(96, 64);
        QTest::newRow("no resize keeps 40x30") << QSize(40, 30) << none << QSize() << QSize(40, 30);
        QTest::newRow("no resize 200x30") << QSize(200, 30) << none << QSize() << QSize(96, 30);
        QTest::newRow("maximize 100x100") << QSize(100, 100) << max << QSize() << QSize(96, 64);
        QTest::newRow("maximize enlarges 10x5") << QSize(10, 5) << max << QSize() << QSize(96, 64);
        QTest::newRow("resize to 1x1") << QSize(320, 240) << to << QSize(1, 1) << QSize(1, 1);
        QTest::newRow("resize to 96x64") << QSize(20, 20) << to << QSize(96, 64) << QSize(96, 64);
        QTest::newRow("resize to 48x32") << QSize(320, 240) << to << QSize(48, 32) << QSize(48, 32);
        // Whatever a caller asks, the panel's size is the limit.
        QTest::newRow("resize to 97x65 clamped") << QSize(320, 240) << to << QSize(97, 65) << QSize(96, 64);
        QTest::newRow("resize to 0x-3 clamped") << QSize(320, 240) << to << QSize(0, -3) << QSize(1, 1);
    }
    void resizeRuleSizes()
    {
        QFETCH(QSize, source);
        QFETCH(int, mode);
        QFETCH(QSize, target);
        QFETCH(QSize, expected);
        const ResizeRule rule = Rule(ResizeMode(mode), target.width(), target.height());
        QCOMPARE(ConvertedSize(source, rule), expected);
        const QImage converted = ConvertPicture(Numbered(source.width(), source.height()), rule);
        QCOMPARE(converted.size(), expected);
        QCOMPARE(converted.format(), QImage::Format_RGB888);
    }

    void noResizeCopiesTheTopLeftUnscaled()
    {
        const QImage source = Numbered(320, 240);
        const QImage converted = ConvertPicture(source, Rule(ResizeMode::NoResize));
        for (const QPoint p : {QPoint(0, 0), QPoint(95, 0), QPoint(0, 63), QPoint(95, 63), QPoint(17, 42)})
            QCOMPARE(converted.pixel(p), source.pixel(p));
    }

    void emptySourceConvertsToNothingOrBlack()
    {
        QVERIFY(ConvertPicture(QImage(), Rule(ResizeMode::NoResize)).isNull());
        const QImage black = ConvertPicture(QImage(), Rule(ResizeMode::ResizeTo, 48, 32));
        QCOMPARE(black.size(), QSize(48, 32));
        QCOMPARE(black.pixel(47, 31), qRgb(0, 0, 0));
    }

    void alphaIsIgnoredNotBlended()
    {
        // A transparent pixel keeps the colour the file stores for it.
        QImage picture(2, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(200, 100, 50, 0));
        picture.setPixel(1, 0, qRgba(10, 20, 30, 128));
        QTemporaryDir dir;
        const QString path = Write(dir, "alpha.png", Encoded(picture, "png"));
        QImage read;
        QVERIFY(ReadPicture(path, read));
        QCOMPARE(read.pixel(0, 0), qRgb(200, 100, 50));
        QCOMPARE(read.pixel(1, 0), qRgb(10, 20, 30));
        const QImage converted = ConvertPicture(picture, Rule(ResizeMode::ResizeTo, 1, 1));
        QCOMPARE(converted.size(), QSize(1, 1));
        QVERIFY(qRed(converted.pixel(0, 0)) > 60);  // a mix of 200 and 10, not darkened to 0
    }

    void readConvertedMatchesConvertingTheWholePicture()
    {
        QTemporaryDir dir;
        const QImage source = Numbered(320, 240);
        const QString png = Write(dir, "p.png", Encoded(source, "png"));
        QImage whole;
        QVERIFY(ReadPicture(png, whole));
        QCOMPARE(whole.size(), QSize(320, 240));
        for (const ResizeRule& rule : {Rule(ResizeMode::NoResize), Rule(ResizeMode::Maximize),
                                       Rule(ResizeMode::ResizeTo, 48, 32)}) {
            QImage reduced;
            QVERIFY(ReadConvertedPicture(png, rule, reduced));
            QCOMPARE(reduced, ConvertPicture(whole, rule));
        }
    }

    void brokenAndHostileFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QImage photo = Numbered(120, 90);
        const QByteArray png = Encoded(photo, "png");
        const QByteArray jpeg = Encoded(photo, "jpeg", 90);
        const QByteArray bmp = Encoded(photo, "bmp");
        // A valid PNG header claiming 100000 x 100000 pixels (CRC fixed up).
        QByteArray huge = png;
        qToBigEndian<quint32>(100000, huge.data() + 16);
        qToBigEndian<quint32>(100000, huge.data() + 20);
        qToBigEndian<quint32>(Crc32(huge.constData() + 12, 17), huge.data() + 29);
        QTest::newRow("empty file") << "empty.png" << QByteArray();
        QTest::newRow("text named .png") << "text.png" << QByteArray("this is not a picture\n");
        QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2);
        QTest::newRow("truncated jpeg") << "cut.jpg" << jpeg.left(jpeg.size() / 2);
        QTest::newRow("jpeg without its end") << "noend.jpg" << jpeg.left(jpeg.size() - 2);
        QTest::newRow("truncated bmp") << "cut.bmp" << bmp.left(bmp.size() / 2);
        QTest::newRow("png header only") << "head.png" << png.left(33);
        QTest::newRow("claims 100000x100000") << "huge.png" << huge;
    }
    void brokenAndHostileFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = Write(dir, name, bytes);
        QImage picture;
        QVERIFY(!ReadPicture(path, picture));
        QVERIFY(picture.isNull());
        for (const ResizeRule& rule : {Rule(ResizeMode::NoResize), Rule(ResizeMode::Maximize)}) {
            QImage converted;
            QVERIFY(!ReadConvertedPicture(path, rule, converted));
        }
        QVERIFY(!ReadPicture(dir.filePath("missing.png"), picture));
        QCOMPARE(PictureOpenFailureText(), QStringLiteral("File not found or invalid format"));
    }

    void completenessChecksAcceptWholeFiles()
    {
        const QImage photo = Numbered(64, 48);
        const QByteArray jpeg = Encoded(photo, "jpeg", 90);
        QVERIFY(JpegLooksComplete(jpeg));
        QVERIFY(JpegLooksComplete(jpeg + "trailing bytes after the end marker"));
        QVERIFY(JpegLooksComplete(Encoded(photo, "jpeg", 90, true)));
        QVERIFY(BmpLooksComplete(Encoded(photo, "bmp")));
        const QByteArray png = Encoded(photo, "png");
        QVERIFY(PngLooksComplete(png));
        QByteArray damaged = png;
        damaged[png.size() / 2] = char(damaged.at(png.size() / 2) ^ 0x40);  // inside the image data
        QVERIFY(!PngLooksComplete(damaged));
        QVERIFY(!BmpLooksComplete(Encoded(photo, "bmp").left(100)));
    }

    void progressiveJpegFromDcScansGivesTheSamePixels()
    {
        // Detail everywhere, so that the AC scans carry real data.
        QImage photo(800, 600, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x ^ y) & 0xFF, (x * y) & 0xFF));
        const QByteArray progressive = Encoded(photo, "jpeg", 95, true);
        const QByteArray dcOnly = JpegWithoutAcScans(progressive);
        QVERIFY(!dcOnly.isEmpty());
        QVERIFY(dcOnly.size() < progressive.size() / 2);
        QVERIFY(JpegLooksComplete(dcOnly));
        QCOMPARE(JpegReductionFor(QSize(800, 600), QSize(96, 64)), 8);
        QCOMPARE(JpegReductionFor(QSize(640, 480), QSize(96, 64)), 4);
        QCOMPARE(JpegReductionFor(QSize(100, 60), QSize(96, 64)), 1);

        QImage fast;
        QImage full;
        if (!DecodeJpegReduced(progressive, QSize(96, 64), fast))
            QSKIP("built without libjpeg");
        QVERIFY(DecodeJpegReduced(progressive, QSize(96, 64), full, false));
        QCOMPARE(fast.size(), QSize(100, 75));
        QCOMPARE(fast, full);
    }

    void saveBmpWrites24BitsAtTheSourceSize()
    {
        QTemporaryDir dir;
        QImage picture(640, 480, QImage::Format_ARGB32);
        picture.fill(qRgba(1, 2, 3, 0));
        const QString path = dir.filePath("out.picture");  // any extension: still BMP
        QCOMPARE(int(SaveBmpFile(path, picture).status), int(SaveStatus::Saved));
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 28), quint16(24));
        const QImage back(path, "bmp");
        QCOMPARE(back.size(), QSize(640, 480));
        QCOMPARE(back.pixel(5, 5), qRgb(1, 2, 3));
    }

    void savesAreCompleteOrReportedAndDamageNothing()
    {
        QTemporaryDir dir;
        const QString two = dir.filePath("two.dat");
        SaveResult result = SaveImageDataFile(two, ConvertPicture(Filled(2, 1, Qt::red), ResizeRule()), 8);
        QCOMPARE(SaveResultText(result), QStringLiteral("Save to file complete."));
        QCOMPARE(ReadAll(two), Bytes({2, 1, 8, 0xE0, 0xE0}));

        // No folder to create the file in: reported, not "complete".
        const QString nowhere = dir.filePath("no-such-folder/out.dat");
        result = SaveBmpFile(nowhere, Filled(4, 4, Qt::red));
        QCOMPARE(int(result.status), int(SaveStatus::OpenFailed));
        QCOMPARE(SaveResultText(result), QStringLiteral("Failed to open output file (%1).").arg(MissingFolderText()));
        QCOMPARE(int(SaveImageDataFile(nowhere, Filled(4, 4, Qt::red), 8).status), int(SaveStatus::OpenFailed));

        // A write that fails part-way keeps the file it was replacing.
        const QString path = Write(dir, "keep.dat", "the earlier file");
        result = SaveFileAtomically(path, [](QIODevice& out) {
            out.write("half of the new");
            return false;
        });
        QCOMPARE(int(result.status), int(SaveStatus::WriteFailed));
        QVERIFY(SaveResultText(result).startsWith(QStringLiteral("Failed to write output file")));
        QCOMPARE(ReadAll(path), QByteArray("the earlier file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"keep.dat", "two.dat"}));

        // The folder vanishes while the file is written: nothing is left.
#ifdef Q_OS_WIN
        QSKIP("Windows does not remove a folder while a file in it is open: it cannot vanish during a save");
#endif
        QDir(dir.path()).mkdir("gone");
        const QString inGone = dir.filePath("gone/new.dat");
        result = SaveFileAtomically(inGone, [&](QIODevice& out) {
            out.write("data");
            QDir(dir.filePath("gone")).removeRecursively();
            return true;
        });
        QCOMPARE(SaveResultText(result), QStringLiteral("Failed to write output file (No such file or directory). "
                                                        "An earlier file of that name was left unchanged."));
        QVERIFY(!QFile::exists(inGone));
    }

    void defaultSuffix()
    {
        QTemporaryDir dir;
        QCOMPARE(WithDefaultSuffix(dir.filePath("show"), "dat"), dir.filePath("show.dat"));
        QCOMPARE(WithDefaultSuffix(dir.filePath("show.bin"), "dat"), dir.filePath("show.bin"));
        // The user confirmed overwriting "taken", not "taken.dat".
        Write(dir, "taken.dat", "x");
        QCOMPARE(WithDefaultSuffix(dir.filePath("taken"), "dat"), dir.filePath("taken"));
    }
};

QTEST_GUILESS_MAIN(TestImaging)
#include "tst_imaging.moc"
