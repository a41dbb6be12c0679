// SPDX-License-Identifier: GPL-3.0-or-later
// "Dither" and "Show as on the module" in the Display Image dialog and the
// slideshow builder: their start, the preview following depth and dither,
// the saves they change and the ones they leave alone, and the panel's
// upload of a dithered picture to the built-in emulator.

#include "app/CTavrelDlg.h"
#include "emulator/Emulator.h"
#include "imaging/ImageFiles.h"
#include "imaging/PixelQuantiser.h"
#include "imaging/SlideshowBuilder.h"
#include "imaging/dialogs/CDisplayImageDialog.h"
#include "imaging/dialogs/CSlideShowDialog.h"
#include "link/PortNames.h"
#include "support/ModalDriver.h"
#include "support/PictureFiles.h"
#include "support/UiSeamRecorder.h"
#include "widgets/UiSeam.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Answers the file dialogs from queues; an empty queue cancels.
struct FileAnswers {
    QStringList open;
    QStringList save;

    FileAnswers()
    {
        UiSeam::setOpenFileNameHandler([this](QWidget*, const QString&, const QString&, const QString&) {
            return open.isEmpty() ? QString() : open.takeFirst();
        });
        UiSeam::setSaveFileNameHandler([this](QWidget*, const QString&, const QString&, const QString&) {
            return save.isEmpty() ? QString() : save.takeFirst();
        });
    }
    ~FileAnswers()
    {
        UiSeam::setOpenFileNameHandler({});
        UiSeam::setSaveFileNameHandler({});
    }
};

// Smooth in both directions, so that every depth and dithering choice gives
// a different picture.
QImage Ramp(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / (w - 1), y * 255 / (h - 1), 100));
    return image;
}

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

void Click(QWidget* parent, const char* name)
{
    Child<QAbstractButton>(parent, name)->click();
}

QImage Shown(QWidget* dialog, const char* preview)
{
    return Child<QLabel>(dialog, preview)->pixmap().toImage().convertToFormat(QImage::Format_RGB888);
}

QImage AsModule(const QImage& picture, int depth, bool dither)
{
    return ModuleView(picture, PixelEncoding(depth, dither ? Dithering::FloydSteinberg : Dithering::Off));
}

QImage Rgb888(const QImage& picture)
{
    return picture.convertToFormat(QImage::Format_RGB888);
}

// The two check boxes: where they are and how they start.
void CheckBoxesStartOff(QWidget* dialog, const char* preview)
{
    auto* dither = Child<QCheckBox>(dialog, "ditherCheck");
    auto* asModule = Child<QCheckBox>(dialog, "showAsModuleCheck");
    QCOMPARE(dither->text(), QStringLiteral("Dither"));
    QCOMPARE(asModule->text(), QStringLiteral("Show as on the module"));
    QVERIFY(!dither->isChecked());
    QVERIFY(!asModule->isChecked());
    QVERIFY(dither->isVisible());
    QVERIFY(asModule->isVisible());
    // "Dither" beside the depths, in their group.
    QCOMPARE(dither->parentWidget(), Child<QGroupBox>(dialog, "bitDepthGroup"));
    // "Show as on the module" under the preview's frame.
    QWidget* frame = Child<QLabel>(dialog, preview)->parentWidget();
    const QRect frameRect(frame->mapTo(dialog, QPoint(0, 0)), frame->size());
    const QRect checkRect(asModule->mapTo(dialog, QPoint(0, 0)), asModule->size());
    QVERIFY2(checkRect.top() >= frameRect.bottom(), qPrintable(QStringLiteral("check box at %1, preview ends at %2")
                                                                  .arg(checkRect.top())
                                                                  .arg(frameRect.bottom())));
    QVERIFY(checkRect.left() < frameRect.right() && checkRect.right() > frameRect.left());
}

} // namespace

class TestPictureDitherDialogs : public QObject {
    Q_OBJECT
private slots:
    void displayImageCheckBoxesStartOff()
    {
        CDisplayImageDialog dialog;
        dialog.show();
        CheckBoxesStartOff(&dialog, "preview");
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(!dialog.m_dither);
        QVERIFY(!dialog.m_showAsModule);
        // Full colour: the placeholder as it is.
        QCOMPARE(Shown(&dialog, "preview"), Rgb888(CDisplayImageDialog::placeholderPicture()));
    }

    void displayImagePreviewFollowsDepthAndDither()
    {
        QTemporaryDir dir;
        FileAnswers files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        files.open = {SavePicture(dir, "ramp.png", Ramp(160, 120), "png")};
        Click(&dialog, "openPictureButton");
        Click(&dialog, "maximizeRadio");
        const QImage converted = dialog.convertedPicture();
        QCOMPARE(converted.size(), QSize(96, 64));

        // Off: the depth and "Dither" leave the preview in full colour.
        Click(&dialog, "depth8Radio");
        Click(&dialog, "ditherCheck");
        QVERIFY(dialog.m_dither);
        QCOMPARE(Shown(&dialog, "preview"), Rgb888(converted));

        // On: the module's view at the chosen depth and dithering, following
        // every change of either.
        Click(&dialog, "showAsModuleCheck");
        QCOMPARE(Shown(&dialog, "preview"), AsModule(converted, 8, true));
        Click(&dialog, "ditherCheck");
        QCOMPARE(Shown(&dialog, "preview"), AsModule(converted, 8, false));
        Click(&dialog, "depth16Radio");
        QCOMPARE(Shown(&dialog, "preview"), AsModule(converted, 16, false));
        Click(&dialog, "ditherCheck");
        QCOMPARE(Shown(&dialog, "preview"), AsModule(converted, 16, true));
        QVERIFY(Shown(&dialog, "preview") != AsModule(converted, 16, false));

        // A new conversion is shown the same way.
        Click(&dialog, "noResizeRadio");
        QCOMPARE(dialog.convertedPicture(), Rgb888(Ramp(160, 120).copy(0, 0, 96, 64)));
        QCOMPARE(Shown(&dialog, "preview"), AsModule(dialog.convertedPicture(), 16, true));

        // Off again: full colour, whatever the depth and dithering.
        Click(&dialog, "showAsModuleCheck");
        QCOMPARE(Shown(&dialog, "preview"), Rgb888(dialog.convertedPicture()));
        QVERIFY(messages.messages.isEmpty());
    }

    void savesWithTheModulesView()
    {
        // Save Data uses the chosen dithering; Save BMP and what OK hands
        // over stay the full-colour picture while the module's view shows.
        QTemporaryDir dir;
        FileAnswers files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        const QImage placeholder = CDisplayImageDialog::placeholderPicture();
        Click(&dialog, "depth8Radio");
        Click(&dialog, "ditherCheck");
        Click(&dialog, "showAsModuleCheck");
        files.save = {dir.filePath("dithered.dat"), dir.filePath("copy.bmp")};
        Click(&dialog, "saveDataButton");
        Click(&dialog, "saveBmpButton");
        QCOMPARE(messages.messages, (QStringList{"Tavrel|Save to file complete.", "Tavrel|Save to file complete."}));
        QCOMPARE(ReadAll(dir.filePath("dithered.dat")),
                 ImageDataFileBytes(placeholder, PixelEncoding(8, Dithering::FloydSteinberg)));
        QVERIFY(ReadAll(dir.filePath("dithered.dat")) != ImageDataFileBytes(placeholder, 8));
        QCOMPARE(Rgb888(QImage(dir.filePath("copy.bmp"))), Rgb888(placeholder));
        QCOMPARE(dialog.convertedPicture(), placeholder);
    }

    void slideshowCheckBoxesAndPreview()
    {
        QTemporaryDir dir;
        FileAnswers files;
        UiSeamRecorder messages;
        CSlideShowDialog dialog;
        dialog.show();
        CheckBoxesStartOff(&dialog, "slidePreview");
        QVERIFY(!QTest::currentTestFailed());

        const QString a = SavePicture(dir, "a.png", Ramp(200, 100), "png");
        const QString b = SavePicture(dir, "b.png", Ramp(120, 90).mirrored(true, true), "png");
        dialog.addPictures({b, a});
        // The first picture at once, then the selected one, as resized now.
        QCOMPARE(Shown(&dialog, "slidePreview"), Rgb888(ConvertSlides({a}, Rule(ResizeMode::NoResize)).front().picture));
        Click(&dialog, "maximizeRadio");
        QCOMPARE(Shown(&dialog, "slidePreview"), Rgb888(ConvertSlides({a}, Rule(ResizeMode::Maximize)).front().picture));
        dialog.findChild<QListWidget*>(QStringLiteral("pictureList"))->setCurrentRow(1);
        const QImage selected = ConvertSlides({b}, Rule(ResizeMode::Maximize)).front().picture;
        QCOMPARE(Shown(&dialog, "slidePreview"), Rgb888(selected));
        Click(&dialog, "showAsModuleCheck");
        Click(&dialog, "depth8Radio");
        QCOMPARE(Shown(&dialog, "slidePreview"), AsModule(selected, 8, false));
        Click(&dialog, "ditherCheck");
        QCOMPARE(Shown(&dialog, "slidePreview"), AsModule(selected, 8, true));
        Click(&dialog, "showAsModuleCheck");
        files.save = {dir.filePath("show.dat")};
        Click(&dialog, "saveSlideshowButton");
        QCOMPARE(messages.messages, QStringList{"Tavrel|Save to file complete."});
        const std::vector<Slide> slides = ConvertSlides({a, b}, Rule(ResizeMode::Maximize));
        QCOMPARE(ReadAll(dir.filePath("show.dat")),
                 SlideshowFileBytes(slides, PixelEncoding(8, Dithering::FloydSteinberg)));

        // The last picture in full colour, then as the module shows it.
        const QImage last = slides.back().picture;
        QCOMPARE(Shown(&dialog, "slidePreview"), Rgb888(last));
        Click(&dialog, "showAsModuleCheck");
        QCOMPARE(Shown(&dialog, "slidePreview"), AsModule(last, 8, true));
        Click(&dialog, "depth16Radio");
        QCOMPARE(Shown(&dialog, "slidePreview"), AsModule(last, 16, true));
        Click(&dialog, "ditherCheck");
        QCOMPARE(Shown(&dialog, "slidePreview"), AsModule(last, 16, false));
        Click(&dialog, "showAsModuleCheck");
        QCOMPARE(Shown(&dialog, "slidePreview"), Rgb888(last));

        // "Dither" off again: the next file is the truncated one.
        files.save = {dir.filePath("plain.dat")};
        Click(&dialog, "saveSlideshowButton");
        QCOMPARE(ReadAll(dir.filePath("plain.dat")), SlideshowFileBytes(slides, 16));
    }

    void panelUploadsTheDitheredPicture()
    {
        // "Dither" chosen in the panel's Display Image dialog reaches the
        // emulated module, which then shows what the preview showed.
        QTemporaryDir dir;
        const QImage picture = Ramp(40, 30);
        FileAnswers files;
        files.open = {SavePicture(dir, "ramp.png", picture, "png")};
        PanelOptions options;
        options.portName = EmulatorPortName();
        options.showEmulatorWindow = false;
        CTavrelDlg panel(options);
        panel.show();
        Click(&panel, "openPortButton");
        QImage preview;
        ModalDriver driver;
        driver.expect("Display Image", [&](QWidget* d) {
            Click(d, "openPictureButton");
            Click(d, "depth8Radio");
            Click(d, "ditherCheck");
            Click(d, "showAsModuleCheck");
            preview = Shown(d, "preview");
            ModalDriver::clickOk(d);
        });
        Click(&panel, "displayImageButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QVERIFY2(panel.statusText().endsWith("1206 bytes written\r\n> Command Acknowledged"),
                 qPrintable(panel.statusText()));
        const QImage expected = AsModule(Rgb888(picture), 8, true);
        QCOMPARE(preview, expected);
        QCOMPARE(Rgb888(panel.emulator().displayImage().copy(0, 0, 40, 30)), expected);
    }
};

QTEST_MAIN(TestPictureDitherDialogs)
#include "tst_picture_dither_dialogs.moc"
