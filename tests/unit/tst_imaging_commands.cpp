// SPDX-License-Identifier: GPL-3.0-or-later
// The picture commands on a scripted link: the paced Display Image upload,
// the Slideshow command, the slideshow builder and the command-line
// argument rules of the picture commands.

#include "imaging/DisplayImageCommand.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureCli.h"
#include "imaging/PictureFile.h"
#include "imaging/SlideshowBuilder.h"
#include "imaging/SlideshowCommand.h"
#include "link/PortCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/PictureFiles.h"
#include "support/TestBytes.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// A host whose Display Image dialog answers with a picture; everything else
// as ScriptedHost.
class PictureHost final : public PanelHost {
public:
    QString status;
    QStringList messages;
    QStringList progress;  // "what done/total"
    QVector<DialogRequest> shown;
    bool accept = true;
    QString x = "0";
    QString y = "0";
    QString depth = "16";
    QString dither = "0";
    QImage picture;

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return kWhite; }
    void setForegroundColour(HostColour) override {}
    HostColour backgroundColour() const override { return kBlack; }
    void showMessage(const QString& text, const QString& caption) override { messages << caption + '|' + text; }
    bool runDialog(DialogRequest& request) override
    {
        shown << request;
        if (!accept)
            return false;
        request.setValue("x", x);
        request.setValue("y", y);
        request.setValue("depth", depth);
        request.setValue("dither", dither);
        request.picture = picture;
        return true;
    }
    void showReceivedText(const QString&, const QString&) override {}
    void reportProgress(const QString& what, int done, int total) override
    {
        progress << QStringLiteral("%1 %2/%3").arg(what).arg(done).arg(total);
    }
};

template <typename Host>
using Rig = CommandRig<Host>;

QImage RedThenBlue()
{
    QImage picture(2, 1, QImage::Format_RGB888);
    picture.setPixelColor(0, 0, QColor(255, 0, 0));
    picture.setPixelColor(1, 0, QColor(0, 0, 255));
    return picture;
}

} // namespace

class TestImagingCommands : public QObject {
    Q_OBJECT
private slots:
    // Display Image

    void uploadWritesHeaderThenOnePixelPerWrite()
    {
        Rig<PictureHost> rig;
        rig.link->answers = {Bytes({6})};
        QCOMPARE(SendDisplayImage(rig.session, "0", "0", RedThenBlue(), 16), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes,
                 (QVector<QByteArray>{Bytes({0x49, 0, 0, 2, 1, 16}), Bytes({0xF8, 0x00}), Bytes({0x00, 0x1F})}));
        QCOMPARE(rig.host.status, QStringLiteral("Display Image: 73, 0, 0, 2, 1, 16, 248, 0, 0, 31, ... : "
                                                 "10 bytes written\r\n> Command Acknowledged"));
        // The upload does not purge: only the open did.
        QCOMPARE(rig.link->purges, 1);
    }

    void eightBitUploadCountsEveryByte()
    {
        Rig<PictureHost> rig;
        QCOMPARE(SendDisplayImage(rig.session, "3", "4", Filled(40, 30, QColor(200, 100, 50)), 8), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes.size(), 1 + 40 * 30);
        QCOMPARE(rig.link->writes.at(0), Bytes({0x49, 3, 4, 40, 30, 8}));
        QCOMPARE(rig.link->writes.at(1200), Bytes({0xCC}));
        QVERIFY2(rig.host.status.startsWith("Display Image: 73, 3, 4, 40, 30, 8, 204, 204, 204, 204, ... : "
                                            "1206 bytes written"),
                 qPrintable(rig.host.status));
        // One progress step per row, the last one complete.
        QCOMPARE(rig.host.progress.size(), 31);
        QCOMPARE(rig.host.progress.first(), QStringLiteral("Display Image 0/30"));
        QCOMPARE(rig.host.progress.last(), QStringLiteral("Display Image 30/30"));
    }

    void fullPanelUploadKeepsItsPauses()
    {
        Rig<PictureHost> rig;
        QImage picture = Filled(96, 64, Qt::white);
        QElapsedTimer clock;
        clock.start();
        SendDisplayImage(rig.session, "0", "0", picture, 16);
        // 10 ms after the header and 20 ms after each of the 64 rows, at least.
        QVERIFY(clock.elapsed() >= 10 + 64 * 20);
        QCOMPARE(rig.link->writes.size(), 1 + 6144);
        QVERIFY(rig.host.status.startsWith("Display Image: 73, 0, 0, 96, 64, 16, 255, 255, 255, 255, ... : "
                                           "12294 bytes written"));
    }

    void tinyPicturesLogWhatWasSent()
    {
        Rig<PictureHost> rig;
        SendDisplayImage(rig.session, "0", "0", Filled(1, 1, Qt::red), 16);
        QVERIFY(rig.host.status.startsWith("Display Image: 73, 0, 0, 1, 1, 16, 248, 0, ... : 8 bytes written"));
    }

    void uploadBoundsAndRememberedTexts_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<bool>("sent");
        QTest::newRow("x 96") << "96" << "0" << false;
        QTest::newRow("y 64") << "0" << "64" << false;
        QTest::newRow("negative") << "-1" << "0" << false;
        QTest::newRow("corner") << "95" << "63" << true;
        QTest::newRow("typed with units") << "10px" << "2" << true;
    }
    void uploadBoundsAndRememberedTexts()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(bool, sent);
        Rig<PictureHost> rig;
        rig.session.m_lastX[0] = "5";
        rig.session.m_lastY[0] = "6";
        rig.host.x = x;
        rig.host.y = y;
        rig.host.picture = RedThenBlue();
        QCOMPARE(DisplayImage(rig.session), sent ? CommandOutcome::Sent : CommandOutcome::Refused);
        // The dialog was offered slot 0.
        QCOMPARE(rig.host.shown.value(0).value("x"), QStringLiteral("5"));
        QCOMPARE(rig.host.shown.value(0).value("y"), QStringLiteral("6"));
        if (sent) {
            QCOMPARE(rig.session.m_lastX[0], x);
            QCOMPARE(rig.session.m_lastY[0], y);
            QCOMPARE(rig.link->writes.size(), 3);
        } else {
            QVERIFY(rig.link->writes.isEmpty());
            QCOMPARE(rig.host.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
            QCOMPARE(rig.host.status, QStringLiteral("Set pixel bounds error."));
            QCOMPARE(rig.session.m_lastX[0], QStringLiteral("5"));
        }
    }

    void dialogAnswersDecideDepthAndCancel()
    {
        Rig<PictureHost> rig;
        rig.host.picture = RedThenBlue();
        rig.host.depth = "8";
        DisplayImage(rig.session);
        QCOMPARE(rig.link->writes.value(0), Bytes({0x49, 0, 0, 2, 1, 8}));
        QCOMPARE(rig.link->writes.value(1), Bytes({0xE0}));

        Rig<PictureHost> cancelled;
        cancelled.host.accept = false;
        cancelled.host.status = "kept";
        QCOMPARE(DisplayImage(cancelled.session), CommandOutcome::Cancelled);
        QVERIFY(cancelled.link->writes.isEmpty());
        QCOMPARE(cancelled.host.status, QStringLiteral("kept"));
    }

    void ditherFromTheDialogShapesTheStream()
    {
        // The dialog is offered "Dither" off; its answer picks the quantiser,
        // and each pixel still goes in a write of its own.
        QImage picture(3, 1, QImage::Format_RGB888);
        picture.fill(QColor(0, 0, 43));
        Rig<PictureHost> rig;
        rig.host.picture = picture;
        rig.host.depth = "8";
        rig.host.dither = "1";
        DisplayImage(rig.session);
        QCOMPARE(rig.host.shown.value(0).value("dither"), QStringLiteral("0"));
        QCOMPARE(rig.link->writes,
                 (QVector<QByteArray>{Bytes({0x49, 0, 0, 3, 1, 8}), Bytes({0x01}), Bytes({0x00}), Bytes({0x01})}));

        Rig<PictureHost> plain;
        plain.host.picture = picture;
        plain.host.depth = "8";
        DisplayImage(plain.session);
        QCOMPARE(plain.link->writes.mid(1), (QVector<QByteArray>{Bytes({0}), Bytes({0}), Bytes({0})}));
    }

    void uploadStopsAtTheFirstWriteTheLinkRefuses_data()
    {
        QTest::addColumn<int>("takenBytes");
        QTest::addColumn<int>("writesTried");
        // The header is 6 bytes, each pixel of the 4 x 3 picture 2 bytes.
        QTest::newRow("header refused") << 0 << 1;
        QTest::newRow("header cut") << 4 << 1;
        QTest::newRow("third pixel cut") << 6 + 2 * 2 + 1 << 1 + 3;
        QTest::newRow("after the first row") << 6 + 4 * 2 << 1 + 5;
    }
    void uploadStopsAtTheFirstWriteTheLinkRefuses()
    {
        QFETCH(int, takenBytes);
        QFETCH(int, writesTried);
        Rig<PictureHost> rig;
        rig.link->failAfterBytes = takenBytes;
        QCOMPARE(SendDisplayImage(rig.session, "0", "0", Filled(4, 3, Qt::white), 16), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes.size(), writesTried);
        QVERIFY2(rig.host.status.startsWith(QStringLiteral("Display Image: 73, 0, 0, 4, 3, 16, 255, 255, 255, 255, ... : "
                                                           "%1 bytes written\r\n")
                                                .arg(takenBytes)),
                 qPrintable(rig.host.status));
        QVERIFY(!rig.session.everyWriteWhole());
        // The progress display is ended all the same.
        QCOMPARE(rig.host.progress.last(), QStringLiteral("Display Image 3/3"));
    }

    void closedPortStillLogsAndReportsNoReply()
    {
        PictureHost host;
        PanelSession session(host, [](const QString&, qint32) { return OpenResult(); });
        SendDisplayImage(session, "0", "0", RedThenBlue(), 16);
        QCOMPARE(host.status, QStringLiteral("Display Image: 73, 0, 0, 2, 1, 16, 248, 0, 0, 31, ... : 0 bytes written"
                                             "\r\n> No response!"));
    }

    // Slideshow

    void slideshowPacketAndLog()
    {
        Rig<ScriptedHost> rig;
        rig.link->answers = {Bytes({6})};
        rig.host.answers = {{"SHOW.DAT", "0", "0", "10"}};
        QCOMPARE(Slideshow(rig.session), CommandOutcome::Sent);
        const DialogRequest& asked = rig.host.shown.value(0);
        QCOMPARE(asked.kind, DialogKind::Slideshow);
        QCOMPARE(asked.value("name"), QString());
        QCOMPARE(asked.value("x"), QStringLiteral("0"));
        QCOMPARE(asked.value("y"), QStringLiteral("0"));
        QCOMPARE(asked.value("delay"), QStringLiteral("10"));
        QCOMPARE(rig.link->writes,
                 QVector<QByteArray>{Bytes({64, 115, 0, 0, 0, 10, 'S', 'H', 'O', 'W', '.', 'D', 'A', 'T', 0})});
        QCOMPARE(rig.host.status, QStringLiteral("Show slideshow from SD data file: 64, 115, 0, 0, 0, 10, 83, 72, 79, "
                                                 "87, 46, 68, 65, 84, 0, : 15 bytes written\r\n> Command Acknowledged"));
        QCOMPARE(rig.link->purges, 1);  // the open's only
        // The remembered coordinates are not the slideshow's.
        QCOMPARE(rig.session.m_lastX[0], QStringLiteral("0"));
    }

    void slideshowNumbers_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("delay 1000") << "0" << "1000" << Bytes({64, 115, 0, 0, 3, 232});
        QTest::newRow("delay 70000 keeps 16 bits") << "0" << "70000" << Bytes({64, 115, 0, 0, 17, 112});
        QTest::newRow("x 300 keeps 8 bits") << "300" << "10" << Bytes({64, 115, 44, 0, 0, 10});
        QTest::newRow("non-numeric x") << "abc" << "10" << Bytes({64, 115, 0, 0, 0, 10});
        QTest::newRow("negative delay") << "0" << "-1" << Bytes({64, 115, 0, 0, 255, 255});
    }
    void slideshowNumbers()
    {
        QFETCH(QString, x);
        QFETCH(QString, delay);
        QFETCH(QByteArray, head);
        QCOMPARE(SlideshowPacket("A", x, "0", delay), head + Bytes({'A', 0}));
    }

    void slideshowLongNameGoesWholeAndBreaksTheLog()
    {
        Rig<ScriptedHost> rig;
        rig.host.answers = {{"LONGSLIDESHOWNAME.DAT", "1", "2", "10"}};
        Slideshow(rig.session);
        QCOMPARE(rig.link->writes.value(0).size(), 21 + 7);
        // After the 16th value the log line breaks.
        QVERIFY(rig.host.status.startsWith("Show slideshow from SD data file: 64, 115, 1, 2, 0, 10, 76, 79, 78, 71, "
                                           "83, 76, 73, 68, 69, 83, \r\n72, "));

        Rig<ScriptedHost> cancelled;
        cancelled.host.answers = {{}};
        QCOMPARE(Slideshow(cancelled.session), CommandOutcome::Cancelled);
        QVERIFY(cancelled.link->writes.isEmpty());
    }

    // The slideshow builder

    void listOrderIgnoresCase()
    {
        const QStringList sorted = SortedPicturePaths({"/p/c.jpg", "/p/A.png", "/p/b.bmp", "/p/a.png"});
        QCOMPARE(sorted, (QStringList{"/p/A.png", "/p/a.png", "/p/b.bmp", "/p/c.jpg"}));
        QCOMPARE(SortedInsertIndex(sorted, "/p/B.gif"), 3);
    }

    void slideshowFileInListOrder()
    {
        QTemporaryDir dir;
        // Solid colours that survive every format at 8 bits.
        const QString c = SavePicture(dir, "c.jpg", Filled(320, 240, QColor(0, 0, 255)), "jpeg");
        const QString a = SavePicture(dir, "A.png", Filled(320, 240, QColor(255, 0, 0)), "png");
        const QString b = SavePicture(dir, "b.bmp", Filled(320, 240, QColor(0, 255, 0)), "bmp");
        const QStringList list = SortedPicturePaths({c, a, b});
        QCOMPARE(list, (QStringList{a, b, c}));
        const QString out = dir.filePath("show.dat");
        QCOMPARE(int(BuildSlideshowFile(out, list, Rule(ResizeMode::ResizeTo, 48, 32), 8).status),
                 int(SaveStatus::Saved));
        const QByteArray bytes = ReadAll(out);
        QCOMPARE(bytes.size(), 3 + 2 * 1536 + 1536);
        QCOMPARE(bytes.left(3), Bytes({48, 32, 8}));
        QCOMPARE(bytes.mid(3, 1536), QByteArray(1536, char(0xE0)));
        QCOMPARE(bytes.mid(3 + 1536, 1536), QByteArray(1536, char(0x1C)));
        QCOMPARE(bytes.mid(3 + 2 * 1536, 1536), QByteArray(1536, char(0x03)));
    }

    void maximizedSlideshowSizesAndPreviews()
    {
        QTemporaryDir dir;
        QStringList list;
        for (int i = 0; i < 3; ++i)
            list << SavePicture(dir, QStringLiteral("p%1.png").arg(i), Filled(320, 240, QColor(i * 100, 50, 50)),
                                "png");
        QVector<int> previewed;
        SlideshowSaveHooks hooks;
        hooks.preview = [&](int index, const QImage& picture) {
            previewed << index;
            QCOMPARE(picture.size(), QSize(96, 64));
        };
        BuildSlideshowFile(dir.filePath("16.dat"), list, Rule(ResizeMode::Maximize), 16, hooks);
        BuildSlideshowFile(dir.filePath("8.dat"), list, Rule(ResizeMode::Maximize), 8);
        QCOMPARE(QFileInfo(dir.filePath("16.dat")).size(), 36867);
        QCOMPARE(QFileInfo(dir.filePath("8.dat")).size(), 18435);
        QCOMPARE(previewed, (QVector<int>{0, 1, 2}));
    }

    void builtFramesEqualOneByOneConversions()
    {
        QTemporaryDir dir;
        QStringList list;
        for (int i = 0; i < 6; ++i) {
            QImage picture(200 + 37 * i, 150 + 11 * i, QImage::Format_RGB32);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    picture.setPixel(x, y, qRgb((x * (i + 1)) & 0xFF, (y * 3) & 0xFF, (x + y + i) & 0xFF));
            list << SavePicture(dir, QStringLiteral("f%1.%2").arg(i).arg(i % 2 ? "jpg" : "png"), picture,
                         i % 2 ? "jpeg" : "png");
        }
        const QString out = dir.filePath("all.dat");
        BuildSlideshowFile(out, list, Rule(ResizeMode::Maximize), 16);
        QByteArray expected;
        for (const QString& path : list) {
            QImage one;
            QVERIFY(ReadConvertedPicture(path, Rule(ResizeMode::Maximize), one));
            const QByteArray file = ImageDataFileBytes(one, 16);
            expected += expected.isEmpty() ? file : file.mid(3);
        }
        QCOMPARE(ReadAll(out), expected);
    }

    void framesOfAnotherSizeAreRefusedBeforeWriting()
    {
        QTemporaryDir dir;
        const QString big = SavePicture(dir, "a-big.png", Filled(320, 240, Qt::red), "png");
        const QString small = SavePicture(dir, "b-small.png", Filled(40, 30, Qt::red), "png");
        const QString out = dir.filePath("show.dat");
        QFile earlier(out);
        earlier.open(QIODevice::WriteOnly);
        earlier.write("earlier slideshow");
        earlier.close();
        const SaveResult result = BuildSlideshowFile(out, {big, small}, Rule(ResizeMode::NoResize), 16);
        QCOMPARE(int(result.status), int(SaveStatus::Refused));
        QVERIFY2(SaveResultText(result).contains(QDir::toNativeSeparators(small)), qPrintable(result.detail));
        QVERIFY(SaveResultText(result).contains("40x30"));
        QVERIFY(SaveResultText(result).contains("96x64"));
        QCOMPARE(ReadAll(out), QByteArray("earlier slideshow"));
        QCOMPARE(QDir(dir.path()).entryList({"*.dat*"}, QDir::Files), QStringList{"show.dat"});
    }

    void undecodablePicturesAreReportedAndGoOn()
    {
        QTemporaryDir dir;
        const QString good = SavePicture(dir, "a.png", Filled(10, 10, Qt::white), "png");
        const QString bad = dir.filePath("b.png");
        QFile text(bad);
        text.open(QIODevice::WriteOnly);
        text.write("not a picture");
        text.close();
        QStringList messages;
        SlideshowSaveHooks hooks;
        hooks.message = [&](const QString& m) { messages << m; };
        const QString out = dir.filePath("show.dat");
        QCOMPARE(int(BuildSlideshowFile(out, {good, bad}, Rule(ResizeMode::Maximize), 8, hooks).status),
                 int(SaveStatus::Saved));
        QCOMPARE(messages, QStringList{"File not found or invalid format"});
        const QByteArray bytes = ReadAll(out);
        QCOMPARE(bytes.size(), 3 + 2 * 6144);
        QCOMPARE(bytes.mid(3 + 6144), QByteArray(6144, '\0'));  // a black frame

        // Under No Resize the undecodable picture has no size at all: it is
        // left out of the slideshow of 10 x 10 frames.
        messages.clear();
        QCOMPARE(int(BuildSlideshowFile(out, {good, bad}, Rule(ResizeMode::NoResize), 8, hooks).status),
                 int(SaveStatus::Saved));
        QCOMPARE(messages, QStringList{"File not found or invalid format"});
        QCOMPARE(ReadAll(out), QByteArray("\x0A\x0A\x08", 3) + QByteArray(100, '\xFF'));
    }

    void emptyListGivesAnEmptyFile()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("empty.dat");
        QCOMPARE(int(BuildSlideshowFile(out, {}, Rule(ResizeMode::Maximize), 16).status), int(SaveStatus::Saved));
        QVERIFY(QFile::exists(out));
        QCOMPARE(QFileInfo(out).size(), 0);
        QCOMPARE(int(BuildSlideshowFile(dir.filePath("none/x.dat"), {}, Rule(ResizeMode::Maximize), 16).status),
                 int(SaveStatus::OpenFailed));
    }

    // Command-line arguments of the picture commands

    void pictureArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QStringList>("positional");
        QTest::newRow("defaults") << QStringList{"in.png", "out.dat"} << int(ResizeMode::NoResize) << QSize(96, 64)
                                  << 16 << QStringList{"in.png", "out.dat"};
        QTest::newRow("maximize, 8 bits") << QStringList{"--maximize", "in.png", "--depth", "8"}
                                          << int(ResizeMode::Maximize) << QSize(96, 64) << 8 << QStringList{"in.png"};
        QTest::newRow("resize WxH") << QStringList{"in.png", "--resize", "48x32"} << int(ResizeMode::ResizeTo)
                                    << QSize(48, 32) << 16 << QStringList{"in.png"};
        QTest::newRow("resize=WxH, depth=8") << QStringList{"--resize=1X1", "--depth=8", "in.png", "-1", "0"}
                                             << int(ResizeMode::ResizeTo) << QSize(1, 1) << 8
                                             << QStringList{"in.png", "-1", "0"};
    }
    void pictureArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QFETCH(QSize, size);
        QFETCH(int, depth);
        QFETCH(QStringList, positional);
        PictureArguments parsed;
        QString error;
        QVERIFY2(ParsePictureArguments(arguments, parsed, error), qPrintable(error));
        QCOMPARE(int(parsed.rule.mode), mode);
        QCOMPARE(QSize(parsed.rule.width, parsed.rule.height), size);
        QCOMPARE(parsed.depth, depth);
        QCOMPARE(parsed.positional, positional);
    }

    void ditherAndAsModuleArguments()
    {
        PictureArguments parsed;
        QString error;
        QVERIFY(ParsePictureArguments({"in.png", "out.dat", "--depth", "8"}, parsed, error));
        QCOMPARE(int(parsed.encoding().dithering), int(Dithering::Off));
        QVERIFY(!parsed.asModule);
        QVERIFY(ParsePictureArguments({"--dither", "in.png", "--as-module", "out.bmp"}, parsed, error));
        QCOMPARE(int(parsed.encoding().dithering), int(Dithering::FloydSteinberg));
        QCOMPARE(parsed.encoding().depth, 16);
        QVERIFY(parsed.asModule);
        QCOMPARE(parsed.positional, (QStringList{"in.png", "out.bmp"}));
        QVERIFY(!ParsePictureArguments({"--dither=yes"}, parsed, error));
        QCOMPARE(error, QStringLiteral("--dither takes no value"));

        // --as-module belongs to save-bmp; the other commands refuse it
        // before they touch a file or the port.
        Rig<PictureHost> rig;
        QCOMPARE(RunConvertArguments(rig.session, {"in.png", "out.dat", "--as-module"}, error),
                 CommandOutcome::Refused);
        QCOMPARE(error, QStringLiteral("--as-module is an option of save-bmp only"));
        QVERIFY(!CheckDisplayImageArguments({"in.png", "--as-module"}, error));
        QVERIFY(CheckDisplayImageArguments({"in.png", "--dither", "--depth", "8"}, error));
        // Without --as-module, save-bmp writes the picture as opened, which
        // --dither cannot change.
        error.clear();
        QCOMPARE(RunSaveBmpArguments(rig.session, {"in.png", "out.bmp", "--dither"}, error), CommandOutcome::Refused);
        QVERIFY(error.startsWith("--dither needs --as-module"));
        QVERIFY(rig.link->writes.isEmpty());
    }

    void badPictureArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("width 97") << QStringList{"--resize", "97x64"}
                                  << "--resize width: Please enter an integer between 1 and 96.";
        QTest::newRow("height 65") << QStringList{"--resize", "96x65"}
                                   << "--resize height: Please enter an integer between 1 and 64.";
        QTest::newRow("no x") << QStringList{"--resize", "48"} << "--resize takes WIDTHxHEIGHT, e.g. 48x32, not \"48\"";
        QTest::newRow("depth 24") << QStringList{"--depth", "24"} << "--depth takes 16 or 8, not \"24\"";
        QTest::newRow("two rules") << QStringList{"--maximize", "--no-resize"}
                                   << "choose one of --no-resize, --maximize and --resize";
    }
    void badPictureArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        PictureArguments parsed;
        QString error;
        QVERIFY(!ParsePictureArguments(arguments, parsed, error));
        QCOMPARE(error, message);
    }
};

QTEST_GUILESS_MAIN(TestImagingCommands)
#include "tst_imaging_commands.moc"
