// SPDX-License-Identifier: GPL-3.0-or-later
// The Display Image and slideshow dialogs on the offscreen platform, and
// the panel's Display Image and Slideshow buttons against the built-in
// emulator.

#include "app/CTavrelDlg.h"
#include "widgets/UiSeam.h"
#include "emulator/Emulator.h"
#include "imaging/ImageFiles.h"
#include "imaging/SlideshowBuilder.h"
#include "imaging/dialogs/CDisplayImageDialog.h"
#include "imaging/dialogs/CSlideShowDialog.h"
#include "imaging/dialogs/CUploadProgress.h"
#include "link/PortNames.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/PictureBytes.h"
#include "support/PictureFiles.h"
#include "support/UiSeamRecorder.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Answers the file dialogs from queues (an empty queue cancels) and records
// the initial names they were offered.
struct FileSeam {
    QStringList openAnswers;
    QVector<QStringList> openManyAnswers;
    QStringList saveAnswers;
    QStringList offered;  // "caption|directory|filter"

    FileSeam()
    {
        UiSeam::setOpenFileNameHandler([this](QWidget*, const QString& caption, const QString& dir, const QString& f) {
            offered << caption + '|' + dir + '|' + f;
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        });
        UiSeam::setOpenFileNamesHandler([this](QWidget*, const QString& caption, const QString& dir,
                                               const QString& f) {
            offered << caption + '|' + dir + '|' + f;
            return openManyAnswers.isEmpty() ? QStringList() : openManyAnswers.takeFirst();
        });
        UiSeam::setSaveFileNameHandler([this](QWidget*, const QString& caption, const QString& dir, const QString& f) {
            offered << caption + '|' + dir + '|' + f;
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        });
    }
    ~FileSeam()
    {
        UiSeam::setOpenFileNameHandler({});
        UiSeam::setOpenFileNamesHandler({});
        UiSeam::setSaveFileNameHandler({});
    }
};

QImage Gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), 128));
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

// click() rather than a mouse click at the centre: a radio button reacts
// only on its indicator and label, which a stretched one does not centre.
void Click(QWidget* parent, const char* name)
{
    Child<QAbstractButton>(parent, name)->click();
}

void Type(QWidget* parent, const char* name, const QString& text)
{
    Child<QLineEdit>(parent, name)->setText(text);
}

const QString kPicturesFilter = QStringLiteral(
    "Pictures (*.png *.jpg *.jpeg *.jpe *.jfif *.bmp *.dib *.gif *.webp *.tif *.tiff *.svg *.pbm *.pgm *.ppm *.pnm "
    "*.PNG *.JPG *.JPEG *.JPE *.JFIF *.BMP *.DIB *.GIF *.WEBP *.TIF *.TIFF *.SVG *.PBM *.PGM *.PPM *.PNM);;"
    "All Files (*)");

// Drags `mime` over `target` and drops it there, as a file manager would;
// whether the target took the drag.
bool DropOnto(QWidget* target, QMimeData* mime)
{
    const QPoint middle = target->rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(middle, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    // What a drop opens, it opens once the drop is over.
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

QMimeData* FilesMime(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

QSize PreviewSize(QWidget* dialog, const char* name = "preview")
{
    return Child<QLabel>(dialog, name)->size();
}

} // namespace

class TestPictureDialogs : public QObject {
    Q_OBJECT
private slots:
    void displayImageStartsWithThePlaceholder()
    {
        CDisplayImageDialog dialog;
        dialog.m_x = "7";
        dialog.m_y = "8";
        dialog.show();
        QVERIFY(Child<QRadioButton>(&dialog, "noResizeRadio")->isChecked());
        QVERIFY(Child<QRadioButton>(&dialog, "depth16Radio")->isChecked());
        QCOMPARE(Child<QLabel>(&dialog, "sourceSizeLabel")->text(), QString());
        QCOMPARE(Child<QLineEdit>(&dialog, "xEdit")->text(), QStringLiteral("7"));
        QCOMPARE(Child<QLineEdit>(&dialog, "widthEdit")->text(), QStringLiteral("96"));
        QCOMPARE(Child<QLineEdit>(&dialog, "heightEdit")->text(), QStringLiteral("64"));
        QCOMPARE(PreviewSize(&dialog), QSize(96, 64));
        QCOMPARE(dialog.convertedPicture().size(), QSize(96, 64));
        QCOMPARE(dialog.convertedPicture(), CDisplayImageDialog::placeholderPicture());

        Click(&dialog, "okButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.convertedPicture(), CDisplayImageDialog::placeholderPicture());

        CDisplayImageDialog done;
        done.show();
        Click(&done, "doneButton");
        QCOMPARE(done.result(), int(QDialog::Rejected));
    }

    void openingAndResizing()
    {
        QTemporaryDir dir;
        const QString photo = SavePicture(dir, "photo.png", Gradient(640, 480), "png");
        FileSeam files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();

        files.openAnswers = {photo};
        Click(&dialog, "openPictureButton");
        QCOMPARE(files.offered.value(0), QStringLiteral("Open||") + kPicturesFilter);
        QCOMPARE(Child<QLabel>(&dialog, "sourceSizeLabel")->text(), QStringLiteral("Source Size:  640x480 pixels"));
        QCOMPARE(dialog.m_lastPath, photo);
        // No Resize: the top-left 96 x 64, unscaled.
        QCOMPARE(PreviewSize(&dialog), QSize(96, 64));
        QCOMPARE(dialog.convertedPicture().pixel(95, 63), Gradient(640, 480).pixel(95, 63));

        Click(&dialog, "maximizeRadio");
        QCOMPARE(dialog.m_resizeMode, 2);
        QCOMPARE(dialog.convertedPicture().size(), QSize(96, 64));
        QVERIFY(qRed(dialog.convertedPicture().pixel(95, 0)) > 200);  // the right edge of 640

        Type(&dialog, "widthEdit", "1");
        Type(&dialog, "heightEdit", "1");
        // Sizes count only under "Resize to:".
        QCOMPARE(dialog.convertedPicture().size(), QSize(96, 64));
        Click(&dialog, "resizeToRadio");
        QCOMPARE(dialog.convertedPicture().size(), QSize(1, 1));
        QCOMPARE(PreviewSize(&dialog), QSize(1, 1));

        // There the preview, and so what OK hands over, follows the sizes as
        // they are typed; a half-typed entry changes nothing and says nothing.
        auto retype = [&](const char* name, const QString& text) {
            auto* edit = Child<QLineEdit>(&dialog, name);
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, text);
        };
        retype("widthEdit", "48");
        QCOMPARE(dialog.convertedPicture().size(), QSize(48, 1));
        retype("heightEdit", "32");
        QCOMPARE(dialog.convertedPicture().size(), QSize(48, 32));
        QCOMPARE(PreviewSize(&dialog), QSize(48, 32));
        retype("heightEdit", "650");  // 6 is a size, 65 and 650 are not
        QCOMPARE(dialog.convertedPicture().size(), QSize(48, 6));
        retype("heightEdit", "32");
        QCOMPARE(dialog.convertedPicture().size(), QSize(48, 32));

        // The depth never changes the preview.
        const QImage before = dialog.convertedPicture();
        Click(&dialog, "depth8Radio");
        QCOMPARE(dialog.m_bitDepth, 8);
        QCOMPARE(dialog.convertedPicture(), before);
        QVERIFY(messages.messages.isEmpty());
    }

    void refusedEntriesNeverReachTheConversion_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("width 97") << "widthEdit" << "97" << "Tavrel|Please enter an integer between 1 and 96.";
        QTest::newRow("height 65") << "heightEdit" << "65" << "Tavrel|Please enter an integer between 1 and 64.";
        QTest::newRow("not a number") << "heightEdit" << "ten" << "Tavrel|Please enter an integer.";
    }
    void refusedEntriesNeverReachTheConversion()
    {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(QString, message);
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        Type(&dialog, "widthEdit", "40");
        Type(&dialog, "heightEdit", "20");
        Click(&dialog, "resizeToRadio");
        QCOMPARE(dialog.convertedPicture().size(), QSize(40, 20));

        Child<QLineEdit>(&dialog, edit.toLatin1().constData())->setText(text);
        Click(&dialog, "resizeToRadio");
        QCOMPARE(messages.messages, QStringList{message});  // once, not per commit
        // The last valid entries are back and were used.
        QCOMPARE(Child<QLineEdit>(&dialog, "widthEdit")->text(), QStringLiteral("40"));
        QCOMPARE(Child<QLineEdit>(&dialog, "heightEdit")->text(), QStringLiteral("20"));
        QCOMPARE(dialog.convertedPicture().size(), QSize(40, 20));
    }

    void okIsRefusedWhileAnEntryIsWrong()
    {
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        Click(&dialog, "maximizeRadio");
        Type(&dialog, "heightEdit", "65");
        Click(&dialog, "okButton");
        QVERIFY(dialog.isVisible());
        QCOMPARE(messages.messages, QStringList{"Tavrel|Please enter an integer between 1 and 64."});
        // The source became the converted picture; later conversions start from it.
        QCOMPARE(dialog.m_source.size(), QSize(96, 64));
        Type(&dialog, "heightEdit", "64");
        Click(&dialog, "okButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void failedOpenKeepsThePreview()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath("notes.png");
        QFile file(text);
        file.open(QIODevice::WriteOnly);
        file.write("not a picture");
        file.close();
        FileSeam files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        files.openAnswers = {SavePicture(dir, "ok.png", Filled(50, 40, Qt::green), "png"), text};
        Click(&dialog, "openPictureButton");
        Click(&dialog, "openPictureButton");
        QCOMPARE(messages.messages, QStringList{"Tavrel|File not found or invalid format"});
        QCOMPARE(dialog.convertedPicture().size(), QSize(50, 40));
        QCOMPARE(Child<QLabel>(&dialog, "sourceSizeLabel")->text(), QStringLiteral("Source Size:  50x40 pixels"));
        QVERIFY(dialog.m_source.isNull());
        // The picture shown becomes the source of the next conversion.
        Click(&dialog, "maximizeRadio");
        QCOMPARE(dialog.convertedPicture().size(), QSize(96, 64));
        QCOMPARE(dialog.convertedPicture().pixel(50, 30), qRgb(0, 255, 0));
        QCOMPARE(dialog.m_source.size(), QSize(50, 40));
    }

    void saveDataWritesThePreviewAtTheChosenDepth()
    {
        QTemporaryDir dir;
        FileSeam files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        // Nothing opened: the placeholder is saved; the default extension is added.
        files.saveAnswers = {dir.filePath("placeholder")};
        Click(&dialog, "saveDataButton");
        QCOMPARE(files.offered.value(0), QStringLiteral("Save As||Oled Image Data (*.dat);;All Files (*)"));
        const QByteArray placeholder = ReadAll(dir.filePath("placeholder.dat"));
        QCOMPARE(placeholder.size(), 12291);
        QCOMPARE(placeholder.left(3), QByteArray("\x60\x40\x10"));
        QCOMPARE(messages.messages, QStringList{"Tavrel|Save to file complete."});

        files.openAnswers = {SavePicture(dir, "red.png", Filled(40, 30, QColor(255, 0, 0)), "png")};
        Click(&dialog, "openPictureButton");
        Click(&dialog, "depth8Radio");
        files.saveAnswers = {dir.filePath("red.dat")};
        Click(&dialog, "saveDataButton");
        // The opened picture's name with the data file's extension, never
        // the picture itself.
        QCOMPARE(files.offered.last(), QStringLiteral("Save As|%1|Oled Image Data (*.dat);;All Files (*)")
                                           .arg(dir.filePath("red.dat")));
        QCOMPARE(ReadAll(dir.filePath("red.dat")), QByteArray("\x28\x1e\x08") + QByteArray(1200, char(0xE0)));

        // Cancelling the file dialog writes nothing and says nothing.
        messages.messages.clear();
        Click(&dialog, "saveDataButton");
        QVERIFY(messages.messages.isEmpty());
    }

    void saveBmpWritesThePictureAsOpenedAndReportsFailure()
    {
        QTemporaryDir dir;
        FileSeam files;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        files.openAnswers = {SavePicture(dir, "photo.jpg", Gradient(640, 480), "jpeg")};
        Click(&dialog, "openPictureButton");
        Click(&dialog, "maximizeRadio");
        files.saveAnswers = {dir.filePath("copy.bmp"), dir.filePath("missing/copy.bmp")};
        Click(&dialog, "saveBmpButton");
        QCOMPARE(files.offered.value(1), QStringLiteral("Save As|%1|Bitmap Picture (*.bmp);;All Files (*)")
                                             .arg(dir.filePath("photo.bmp")));
        QCOMPARE(QImage(dir.filePath("copy.bmp")).size(), QSize(640, 480));
        Click(&dialog, "saveBmpButton");
        QCOMPARE(messages.messages, (QStringList{"Tavrel|Save to file complete.",
                                                 "Tavrel|Failed to open output file (No such file or directory)."}));
    }

    void savesNeverReplaceTheOpenedPicture()
    {
        // Typed over, reached through a link or not: the picture opened
        // stays as it was, whichever save is pressed.
        QTemporaryDir dir;
        FileSeam files;
        UiSeamRecorder messages;
        const QString photo = SavePicture(dir, "photo.jpg", Gradient(64, 48), "jpeg");
        const QByteArray original = ReadAll(photo);
        QVERIFY(QFile::link(photo, dir.filePath("link.jpg")));
        CDisplayImageDialog dialog;
        dialog.show();
        files.openAnswers = {photo};
        Click(&dialog, "openPictureButton");
        files.saveAnswers = {photo, dir.filePath("link.jpg"), photo};
        Click(&dialog, "saveDataButton");
        Click(&dialog, "saveDataButton");
        Click(&dialog, "saveBmpButton");
        const QString refused = QStringLiteral("Tavrel|Failed to open output file (it is a picture this save reads "
                                               "from). It was left unchanged.");
        QCOMPARE(messages.messages, (QStringList{refused, refused, refused}));
        QCOMPARE(ReadAll(photo), original);

        // The slideshow builder does not replace a picture of its list.
        CSlideShowDialog slideshow;
        slideshow.show();
        slideshow.addPictures({photo, SavePicture(dir, "other.png", Filled(64, 48, Qt::red), "png")});
        messages.messages.clear();
        files.saveAnswers = {dir.filePath("link.jpg")};
        Click(&slideshow, "saveSlideshowButton");
        QCOMPARE(messages.messages, QStringList{refused});
        QCOMPARE(ReadAll(photo), original);
    }

    void sameBytesAsTheCommandLineConversion()
    {
        // A JPEG maximized in the dialog gives what tavrel-cli convert and
        // the slideshow builder give: the same decode and conversion.
        QTemporaryDir dir;
        FileSeam files;
        UiSeamRecorder messages;
        const QString photo = SavePicture(dir, "photo.jpg", Gradient(900, 700), "jpeg");
        CDisplayImageDialog dialog;
        dialog.show();
        files.openAnswers = {photo};
        Click(&dialog, "openPictureButton");
        Click(&dialog, "maximizeRadio");
        files.saveAnswers = {dir.filePath("dialog.dat")};
        Click(&dialog, "saveDataButton");
        ResizeRule maximize;
        maximize.mode = ResizeMode::Maximize;
        QCOMPARE(int(BuildSlideshowFile(dir.filePath("builder.dat"), {photo}, maximize, 16).status),
                 int(SaveStatus::Saved));
        QCOMPARE(ReadAll(dir.filePath("dialog.dat")), ReadAll(dir.filePath("builder.dat")));
    }

    // The slideshow dialog

    void slideshowListStaysSorted()
    {
        FileSeam files;
        CSlideShowDialog dialog;
        dialog.show();
        auto* list = Child<QListWidget>(&dialog, "pictureList");
        files.openManyAnswers = {{"/pics/c.jpg", "/pics/A.png", "/pics/b.bmp"}, {"/pics/B.png"}, {}};
        Click(&dialog, "addPicturesButton");
        QCOMPARE(files.offered.value(0), QStringLiteral("Open||") + kPicturesFilter);
        QCOMPARE(dialog.pictures(), (QStringList{"/pics/A.png", "/pics/b.bmp", "/pics/c.jpg"}));
        Click(&dialog, "addPicturesButton");
        QCOMPARE(dialog.pictures(), (QStringList{"/pics/A.png", "/pics/b.bmp", "/pics/B.png", "/pics/c.jpg"}));
        Click(&dialog, "addPicturesButton");  // cancelled
        QCOMPARE(list->count(), 4);

        list->clearSelection();
        Click(&dialog, "removeSelectedButton");
        QCOMPARE(list->count(), 4);
        list->setCurrentRow(1);
        Click(&dialog, "removeSelectedButton");
        QCOMPARE(dialog.pictures(), (QStringList{"/pics/A.png", "/pics/B.png", "/pics/c.jpg"}));
        Click(&dialog, "clearListButton");
        QCOMPARE(list->count(), 0);
    }

    void slideshowSaveBuildsTheFile()
    {
        QTemporaryDir dir;
        FileSeam files;
        UiSeamRecorder messages;
        CSlideShowDialog dialog;
        dialog.show();
        dialog.addPictures({SavePicture(dir, "b.png", Filled(320, 240, Qt::blue), "png"),
                            SavePicture(dir, "a.png", Filled(320, 240, Qt::red), "png")});
        Click(&dialog, "resizeToRadio");
        Type(&dialog, "widthEdit", "48");
        Type(&dialog, "heightEdit", "32");
        Click(&dialog, "depth8Radio");
        files.saveAnswers = {dir.filePath("show")};
        Click(&dialog, "saveSlideshowButton");
        QCOMPARE(files.offered.value(0), QStringLiteral("Save As||Oled Slideshow Data (*.dat);;All Files (*)"));
        QCOMPARE(messages.messages, QStringList{"Tavrel|Save to file complete."});
        const QByteArray bytes = ReadAll(dir.filePath("show.dat"));
        QCOMPARE(bytes, QByteArray("\x30\x20\x08") + QByteArray(1536, char(0xE0)) + QByteArray(1536, char(0x03)));
        // The preview shows the last picture converted.
        QCOMPARE(PreviewSize(&dialog, "slidePreview"), QSize(48, 32));
        QCOMPARE(Child<QLabel>(&dialog, "slidePreview")->pixmap().toImage().pixel(0, 0), qRgb(0, 0, 255));
    }

    void slideshowSaveStopsOnAWrongEntry()
    {
        FileSeam files;
        UiSeamRecorder messages;
        CSlideShowDialog dialog;
        dialog.show();
        Type(&dialog, "widthEdit", "97");
        Click(&dialog, "saveSlideshowButton");
        QCOMPARE(messages.messages, QStringList{"Tavrel|Please enter an integer between 1 and 96."});
        QVERIFY(files.offered.isEmpty());
        Click(&dialog, "okButton");  // OK validates the builder's entries too
        QVERIFY(dialog.isVisible());
    }

    // The panel

    // Files dropped onto the dialogs open as Open Picture and Add Pictures
    // open them; Ctrl+V pastes a picture (bytes from another program, a
    // picture, or a copied file), even from an entry, which keeps pasting
    // text.
    void picturesComeByDropAndPaste()
    {
        QTemporaryDir dir;
        const QString a = SavePicture(dir, "a.png", Gradient(120, 80), "png");
        const QString b = SavePicture(dir, "B.bmp", Filled(30, 20, Qt::green), "bmp");
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        QMimeData* notAFile = new QMimeData;
        notAFile->setText("hello");
        QVERIFY(!DropOnto(&dialog, notAFile));
        delete notAFile;
        std::unique_ptr<QMimeData> files(FilesMime({a, b}));
        QVERIFY(DropOnto(&dialog, files.get()));
        QCOMPARE(dialog.m_source.size(), QSize(120, 80));
        QCOMPARE(dialog.convertedFile(), a);
        QCOMPARE(Child<QLabel>(&dialog, "sourceSizeLabel")->text(), QStringLiteral("Source Size:  120x80 pixels"));

        // Picture bytes as a browser puts them on the clipboard.
        auto* png = new QMimeData;
        png->setData("image/png", ReadAll(SavePicture(dir, "c.png", Filled(33, 22, Qt::blue), "png")));
        QGuiApplication::clipboard()->setMimeData(png);
        Child<QLineEdit>(&dialog, "xEdit")->setFocus();
        QTest::keyClick(Child<QLineEdit>(&dialog, "xEdit"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(dialog.m_source.size(), QSize(33, 22));
        QCOMPARE(dialog.m_source.pixel(0, 0), qRgb(0, 0, 255));
        // Not a file: sent as any picture, recorded only as a comment.
        QVERIFY(dialog.convertedFile().isEmpty());
        QCOMPARE(Child<QLabel>(&dialog, "sourceSizeLabel")->text(), QStringLiteral("Source Size:  33x22 pixels"));
        // A picture made within a program, and hostile bytes read safely.
        auto* image = new QMimeData;
        image->setImageData(Filled(7, 5, Qt::red));
        QGuiApplication::clipboard()->setMimeData(image);
        dialog.OnPastePicture();
        QCOMPARE(dialog.m_source.size(), QSize(7, 5));
        auto* bomb = new QMimeData;
        bomb->setData("image/gif", GifLzwBomb(1024));
        QGuiApplication::clipboard()->setMimeData(bomb);
        dialog.OnPastePicture();
        QCOMPARE(dialog.m_source.size(), QSize(1, 1));
        QVERIFY(messages.messages.isEmpty());
        // A copied file opens as a file.
        QGuiApplication::clipboard()->setMimeData(FilesMime({b}));
        dialog.OnPastePicture();
        QCOMPARE(dialog.convertedFile(), b);
        // Text stays the entries' to paste.
        QGuiApplication::clipboard()->setText("42");
        Child<QLineEdit>(&dialog, "yEdit")->clear();
        QTest::keyClick(Child<QLineEdit>(&dialog, "yEdit"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Child<QLineEdit>(&dialog, "yEdit")->text(), QStringLiteral("42"));
        QCOMPARE(dialog.convertedFile(), b);
        dialog.OnPastePicture();
        QCOMPARE(messages.messages, QStringList{"Tavrel|The clipboard holds no picture to paste."});

        CSlideShowDialog slides;
        slides.show();
        QVERIFY(DropOnto(&slides, files.get()));
        QCOMPARE(slides.pictures(), (QStringList{a, b}));
    }

    // A picture dropped onto the main window opens Display Image with it.
    void aPictureDroppedOnThePanelOpensDisplayImage()
    {
        QTemporaryDir dir;
        const QString path = SavePicture(dir, "flag.png", Filled(20, 10, Qt::red), "png");
        OpenPanel open;
        CTavrelDlg& panel = open.panel;
        ModalDriver driver;
        driver.expect("Display Image", [&](QWidget* d) {
            // Opened once the dialog is on screen.
            QCoreApplication::processEvents();
            driver.read(d, "sourceSizeLabel");
            ModalDriver::clickOk(d);
        });
        std::unique_ptr<QMimeData> files(FilesMime({path}));
        QVERIFY(DropOnto(&panel, files.get()));
        DRIVEN(driver);
        QCOMPARE(driver.readings(), QStringList{"Source Size:  20x10 pixels"});
        QCOMPARE(panel.emulator().pixel(0, 0), quint16(0xF800));
    }

    void displayImageButtonStreamsToTheEmulator()
    {
        QTemporaryDir dir;
        QImage picture = Filled(20, 10, QColor(255, 0, 0));
        for (int x = 0; x < 20; ++x)
            picture.setPixelColor(x, 9, QColor(0, 0, 255));
        const QString path = SavePicture(dir, "flag.png", picture, "png");
        FileSeam files;
        files.openAnswers = {path};
        PanelOptions options;
        options.portName = EmulatorPortName();
        options.showEmulatorWindow = false;
        CTavrelDlg panel(options);
        panel.show();
        Click(&panel, "openPortButton");
        panel.session().m_lastX[0] = "3";
        panel.session().m_lastY[0] = "4";

        ModalDriver driver;
        driver.expect("Display Image", [&](QWidget* d) {
            driver.read(d, "xEdit");
            Click(d, "openPictureButton");
            Click(d, "depth8Radio");
            ModalDriver::setText(d, "xEdit", "10");
            ModalDriver::clickOk(d);
        });
        Click(&panel, "displayImageButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), QStringList{"3"});
        QCOMPARE(panel.statusText(), QStringLiteral("Display Image: 73, 10, 4, 20, 10, 8, 224, 224, 224, 224, ... : "
                                                    "206 bytes written\r\n> Command Acknowledged"));
        QCOMPARE(panel.session().m_lastX[0], QStringLiteral("10"));
        quennel::Emulator& emulator = panel.emulator();
        QCOMPARE(emulator.pixel(10, 4), quint16(0xF800));
        QCOMPARE(emulator.pixel(29, 12), quint16(0xF800));
        QCOMPARE(emulator.pixel(10, 13), quint16(0x001F));
        QCOMPARE(emulator.pixel(30, 4), quint16(0x0000));
        // The progress bar is gone once the transfer is over.
        auto* bar = panel.findChild<QProgressBar*>("transferProgress");
        QVERIFY(bar);
        QVERIFY(!bar->isVisible());
    }

    void progressSwallowsInputWhileRunning()
    {
        PanelOptions options;
        options.showEmulatorWindow = false;
        CTavrelDlg panel(options);
        panel.show();
        auto* button = Child<QPushButton>(&panel, "clearScreenButton");
        QSignalSpy clicked(button, &QPushButton::clicked);
        CUploadProgress progress(&panel, QRect(0, 0, 100, 10));
        progress.report("Display Image", 1, 64);
        QVERIFY(progress.isRunning());
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(&panel, Qt::Key_Escape);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(panel.isVisible());
        progress.report("Display Image", 64, 64);
        QVERIFY(!progress.isRunning());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void slideshowButtonSendsTheCommand()
    {
        PanelOptions options;
        options.portName = EmulatorPortName();
        options.showEmulatorWindow = false;
        CTavrelDlg panel(options);
        panel.show();
        Click(&panel, "openPortButton");
        ModalDriver driver;
        driver.expect("Display or Create Slideshow", [&](QWidget* d) {
            driver.read(d, "fileNameEdit");
            driver.read(d, "xEdit");
            driver.read(d, "yEdit");
            driver.read(d, "delayEdit");
            ModalDriver::setText(d, "fileNameEdit", "SHOW.DAT");
            ModalDriver::setText(d, "delayEdit", "1000");
            ModalDriver::clickOk(d);
        });
        Click(&panel, "slideshowButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"", "0", "0", "10"}));
        QVERIFY2(panel.statusText().startsWith("Show slideshow from SD data file: 64, 115, 0, 0, 3, 232, 83, 72, 79, "
                                               "87, 46, 68, 65, 84, 0, : 15 bytes written\r\n> "),
                 qPrintable(panel.statusText()));
    }
};

QTEST_MAIN(TestPictureDialogs)
#include "tst_picture_dialogs.moc"
