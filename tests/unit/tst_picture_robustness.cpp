// SPDX-License-Identifier: GPL-3.0-or-later
// Every way a picture file is read, against hostile files: a picture or a
// clear message, never a crash, a hang or a picture read from bytes that
// are not there. The corpus is made by the tests from fixed seeds; a failure
// names the seed and the case.

#include "imaging/DecodeBudget.h"
#include "imaging/ImageFiles.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureDecoding.h"
#include "imaging/PictureFile.h"
#include "imaging/PictureLayout.h"
#include "imaging/PixelFormats.h"
#include "imaging/SlideshowBuilder.h"
#include "support/PictureBytes.h"
#include "support/PictureFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <future>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace tavrel;
using namespace tavrel::testing;

namespace {

constexpr quint32 kSeed = 20240611;
constexpr int kMutantsPerFile = 12;

const ResizeRule kRules[] = {Rule(ResizeMode::NoResize), Rule(ResizeMode::Maximize), Rule(ResizeMode::ResizeTo, 17, 9)};

// A new file each time: emptying an old one makes the file system write it
// out at once, a hundred times slower.
QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString Why(const PictureCase& c, const QString& what)
{
    return QStringLiteral("seed %1, case \"%2\": %3").arg(kSeed).arg(c.name, what);
}

// Runs `work` and fails, instead of hanging the whole run, when it does not
// come back within a generous time.
template <typename Work>
bool ReturnsInTime(Work work)
{
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(30)) == std::future_status::ready)
        return true;
    qFatal("a picture read did not come back within 30 s");
    return false;
}

// What Qt's own reader makes of the bytes, alpha ignored as everywhere.
QImage QtReading(const QByteArray& bytes, const char* format, QRect clip = QRect())
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    if (clip.isValid())
        reader.setClipRect(clip);
    return OpaqueRgb32(reader.read());
}

bool IsFailureText(const PictureReadResult& result)
{
    const QString text = PictureReadFailureText(result);
    return !text.isEmpty() && (result.status == PictureReadStatus::Undecodable) == (text == PictureOpenFailureText());
}

} // namespace

class TestPictureRobustness : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Qt's own readers, used here for comparison, comment on the
        // corpus's text chunks.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*.info=false"));
        m_corpus = HostilePictureCorpus(kSeed, kMutantsPerFile);
    }

    // ReadPicture and ReadConvertedPicture under the three rules, and the
    // data at both depths: each gives a picture of the right size or a
    // refusal with a message, and files that must not decode never do.
    void corpusThroughEveryReadingEntry()
    {
        QTemporaryDir dir;
        for (const PictureCase& c : m_corpus) {
            const QString path = Write(dir, QStringLiteral("picture"), c.bytes);
            QImage whole;
            const PictureReadResult read = ReadPicture(path, whole);
            QVERIFY2(read ? !whole.isNull() && whole.format() == QImage::Format_RGB32 : whole.isNull(),
                     qPrintable(Why(c, "result and picture disagree")));
            if (!read)
                QVERIFY2(IsFailureText(read), qPrintable(Why(c, "no clear message")));
            if (c.expect == PictureCase::Expect::Picture) {
                QVERIFY2(read, qPrintable(Why(c, "refused: " + PictureReadFailureText(read))));
                QVERIFY2(whole.size() == c.size, qPrintable(Why(c, "wrong size")));
            }
            if (c.expect == PictureCase::Expect::Refused)
                QVERIFY2(!read, qPrintable(Why(c, "decoded")));

            for (const ResizeRule& rule : kRules) {
                QImage converted;
                const PictureReadResult result = ReadConvertedPicture(path, rule, converted);
                if (c.expect == PictureCase::Expect::Picture)
                    QVERIFY2(result, qPrintable(Why(c, "refused under a rule")));
                if (c.expect == PictureCase::Expect::Refused)
                    QVERIFY2(!result, qPrintable(Why(c, "decoded under a rule")));
                if (!result) {
                    QVERIFY2(converted.isNull() && IsFailureText(result), qPrintable(Why(c, "unclear refusal")));
                    continue;
                }
                QVERIFY2(!converted.isNull(), qPrintable(Why(c, "empty conversion")));
                // The same size as the whole picture's conversion, and data
                // of that size at both depths.
                if (read)
                    QVERIFY2(converted.size() == ConvertedSize(whole.size(), rule),
                             qPrintable(Why(c, "converted size differs from the whole picture's")));
                QVERIFY(converted.width() <= kPictureMaxWidth && converted.height() <= kPictureMaxHeight);
                for (int depth : {kDepth16, kDepth8})
                    QCOMPARE(ImageDataFileBytes(converted, depth).size(),
                             3 + converted.width() * converted.height() * depth / 8);
            }
        }
    }

    // libpng and libjpeg decode what Qt's readers decode, pixel for pixel,
    // so the pictures of sound files are those the panel always made.
    void ownDecodersGiveQtsPixels()
    {
        QTemporaryDir dir;
        int compared = 0;
        for (const PictureCase& c : m_corpus) {
            if (c.expect != PictureCase::Expect::Picture)
                continue;
            const bool png = c.bytes.startsWith("\x89PNG");
            const bool jpeg = c.bytes.startsWith("\xFF\xD8");
            if (!png && !jpeg)
                continue;
            const char* format = png ? "png" : "jpeg";
            const QString path = Write(dir, "picture", c.bytes);
            QImage ours;
            QVERIFY2(ReadPicture(path, ours), qPrintable(Why(c, "refused")));
            QVERIFY2(ours == QtReading(c.bytes, format), qPrintable(Why(c, "pixels differ from Qt's")));
            QImage topLeft;
            QVERIFY(ReadConvertedPicture(path, Rule(ResizeMode::NoResize), topLeft));
            const QRect clip(0, 0, qMin(96, c.size.width()), qMin(64, c.size.height()));
            QVERIFY2(topLeft == OpaqueRgb888(QtReading(c.bytes, format, clip)),
                     qPrintable(Why(c, "top-left part differs from Qt's")));
            ++compared;
        }
        QVERIFY(compared >= 30);
    }

    // WebP, TIFF and SVG give the pixels they hold: lossless files and
    // TIFF exactly, lossy WebP as Qt's own reader gives it, SVG drawn at
    // the size asked for rather than drawn large and scaled.
    void newFormatsGiveTheirPixels()
    {
        QTemporaryDir dir;
        int compared = 0;
        for (const PictureCase& c : m_corpus) {
            if (c.expect != PictureCase::Expect::Picture || c.size == QSize(1, 1))
                continue;
            const bool webp = c.name.startsWith("webp");
            const bool tiff = c.name.startsWith("tiff");
            if (!webp && !tiff)
                continue;
            QImage picture;
            QVERIFY2(ReadPicture(Write(dir, "picture", c.bytes), picture), qPrintable(Why(c, "refused")));
            if (c.name.contains("lossy")) {
                QVERIFY2(picture == QtReading(c.bytes, "webp"), qPrintable(Why(c, "pixels differ from Qt's")));
            } else if (c.name == "webp animated") {
                // The first frame, at (2, 2) of its canvas.
                QCOMPARE(picture.pixel(2, 2), PatternPixel(0, 0));
                QCOMPARE(picture.pixel(11, 9), PatternPixel(9, 7));
            } else {
                for (int y = 0; y < c.size.height(); ++y)
                    for (int x = 0; x < c.size.width(); ++x) {
                        TiffOptions shape;
                        shape.photometric = c.name.contains("grey") ? 1 : c.name.contains("palette") ? 3 : 2;
                        shape.bitsPerSample = c.name == "tiff grey1" ? 1 : 8;
                        const QRgb expected = webp ? PatternPixel(x, y) : TiffPixel(shape, x, y);
                        QVERIFY2(picture.pixel(x, y) == (expected | 0xFF000000u),
                                 qPrintable(Why(c, QStringLiteral("pixel %1,%2 is %3, not %4")
                                                       .arg(x)
                                                       .arg(y)
                                                       .arg(picture.pixel(x, y), 8, 16)
                                                       .arg(expected, 8, 16))));
                    }
            }
            ++compared;
        }
        QCOMPARE(compared, 14);

        const QString svg = Write(dir, "logo.svg", MakeSvg(QSize(40, 30)));
        QImage whole;
        QVERIFY(ReadPicture(svg, whole));
        QCOMPARE(whole.size(), QSize(40, 30));
        QCOMPARE(whole.pixel(5, 5), qRgb(255, 0, 0));
        QCOMPARE(whole.pixel(30, 5), qRgb(0, 0, 255));
        QCOMPARE(whole.pixel(5, 25), qRgb(0, 0, 0));  // nothing drawn: black, as on the panel
        QImage maximized;
        QVERIFY(ReadConvertedPicture(svg, Rule(ResizeMode::Maximize), maximized));
        QCOMPARE(maximized.size(), QSize(96, 64));
        // Drawn at 96 x 64: the edge between red and blue is sharp at
        // column 48, as scaling the 40 x 30 picture up would not leave it.
        QCOMPARE(maximized.pixel(47, 10), qRgb(255, 0, 0));
        QCOMPARE(maximized.pixel(48, 10), qRgb(0, 0, 255));
        QCOMPARE(maximized.pixel(10, 40), qRgb(0, 0, 0));
    }

    // The claimed size is judged alike under every rule and for every
    // format: before anything else is wrong with the file, at the same
    // limits, and by what the file holds rather than what is decoded of it.
    void oneSizeRuleForEveryFormatAndOption()
    {
        QTemporaryDir dir;
        QImage picture;
        // A PNG claiming 1 x 67108864 pixels that holds 100 rows.
        PngOptions tall;
        tall.width = 1;
        tall.height = 100;
        const QByteArray short100 = MakePng(tall);
        QByteArray header;
        header.append(QByteArray("\0\0\0\1\4\0\0\0\x08\x02\0\0\0", 13));
        const QString path = Write(dir, "tall.png",
                                   short100.left(8) + PngChunk("IHDR", header) + short100.mid(8 + 25));
        for (const ResizeRule& rule : kRules) {
            const PictureReadResult result = ReadConvertedPicture(path, rule, picture);
            QCOMPARE(int(result.status), int(PictureReadStatus::Undecodable));
        }
        // GIF at exactly the limit is taken as PNG and JPEG are: 64
        // megapixels of four bytes fit the 256 MB.
        GifOptions limit;
        limit.screenWidth = 8192;
        limit.screenHeight = 8192;
        limit.frameSize = QSize(2, 2);
        for (const ResizeRule& rule : kRules) {
            DecodeRequest request;
            request.part = rule.mode == ResizeMode::NoResize ? DecodeRequest::Part::TopLeft : DecodeRequest::Part::Reduced;
            request.region = ConvertedSize(QSize(96, 64), rule);
            QCOMPARE(DecodeBytesNeeded(ReadPictureLayout(MakeGif(limit)), request), kMaxPictureDecodeBytes);
        }
        // Short files that claim too much say so, whatever the format.
        QByteArray bmp = MakeBmp(BmpOptions());
        qToLittleEndian<quint32>(100000, bmp.data() + 18);
        qToLittleEndian<quint32>(1000, bmp.data() + 22);
        for (const QByteArray& bytes : {bmp.left(200), QByteArray("P6\n100000 1000\n255\n\1\2\3"),
                                        PngClaiming(QSize(100000, 1000)).left(40),
                                        QByteArray("GIF89a\xFF\xFF\xFF\xFF\x80\0\0", 13)}) {
            for (const ResizeRule& rule : kRules) {
                const PictureReadResult result = ReadConvertedPicture(Write(dir, "short", bytes), rule, picture);
                QVERIFY2(result.status == PictureReadStatus::TooManyPixels, qPrintable(bytes.left(6).toHex()));
            }
        }
    }

    void topDownBitmapsAreReadTheRightWayUp()
    {
        QTemporaryDir dir;
        for (int bits : {1, 4, 8, 16, 24, 32}) {
            BmpOptions shape;
            shape.bitsPerPixel = bits;
            QImage bottomUp;
            QImage topDown;
            QVERIFY(ReadPicture(Write(dir, "up.bmp", MakeBmp(shape)), bottomUp));
            shape.topDown = true;
            QVERIFY2(ReadPicture(Write(dir, "down.bmp", MakeBmp(shape)), topDown), qPrintable(QString::number(bits)));
            QCOMPARE(topDown.size(), QSize(shape.width, shape.height));
            QCOMPARE(topDown, bottomUp);
            if (bits == 24 || bits == 32) {
                QCOMPARE(topDown.pixel(0, 0), PatternPixel(0, 0));
                QCOMPARE(topDown.pixel(12, 6), PatternPixel(12, 6));
            }
            QImage converted;
            QVERIFY(ReadConvertedPicture(dir.filePath("down.bmp"), Rule(ResizeMode::NoResize), converted));
            QCOMPARE(converted, OpaqueRgb888(bottomUp));
        }
    }

    // What is wrong, and the limit, instead of the generic message.
    void tooLargeAndNotAFileSayWhy()
    {
        QTemporaryDir dir;
        QImage picture;
        PictureReadResult result = ReadPicture(Write(dir, "huge.png", PngClaiming(QSize(9000, 8000))), picture);
        QCOMPARE(int(result.status), int(PictureReadStatus::TooManyPixels));
        QCOMPARE(PictureReadFailureText(result),
                 QStringLiteral("The picture \"%1\" is too large: 9000x8000 pixels. Pictures may have at most 64 "
                                "megapixels (8192x8192 pixels).")
                     .arg(QDir::toNativeSeparators(dir.filePath("huge.png"))));
        // The limit itself is allowed, one row more is not.
        result = ReadPicture(Write(dir, "edge.png", PngClaiming(QSize(8192, 8193))), picture);
        QCOMPARE(int(result.status), int(PictureReadStatus::TooManyPixels));
        result = ReadPicture(Write(dir, "limit.png", PngClaiming(QSize(8192, 8192))), picture);
        QVERIFY(result.status != PictureReadStatus::TooManyPixels);

        // Progressive, so libjpeg would keep every coefficient of its 64
        // megapixels (three full-size components) besides the picture.
        QByteArray jpeg = MakeJpeg(QSize(16, 16), true);
        const int sof = int(jpeg.indexOf("\xFF\xC2"));
        qToBigEndian<quint16>(8192, jpeg.data() + sof + 5);
        qToBigEndian<quint16>(8192, jpeg.data() + sof + 7);
        for (int c = 0; c < 3; ++c)
            jpeg[sof + 11 + 3 * c] = '\x11';
        result = ReadPicture(Write(dir, "deep.jpg", jpeg), picture);
        QCOMPARE(int(result.status), int(PictureReadStatus::NeedsTooMuchMemory));
        QVERIFY(result.neededBytes > kMaxPictureDecodeBytes);
        QVERIFY2(PictureReadFailureText(result).contains("Decoding a picture may take at most 256 MB."),
                 qPrintable(PictureReadFailureText(result)));
        for (const ResizeRule& rule : kRules)
            QVERIFY(!ReadConvertedPicture(dir.filePath("deep.jpg"), rule, picture));

        // A file one byte over the limit, sparse so it takes no room.
        const QString big = Write(dir, "big.bmp", MakeBmp(BmpOptions()));
        QVERIFY(QFile::resize(big, kMaxPictureFileBytes + 1));
        result = ReadPicture(big, picture);
        QCOMPARE(int(result.status), int(PictureReadStatus::FileTooLarge));
        QCOMPARE(PictureReadFailureText(result),
                 QStringLiteral("The picture file \"%1\" is too large (268435457 bytes). Picture files may be at "
                                "most 256 MB.")
                     .arg(QDir::toNativeSeparators(big)));

        result = ReadPicture(dir.path(), picture);
        QCOMPARE(int(result.status), int(PictureReadStatus::NotRegularFile));
        QVERIFY(PictureReadFailureText(result).contains("it is a folder, not a regular file"));
        result = ReadPicture(dir.filePath("missing.png"), picture);
        QCOMPARE(PictureReadFailureText(result), PictureOpenFailureText());
    }

    // A named pipe nobody writes to, a device, a link to a picture. The slot
    // exists on every system so that one moc output serves them all.
    // The structure walk takes a palette of as many colours as an 8-bit
    // index can name, and refuses one colour more before any decoder sees it.
    void pngPaletteOfAtMost256Colours_data()
    {
        QTest::addColumn<int>("colours");
        QTest::newRow("256") << 256;
        QTest::newRow("257") << 257;
    }
    void pngPaletteOfAtMost256Colours()
    {
        QFETCH(int, colours);
        PngOptions shape;
        shape.colourType = 3;
        QByteArray palette;
        for (int i = 0; i < colours; ++i)
            palette.append(char(i)).append(char(255 - i)).append(char(i / 2));
        const QByteArray png = ReplacedChunk(MakePng(shape), "PLTE", PngChunk("PLTE", palette));
        const bool fits = colours <= 256;
        QCOMPARE(ReadPictureLayout(png).sound, fits);
        QTemporaryDir dir;
        QImage picture;
        const PictureReadResult read = ReadPicture(Write(dir, QStringLiteral("palette.png"), png), picture);
        QCOMPARE(bool(read), fits);
        if (fits)
            QCOMPARE(picture.size(), QSize(shape.width, shape.height));
    }

    void specialFilesNeverBlock()
    {
#ifndef Q_OS_UNIX
        QSKIP("Named pipes and /dev are Unix things.");
#else
        QTemporaryDir dir;
        const QString fifo = dir.filePath("pipe.png");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/null")}) {
            PictureReadResult whole;
            PictureReadResult converted;
            ReturnsInTime([&] {
                QImage picture;
                whole = ReadPicture(path, picture);
                converted = ReadConvertedPicture(path, Rule(ResizeMode::Maximize), picture);
            });
            QCOMPARE(int(whole.status), int(PictureReadStatus::NotRegularFile));
            QCOMPARE(int(converted.status), int(PictureReadStatus::NotRegularFile));
            QVERIFY2(PictureReadFailureText(whole).contains(path == fifo ? "a named pipe (FIFO)" : "a device"),
                     qPrintable(PictureReadFailureText(whole)));
        }
        const QString target = Write(dir, "real.bmp", MakeBmp(BmpOptions()));
        QVERIFY(QFile::link(target, dir.filePath("link.bmp")));
        QImage picture;
        QVERIFY(ReadPicture(dir.filePath("link.bmp"), picture));
        QCOMPARE(picture.size(), QSize(13, 7));
#endif
    }

    // One message per picture that cannot be used, each saying why; the
    // others are converted and the file is written all the same.
    void slideshowBuilderGoesOnAndSaysWhy()
    {
        QTemporaryDir dir;
        QStringList paths;
        paths << Write(dir, "a-good.bmp", MakeBmp(BmpOptions()));
        paths << Write(dir, "b-broken.png", MakePng(PngOptions()).left(60));
        paths << Write(dir, "c-huge.png", PngClaiming(QSize(9000, 8000)));
        paths << dir.path();
        paths << Write(dir, "e-good.gif", MakeGif(GifOptions()));
        QStringList messages;
        SlideshowSaveHooks hooks;
        hooks.message = [&messages](const QString& text) { messages << text; };
        const QString out = dir.filePath("show.dat");
        const SaveResult saved = BuildSlideshowFile(out, paths, Rule(ResizeMode::ResizeTo, 8, 4), kDepth8, hooks);
        QCOMPARE(int(saved.status), int(SaveStatus::Saved));
        QCOMPARE(messages.size(), 3);
        QCOMPARE(messages.at(0), PictureOpenFailureText());
        QVERIFY(messages.at(1).contains("9000x8000 pixels"));
        QVERIFY(messages.at(2).contains("it is a folder"));
        const QByteArray bytes = ReadAll(out);
        QCOMPARE(bytes.size(), 3 + 5 * 8 * 4);
        // The frames that could not be made are black.
        QCOMPARE(bytes.mid(3 + 32, 3 * 32), QByteArray(3 * 32, '\0'));

        // Under No Resize such a picture has no frame: it is left out, and
        // a slideshow left with no frame at all is not written.
        const QString plain = dir.filePath("plain.dat");
        SaveResult result = BuildSlideshowFile(plain, paths.mid(0, 2), Rule(ResizeMode::NoResize), kDepth8, hooks);
        QCOMPARE(int(result.status), int(SaveStatus::Saved));
        QCOMPARE(ReadAll(plain).left(3), QByteArray("\x0D\x07\x08", 3));
        QCOMPARE(ReadAll(plain).size(), 3 + 13 * 7);
        const QString none = dir.filePath("none.dat");
        result = BuildSlideshowFile(none, paths.mid(1, 3), Rule(ResizeMode::NoResize), kDepth8, hooks);
        QCOMPARE(int(result.status), int(SaveStatus::Refused));
        QCOMPARE(result.detail, NoFrameText());
        QVERIFY(!QFile::exists(none));
    }

    // Decodes side by side share one budget: a second reservation waits
    // while the first holds most of it, and goes on once it is released.
    void decodesShareOneMemoryBudget()
    {
        constexpr qint64 kLimit = 1000;
        std::atomic<bool> secondHolds{false};
        auto first = std::make_unique<DecodeReservation>(700, kLimit);
        QThread* second = QThread::create([&secondHolds] {
            const DecodeReservation reservation(400, kLimit);
            secondHolds = true;
        });
        second->start();
        // Whatever the timing, the second cannot hold its share yet.
        QTest::qWait(50);
        QVERIFY(!secondHolds);
        first.reset();
        QVERIFY(second->wait(30000));
        QVERIFY(secondHolds);
        delete second;
        // Alone, even a reservation of the whole limit goes through.
        const DecodeReservation whole(kLimit, kLimit);
    }

    // libjpeg refuses to allocate beyond what it is given instead of taking
    // whatever a progressive file's header asks for.
    void libjpegKeepsToItsMemoryLimit()
    {
        if (!HaveJpegDecoder())
            QSKIP("built without libjpeg");
        const QByteArray progressive = MakeJpeg(QSize(400, 300), true);
        const PictureLayout layout = ReadPictureLayout(progressive);
        QVERIFY(layout.sound && layout.jpeg.buffered);
        QBuffer file;
        file.setData(progressive);
        file.open(QIODevice::ReadOnly);
        const qint64 pictureBytes = 400 * 300 * 4;
        QImage picture;
        QCOMPARE(DecodeJpeg(file, layout, DecodeRequest(), pictureBytes + layout.jpeg.coefficientBytes / 2, picture),
                 NativeDecode::Failed);
        QVERIFY(picture.isNull());
        QCOMPARE(DecodeJpeg(file, layout, DecodeRequest(), pictureBytes + 2 * layout.jpeg.coefficientBytes, picture),
                 NativeDecode::Decoded);
        QCOMPARE(picture.size(), QSize(400, 300));
    }

private:
    QVector<PictureCase> m_corpus;
};

QTEST_MAIN(TestPictureRobustness)
#include "tst_picture_robustness.moc"
