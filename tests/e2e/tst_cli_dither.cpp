// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli's --dither and save-bmp --as-module: the files and the upload
// carry the dithered codes, the module's view is saved as a BMP, and the
// options are refused where they mean nothing.

#include "emulator/Emulator.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelQuantiser.h"
#include "imaging/SlideshowBuilder.h"
#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/PictureFiles.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

QImage Ramp(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / (w - 1), 60 + y * 120 / (h - 1), 255 - x * 255 / (w - 1)));
    return image;
}

const PixelEncoding kDithered8(8, Dithering::FloydSteinberg);

} // namespace

class TestCliDither : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ramp = SavePicture(m_dir, "ramp.png", Ramp(150, 100), "png");
    }

    void convertAndSlideshowCarryTheDitheredCodes()
    {
        const QString plain = m_dir.filePath("plain.dat");
        const QString dithered = m_dir.filePath("dithered.dat");
        QCOMPARE(RunCli({"convert", m_ramp, plain, "--maximize", "--depth", "8"}).exitCode, 0);
        const CliRun run = RunCli({"convert", m_ramp, dithered, "--maximize", "--depth", "8", "--dither"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Save to file complete.\n"));
        QCOMPARE(run.exitCode, 0);
        QImage converted;
        QVERIFY(ReadConvertedPicture(m_ramp, Rule(ResizeMode::Maximize), converted));
        QCOMPARE(ReadAll(plain), ImageDataFileBytes(converted, 8));
        QCOMPARE(ReadAll(dithered), ImageDataFileBytes(converted, kDithered8));
        QVERIFY(ReadAll(dithered) != ReadAll(plain));

        const QString other = SavePicture(m_dir, "other.png", Ramp(90, 200).mirrored(true, false), "png");
        const QString show = m_dir.filePath("show.dat");
        QCOMPARE(RunCli({"build-slideshow", show, other, m_ramp, "--resize", "48x32", "--depth", "8", "--dither"})
                     .exitCode,
                 0);
        const std::vector<Slide> slides = ConvertSlides({other, m_ramp}, Rule(ResizeMode::ResizeTo, 48, 32));
        QCOMPARE(ReadAll(show), SlideshowFileBytes(slides, kDithered8));
    }

    void saveBmpAsModule()
    {
        QImage converted;
        QVERIFY(ReadConvertedPicture(m_ramp, Rule(ResizeMode::NoResize), converted));

        const QString view = m_dir.filePath("view.bmp");
        CliRun run = RunCli({"save-bmp", m_ramp, view, "--as-module", "--depth", "8", "--dither"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Save to file complete.\n"));
        QCOMPARE(QImage(view).convertToFormat(QImage::Format_RGB888), ModuleView(converted, kDithered8));

        // 16 bits and truncation unless asked otherwise; the resize options
        // apply as in convert.
        run = RunCli({"save-bmp", m_ramp, view, "--as-module"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QImage(view).convertToFormat(QImage::Format_RGB888), ModuleView(converted, 16));
        run = RunCli({"save-bmp", m_ramp, view, "--as-module", "--resize", "20x10"});
        QCOMPARE(QImage(view).size(), QSize(20, 10));

        // Without --as-module, the picture as opened.
        run = RunCli({"save-bmp", m_ramp, view});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QImage(view).convertToFormat(QImage::Format_RGB888), Ramp(150, 100));
    }

    void optionsWhereTheyMeanNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("convert --as-module")
            << QStringList{"convert", "ramp.png", "out.dat", "--as-module"}
            << "tavrel-cli: convert: unknown option \"--as-module\" (--as-module is an option of save-bmp)\n";
        QTest::newRow("build-slideshow --as-module")
            << QStringList{"build-slideshow", "out.dat", "ramp.png", "--as-module"}
            << "tavrel-cli: build-slideshow: unknown option \"--as-module\" (--as-module is an option of save-bmp)\n";
        QTest::newRow("display-image --as-module")
            << QStringList{"display-image", "ramp.png", "--as-module"}
            << "tavrel-cli: display-image: unknown option \"--as-module\" (--as-module is an option of save-bmp)\n";
        QTest::newRow("save-bmp --dither alone")
            << QStringList{"save-bmp", "ramp.png", "out.bmp", "--dither"}
            << "tavrel-cli: save-bmp: --dither needs --as-module: without it save-bmp writes the picture as opened\n";
        QTest::newRow("--dither with a value") << QStringList{"convert", "ramp.png", "out.dat", "--dither=yes"}
                                               << "tavrel-cli: convert: \"yes\" is not a choice for dither (one of 0, 1).\n";
    }
    void optionsWhereTheyMeanNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliRun run = RunCli(QStringList{"--port", "/nonexistent/port"} + arguments, m_dir.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(m_dir.filePath("out.dat")));
        QVERIFY(!QFile::exists(m_dir.filePath("out.bmp")));
    }

    void displayImageDithersTheUpload()
    {
        const QString frame = m_dir.filePath("frame.png");
        EmulatorProcess emulator({"--frame-file", frame});
        QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
        const QImage picture = Ramp(30, 20);
        const QString in = SavePicture(m_dir, "small.png", picture, "png");
        const CliRun run =
            RunCli({"--port", emulator.ptyPath(), "display-image", in, "0", "0", "--depth", "8", "--dither"});
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.endsWith("606 bytes written\n> Command Acknowledged\n"), qPrintable(run.out));
        const QImage shown = QImage(frame).copy(0, 0, 30, 20).convertToFormat(QImage::Format_RGB888);
        QCOMPARE(shown, ModuleView(picture, kDithered8));
        QVERIFY(shown != ModuleView(picture, 8));
    }

private:
    QTemporaryDir m_dir;
    QString m_ramp;
};

QTEST_GUILESS_MAIN(TestCliDither)
#include "tst_cli_dither.moc"
