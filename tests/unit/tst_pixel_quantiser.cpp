// SPDX-License-Identifier: GPL-3.0-or-later
// The quantiser behind every pixel stream: truncation gives the bytes the
// encoders always gave, Floyd-Steinberg dithering keeps the mean colour of
// areas, the module's view is what the emulated module shows, and nothing
// depends on threads.

#include "emulator/Emulator.h"
#include "imaging/DisplayImageCommand.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"
#include "imaging/PixelQuantiser.h"
#include "imaging/SlideshowBuilder.h"
#include "support/PictureFiles.h"
#include "support/TestBytes.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// The 8-bit values the module shows for each code of a channel, worked out
// by hand from the bit replication (RGB332 to RGB565 to 8 bits a channel).
const std::vector<int> kRed3 = {0, 33, 74, 107, 148, 181, 222, 255};
const std::vector<int> kGreen3 = {0, 36, 73, 109, 146, 182, 219, 255};
const std::vector<int> kBlue2 = {0, 82, 173, 255};

// The gap between the two shown levels around a value.
int LevelStep(const std::vector<int>& levels, double value)
{
    for (size_t i = 1; i < levels.size(); ++i)
        if (value <= levels[i])
            return levels[i] - levels[i - 1];
    return levels.back() - levels[levels.size() - 2];
}

// A picture of random colours, from a seed printed on failure.
QImage Noise(int w, int h, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

// The same colour in every row; red rises and green falls from left to
// right, blue rises more slowly.
QImage HorizontalGradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / (w - 1), 255 - x * 255 / (w - 1), x * 170 / (w - 1)));
    return image;
}

int Channel(QRgb colour, int channel)
{
    return channel == 0 ? qRed(colour) : channel == 1 ? qGreen(colour) : qBlue(colour);
}

// The mean over every pixel and channel of |shown - source|.
double MeanAbsoluteError(const QImage& source, const QImage& shown)
{
    double sum = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(Channel(shown.pixel(x, y), c) - Channel(source.pixel(x, y), c));
    return sum / (3.0 * source.width() * source.height());
}

double ColumnMean(const QImage& image, int x, int channel)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        sum += Channel(image.pixel(x, y), channel);
    return sum / image.height();
}

// The mean over 4 x 4 blocks and channels of |shown - source| of the
// block's mean: the error as seen from a little way off.
double BlockMeanError(const QImage& source, const QImage& shown)
{
    double sum = 0;
    int count = 0;
    for (int top = 0; top + 4 <= source.height(); top += 4)
        for (int left = 0; left + 4 <= source.width(); left += 4)
            for (int c = 0; c < 3; ++c) {
                int difference = 0;
                for (int y = top; y < top + 4; ++y)
                    for (int x = left; x < left + 4; ++x)
                        difference += Channel(shown.pixel(x, y), c) - Channel(source.pixel(x, y), c);
                sum += std::abs(difference) / 16.0;
                ++count;
            }
    return sum / count;
}

// The largest difference, in level steps, between a column's mean and the
// source's colour in that column, over all columns and channels (8 bits).
double WorstColumnMeanInSteps(const QImage& source, const QImage& shown)
{
    const std::vector<int>* levels[3] = {&kRed3, &kGreen3, &kBlue2};
    double worst = 0;
    for (int x = 0; x < source.width(); ++x)
        for (int c = 0; c < 3; ++c) {
            const double wanted = Channel(source.pixel(x, 0), c);
            const double off = std::abs(ColumnMean(shown, x, c) - wanted) / LevelStep(*levels[c], wanted);
            worst = qMax(worst, off);
        }
    return worst;
}

// The pixel stream as the encoders made it before dithering existed: each
// pixel truncated on its own.
QByteArray TruncatedStream(const QImage& picture, int depth, PixelByteOrder order)
{
    QByteArray out;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            if (depth == kDepth8) {
                out += char(PixelToRgb332(qRed(p), qGreen(p), qBlue(p)));
                continue;
            }
            const quint16 v = PixelToRgb565(qRed(p), qGreen(p), qBlue(p));
            const char high = char(v >> 8);
            const char low = char(v & 0xFF);
            out += order == PixelByteOrder::Line ? QByteArray{&high, 1} + low : QByteArray{&low, 1} + high;
        }
    return out;
}

std::vector<quint16> Codes(std::initializer_list<int> values)
{
    return std::vector<quint16>(values.begin(), values.end());
}

const PixelEncoding kDithered8(kDepth8, Dithering::FloydSteinberg);
const PixelEncoding kDithered16(kDepth16, Dithering::FloydSteinberg);

} // namespace

class TestPixelQuantiser : public QObject {
    Q_OBJECT
private slots:
    // Truncation

    void truncationGivesTheEncodersBytes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("depth");
        for (const int depth : {kDepth16, kDepth8}) {
            const QByteArray bits = QByteArray::number(depth) + "-bit";
            QTest::newRow("no resize, " + bits) << int(ResizeMode::NoResize) << depth;
            QTest::newRow("maximize, " + bits) << int(ResizeMode::Maximize) << depth;
            QTest::newRow("resize to 37x23, " + bits) << int(ResizeMode::ResizeTo) << depth;
        }
    }
    void truncationGivesTheEncodersBytes()
    {
        QFETCH(int, mode);
        QFETCH(int, depth);
        const quint32 seed = 5021;
        const QImage picture = ConvertPicture(Noise(150, 90, seed), Rule(ResizeMode(mode), 37, 23));
        const QByteArray line = TruncatedStream(picture, depth, PixelByteOrder::Line);
        const QByteArray file = TruncatedStream(picture, depth, PixelByteOrder::File);
        // A depth alone and an explicit Dithering::Off are the same thing.
        for (const PixelEncoding& encoding : {PixelEncoding(depth), PixelEncoding(depth, Dithering::Off)}) {
            const QByteArray header = PictureDataHeader(picture.width(), picture.height(), depth);
            QVERIFY2(EncodePixelStream(picture, encoding, PixelByteOrder::Line) == line,
                     qPrintable(QStringLiteral("seed %1").arg(seed)));
            QCOMPARE(ImageDataFileBytes(picture, encoding), header + file);
            std::vector<Slide> slides(2);
            slides[0].picture = picture;
            slides[1].picture = picture.mirrored(true, false);
            QCOMPARE(SlideshowFileBytes(slides, encoding),
                     header + file + TruncatedStream(slides[1].picture, depth, PixelByteOrder::File));
        }
    }

    void shownColoursAreTheModulesLevels()
    {
        // Every channel code of both depths, against the levels worked out
        // by hand; 16-bit spot checks of the 5- and 6-bit replication.
        for (int r = 0; r < 8; ++r)
            QCOMPARE(qRed(ShownColour(quint16(r << 5), kDepth8)), kRed3[size_t(r)]);
        for (int g = 0; g < 8; ++g)
            QCOMPARE(qGreen(ShownColour(quint16(g << 2), kDepth8)), kGreen3[size_t(g)]);
        for (int b = 0; b < 4; ++b)
            QCOMPARE(qBlue(ShownColour(quint16(b), kDepth8)), kBlue2[size_t(b)]);
        QCOMPARE(ShownColour(0x0841, kDepth16), qRgb(8, 8, 8));
        QCOMPARE(ShownColour(0x8410, kDepth16), qRgb(132, 130, 132));
        QCOMPARE(ShownColour(0xFFFF, kDepth16), qRgb(255, 255, 255));
        QCOMPARE(ShownColour(0x0000, kDepth16), qRgb(0, 0, 0));

        // The truncated view of a picture: each pixel the level of its code.
        QImage picture(2, 1, QImage::Format_RGB888);
        picture.setPixelColor(0, 0, QColor(200, 100, 50));
        picture.setPixelColor(1, 0, QColor(31, 255, 191));
        const QImage view = ModuleView(picture, PixelEncoding(kDepth8));
        QCOMPARE(view.format(), QImage::Format_RGB888);
        QCOMPARE(view.pixel(0, 0), qRgb(222, 109, 0));
        QCOMPARE(view.pixel(1, 0), qRgb(0, 255, 173));
        QVERIFY(ModuleView(QImage(), kDithered8).isNull());
        QVERIFY(QuantisePixels(QImage(), kDithered8).empty());
    }

    void theModulesViewIsWhatTheEmulatorShows_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("dither");
        QTest::newRow("16-bit") << kDepth16 << false;
        QTest::newRow("16-bit dithered") << kDepth16 << true;
        QTest::newRow("8-bit") << kDepth8 << false;
        QTest::newRow("8-bit dithered") << kDepth8 << true;
    }
    void theModulesViewIsWhatTheEmulatorShows()
    {
        // The preview's "as on the module" and the emulated module agree
        // pixel for pixel on a stream from the same quantiser.
        QFETCH(int, depth);
        QFETCH(bool, dither);
        const quint32 seed = 77;
        const QImage picture = ConvertPicture(Noise(96, 64, seed), Rule(ResizeMode::NoResize));
        const PixelEncoding encoding(depth, dither ? Dithering::FloydSteinberg : Dithering::Off);
        quennel::Emulator emulator;
        emulator.feed(DisplayImageHeader(0, 0, 96, 64, depth)
                      + EncodePixelStream(picture, encoding, PixelByteOrder::Line));
        QVERIFY2(emulator.displayImage().convertToFormat(QImage::Format_RGB888) == ModuleView(picture, encoding),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
    }

    // Dithering

    void ditheringKeepsTheMeanOfAGradient()
    {
        const QImage source = HorizontalGradient(96, 64);
        const QImage dithered = ModuleView(source, kDithered8);
        const QImage truncated = ModuleView(source, PixelEncoding(kDepth8));
        const double ditheredWorst = WorstColumnMeanInSteps(source, dithered);
        const double truncatedWorst = WorstColumnMeanInSteps(source, truncated);
        const double ditheredBlocks = BlockMeanError(source, dithered);
        const double truncatedBlocks = BlockMeanError(source, truncated);
        const double ditheredPixels = MeanAbsoluteError(source, dithered);
        const double truncatedPixels = MeanAbsoluteError(source, truncated);
        const QString figures = QStringLiteral("worst column mean: dithered %1, truncated %2 steps; 4x4 block error: "
                                               "dithered %3, truncated %4; pixel error: dithered %5, truncated %6")
                                    .arg(ditheredWorst)
                                    .arg(truncatedWorst)
                                    .arg(ditheredBlocks)
                                    .arg(truncatedBlocks)
                                    .arg(ditheredPixels)
                                    .arg(truncatedPixels);
        qInfo("%s", qPrintable(figures));
        // Every column's mean colour within one level step of the source's,
        // and in fact within a quarter; truncation is off by most of a step.
        QVERIFY2(ditheredWorst <= 1.0, qPrintable(figures));
        QVERIFY2(ditheredWorst < 0.25, qPrintable(figures));
        QVERIFY2(truncatedWorst > 0.75, qPrintable(figures));
        // Seen from a little way off, far closer to the source.
        QVERIFY2(ditheredBlocks < truncatedBlocks / 2, qPrintable(figures));
        // Pixel by pixel, a mix of the two levels around a colour is off by
        // a third of a step on average, which is about what truncation to
        // the module's bit-replicated levels gives at 8 bits: no worse than
        // that, and never a jump to levels further away.
        QVERIFY2(ditheredPixels < truncatedPixels * 1.15, qPrintable(figures));

        // At 16 bits, closer than truncation pixel by pixel too.
        const double pixels16 = MeanAbsoluteError(source, ModuleView(source, kDithered16));
        const double truncated16 = MeanAbsoluteError(source, ModuleView(source, PixelEncoding(kDepth16)));
        QVERIFY2(pixels16 < truncated16, qPrintable(QStringLiteral("%1 against %2").arg(pixels16).arg(truncated16)));
    }

    void coloursTheModuleShowsStayFlat_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("code");
        QTest::newRow("8-bit 33,36,82") << kDepth8 << QColor(33, 36, 82) << 0x25;
        QTest::newRow("8-bit white") << kDepth8 << QColor(255, 255, 255) << 0xFF;
        QTest::newRow("8-bit black") << kDepth8 << QColor(0, 0, 0) << 0x00;
        QTest::newRow("16-bit 132,130,132") << kDepth16 << QColor(132, 130, 132) << 0x8410;
        QTest::newRow("16-bit pure red") << kDepth16 << QColor(255, 0, 0) << 0xF800;
    }
    void coloursTheModuleShowsStayFlat()
    {
        QFETCH(int, depth);
        QFETCH(QColor, colour);
        QFETCH(int, code);
        const std::vector<quint16> codes =
            QuantisePixels(Filled(96, 64, colour), PixelEncoding(depth, Dithering::FloydSteinberg));
        QCOMPARE(codes.size(), size_t(96 * 64));
        for (size_t i = 0; i < codes.size(); ++i)
            QVERIFY2(codes[i] == code, qPrintable(QStringLiteral("pixel %1 is %2").arg(i).arg(codes[i], 0, 16)));
    }

    void tinyPicturesByHand()
    {
        // One pixel: the nearest level of each channel, where truncation
        // takes the one below (0xCC).
        QCOMPARE(QuantisePixels(Filled(1, 1, QColor(200, 100, 50)), kDithered8), Codes({0xAD}));
        QCOMPARE(QuantisePixels(Filled(1, 1, QColor(200, 100, 50)), PixelEncoding(kDepth8)), Codes({0xCC}));

        // Blue 43 lies just above the middle of 0 and 82: 82 first, and
        // the error carried along the row turns the next pixel to 0.
        QCOMPARE(QuantisePixels(Filled(3, 1, QColor(0, 0, 43)), kDithered8), Codes({0x01, 0x00, 0x01}));

        // Grey 104 at 8 bits, 4 x 2. Every channel's nearest levels are
        // red 107, green 109, blue 82 (0x6D). Along the first row blue keeps
        // 22 of 104 and passes it on (7/16 ahead; 3/16, 5/16 and 1/16 to the
        // row below), which leaves the first row 0x6D but brings the second,
        // run from the right, blue of 118.06, 140, 107.5 and 127.875: 140
        // and 127.875 round to the nearer 173 (0x6E), where 127.875 cut
        // down to 127 would be nearer 82. Red and green stay within their
        // levels throughout.
        QCOMPARE(QuantisePixels(Filled(4, 2, QColor(104, 104, 104)), kDithered8),
                 Codes({0x6D, 0x6D, 0x6D, 0x6D, 0x6E, 0x6D, 0x6E, 0x6D}));

        // A row of 96: the full width, edges included.
        const QImage row = HorizontalGradient(96, 1);
        const std::vector<quint16> codes = QuantisePixels(row, kDithered8);
        QCOMPARE(codes.size(), size_t(96));
        QCOMPARE(codes.front(), quint16(0x1C));  // pure green, shown exactly
        const QImage shown = ModuleView(row, kDithered8);
        QCOMPARE(shown.size(), QSize(96, 1));
        QVERIFY(MeanAbsoluteError(row, shown) < MeanAbsoluteError(row, ModuleView(row, PixelEncoding(kDepth8))));
        QCOMPARE(EncodePixelStream(row, kDithered16, PixelByteOrder::File).size(), 192);
    }

    void oddRowsRunRightToLeft()
    {
        // The first row shows exactly, so it hands no error down: the second
        // row is then dithered as a row of its own, from the right.
        const quint32 seed = 913;
        const QImage second = Noise(17, 1, seed);
        QImage picture(17, 2, QImage::Format_RGB888);
        for (int x = 0; x < 17; ++x) {
            picture.setPixelColor(x, 0, QColor(33, 36, 82));
            picture.setPixel(x, 1, second.pixel(x, 0));
        }
        std::vector<quint16> alone = QuantisePixels(second.mirrored(true, false), kDithered8);
        std::reverse(alone.begin(), alone.end());
        const std::vector<quint16> both = QuantisePixels(picture, kDithered8);
        QVERIFY2(std::vector<quint16>(both.begin() + 17, both.end()) == alone, qPrintable(QString::number(seed)));
        QVERIFY2(std::vector<quint16>(both.begin(), both.begin() + 17) == std::vector<quint16>(17, 0x25),
                 qPrintable(QString::number(seed)));
    }

    void sameCodesWhateverTheThreads()
    {
        // Many quantisers at once give what one gives alone.
        const quint32 seed = 4242;
        std::vector<QImage> pictures;
        for (quint32 i = 0; i < 6; ++i)
            pictures.push_back(Noise(96, 64, seed + i));
        std::vector<QByteArray> alone;
        for (const QImage& picture : pictures)
            alone.push_back(EncodePixelStream(picture, kDithered8, PixelByteOrder::File)
                            + EncodePixelStream(picture, kDithered16, PixelByteOrder::File));
        std::vector<QByteArray> together(pictures.size());
        std::vector<std::thread> threads;
        for (size_t i = 0; i < pictures.size(); ++i)
            threads.emplace_back([&, i] {
                together[i] = EncodePixelStream(pictures[i], kDithered8, PixelByteOrder::File)
                              + EncodePixelStream(pictures[i], kDithered16, PixelByteOrder::File);
            });
        for (std::thread& thread : threads)
            thread.join();
        QVERIFY2(together == alone, qPrintable(QStringLiteral("seed %1").arg(seed)));

        // A dithered slideshow from one converting thread or four.
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 5; ++i)
            paths << SavePicture(dir, QStringLiteral("p%1.png").arg(i), Noise(130 + 20 * i, 90, seed + 10 + i), "png");
        const ResizeRule maximize = Rule(ResizeMode::Maximize);
        const QByteArray one = SlideshowFileBytes(ConvertSlides(paths, maximize, {}, 1), kDithered8);
        const QByteArray four = SlideshowFileBytes(ConvertSlides(paths, maximize, {}, 4), kDithered8);
        QCOMPARE(one.size(), 3 + 5 * 6144);
        QVERIFY2(one == four, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
};

QTEST_GUILESS_MAIN(TestPixelQuantiser)
#include "tst_pixel_quantiser.moc"
