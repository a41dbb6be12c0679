// SPDX-License-Identifier: GPL-3.0-or-later
// The Display Image and slideshow dialogs opening hostile files: a picture
// or one message that says what is wrong, the preview kept on a refusal,
// no hang on a named pipe. The files come from a fixed seed; a failure
// names the seed and the case.

#include "imaging/dialogs/CDisplayImageDialog.h"
#include "imaging/dialogs/CSlideShowDialog.h"
#include "support/PictureBytes.h"
#include "support/PictureFiles.h"
#include "support/UiSeamRecorder.h"
#include "widgets/UiSeam.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace tavrel;
using namespace tavrel::testing;

namespace {

constexpr quint32 kSeed = 777;

// Answers every file-open dialog with the next path of the queue.
struct OpenAnswers {
    QStringList paths;
    QVector<QStringList> lists;
    QStringList saves;
    OpenAnswers()
    {
        UiSeam::setOpenFileNameHandler([this](QWidget*, const QString&, const QString&, const QString&) {
            return paths.isEmpty() ? QString() : paths.takeFirst();
        });
        UiSeam::setOpenFileNamesHandler([this](QWidget*, const QString&, const QString&, const QString&) {
            return lists.isEmpty() ? QStringList() : lists.takeFirst();
        });
        UiSeam::setSaveFileNameHandler([this](QWidget*, const QString&, const QString&, const QString&) {
            return saves.isEmpty() ? QString() : saves.takeFirst();
        });
    }
    ~OpenAnswers()
    {
        UiSeam::setOpenFileNameHandler({});
        UiSeam::setOpenFileNamesHandler({});
        UiSeam::setSaveFileNameHandler({});
    }
};

void Click(QWidget* parent, const char* name)
{
    QAbstractButton* button = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!button)
        qFatal("no button %s", name);
    button->click();
}

QString SourceLabel(QWidget* dialog)
{
    return dialog->findChild<QLabel*>(QStringLiteral("sourceSizeLabel"))->text();
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestPictureDialogRobustness : public QObject {
    Q_OBJECT
private slots:
    // Each file opened in turn: a sound one becomes the preview, any other
    // either does or leaves one message and the previous preview.
    void displayImageOpensEveryHostileFile()
    {
        QTemporaryDir dir;
        OpenAnswers answers;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        for (const PictureCase& c : HostilePictureCorpus(kSeed, 2)) {
            const QString why = QStringLiteral("seed %1, case \"%2\"").arg(kSeed).arg(c.name);
            const QImage before = dialog.convertedPicture();
            const QString labelBefore = SourceLabel(&dialog);
            messages.messages.clear();
            answers.paths = {Write(dir, "picture", c.bytes)};
            Click(&dialog, "openPictureButton");
            if (messages.messages.isEmpty()) {
                QVERIFY2(c.expect != PictureCase::Expect::Refused, qPrintable(why + ": opened"));
                QVERIFY2(SourceLabel(&dialog).startsWith("Source Size:  "), qPrintable(why));
                if (c.expect == PictureCase::Expect::Picture)
                    QCOMPARE(dialog.m_source.size(), c.size);
                // The options convert what was opened.
                Click(&dialog, "maximizeRadio");
                QCOMPARE(dialog.convertedPicture().size(), QSize(96, 64));
                Click(&dialog, "noResizeRadio");
                QVERIFY(!dialog.convertedPicture().isNull());
            } else {
                QVERIFY2(c.expect != PictureCase::Expect::Picture,
                         qPrintable(why + ": " + messages.messages.join(';')));
                QCOMPARE(messages.messages.size(), 1);
                QVERIFY2(messages.messages.first().startsWith("Tavrel|"), qPrintable(why));
                QVERIFY2(dialog.convertedPicture() == before, qPrintable(why + ": preview changed"));
                QCOMPARE(SourceLabel(&dialog), labelBefore);
            }
        }
    }

    void displayImageSaysWhatIsWrong()
    {
        QTemporaryDir dir;
        OpenAnswers answers;
        UiSeamRecorder messages;
        CDisplayImageDialog dialog;
        dialog.show();
        QStringList expected;
        answers.paths << Write(dir, "wide.png", PngClaiming(QSize(9000, 8000)));
        expected << QStringLiteral("Tavrel|The picture \"%1\" is too large: 9000x8000 pixels. Pictures may have at "
                                   "most 64 megapixels (8192x8192 pixels).")
                        .arg(QDir::toNativeSeparators(dir.filePath("wide.png")));
        answers.paths << dir.path();
        expected << QStringLiteral("Tavrel|Cannot read \"%1\": it is a folder, not a regular file. Pictures are read "
                                   "from files only.")
                        .arg(QDir::toNativeSeparators(dir.path()));
#ifdef Q_OS_UNIX
        const QString fifo = dir.filePath("pipe.png");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        answers.paths << fifo;
        expected << QStringLiteral("Tavrel|Cannot read \"%1\": it is a named pipe (FIFO), not a regular file. "
                                   "Pictures are read from files only.")
                        .arg(fifo);
#endif
        BmpOptions topDown;
        topDown.topDown = true;
        answers.paths << Write(dir, "down.bmp", MakeBmp(topDown));
        while (!answers.paths.isEmpty())
            Click(&dialog, "openPictureButton");
        QCOMPARE(messages.messages, expected);
        QCOMPARE(SourceLabel(&dialog), QStringLiteral("Source Size:  13x7 pixels"));
        QCOMPARE(dialog.convertedPicture().pixel(12, 0), PatternPixel(12, 0));
    }

    // The builder goes on past pictures it cannot use, one message each.
    void slideshowBuilderReportsEachPicture()
    {
        QTemporaryDir dir;
        OpenAnswers answers;
        UiSeamRecorder messages;
        CSlideShowDialog dialog;
        dialog.show();
        dialog.addPictures({Write(dir, "a.bmp", MakeBmp(BmpOptions())),
                            Write(dir, "b.png", PngClaiming(QSize(9000, 8000))),
                            Write(dir, "c.gif", MakeGif(GifOptions()).left(30)), dir.path()});
        Click(&dialog, "maximizeRadio");
        answers.saves = {dir.filePath("show.dat")};
        Click(&dialog, "saveSlideshowButton");
        // In the list's order: the folder's path sorts first.
        QCOMPARE(messages.messages.size(), 4);
        QVERIFY(messages.messages.at(0).contains("it is a folder"));
        QVERIFY(messages.messages.at(1).contains("9000x8000 pixels"));
        QCOMPARE(messages.messages.at(2), QStringLiteral("Tavrel|File not found or invalid format"));
        QCOMPARE(messages.messages.at(3), QStringLiteral("Tavrel|Save to file complete."));
        QCOMPARE(ReadAll(dir.filePath("show.dat")).size(), 3 + 4 * 12288);
    }
};

QTEST_MAIN(TestPictureDialogRobustness)
#include "tst_picture_dialog_robustness.moc"
