// SPDX-License-Identifier: GPL-3.0-or-later
// The saves of image data files, slideshows and BMPs, in process: a save
// either completes or reports the system's reason and leaves the earlier
// file byte for byte as it was; it never replaces something that is not a
// regular file, nor a picture it reads; a BMP is written row by row with
// the bytes Qt's own writer gives.

#include "imaging/BmpWriter.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureConversion.h"
#include "imaging/SlideshowBuilder.h"
#include "support/HostileSaveTargets.h"
#include "support/PictureFiles.h"
#include "support/SaveTestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <functional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace tavrel;
using namespace tavrel::testing;

namespace {

QString WriteFailedText(int error)
{
    return QStringLiteral("Failed to write output file (%1). An earlier file of that name was left unchanged.")
        .arg(SystemText(error));
}

// The three kinds of save, each writing a file of a known size.
struct SaveKind {
    const char* name;
    qint64 fullSize;
    std::function<SaveResult(const QString& out, const QStringList& pictures)> save;
};

QList<SaveKind> SaveKinds()
{
    const ResizeRule maximize = Rule(ResizeMode::Maximize);
    return {
        {"image data", 3 + 96 * 64 * 2,
         [](const QString& out, const QStringList& pictures) {
             return SaveImageDataFile(out, ConvertPicture(PatternPicture(96, 64), ResizeRule()), 16, pictures);
         }},
        {"bmp", 54 + 96 * 3 * 64,
         [](const QString& out, const QStringList& pictures) { return SaveBmpFile(out, PatternPicture(96, 64), pictures); }},
        {"slideshow of one", 3 + 96 * 64 * 2,
         [maximize](const QString& out, const QStringList& pictures) {
             return BuildSlideshowFile(out, pictures.mid(0, 1), maximize, 16);
         }},
        {"slideshow of three", 3 + 3 * 96 * 64 * 2,
         [maximize](const QString& out, const QStringList& pictures) {
             return BuildSlideshowFile(out, pictures, maximize, 16);
         }},
    };
}

// Three pictures for the slideshows and as sources.
QStringList MakePictures(const QTemporaryDir& dir)
{
    return {SavePicture(dir, "a.png", PatternPicture(120, 80), "png"), SavePicture(dir, "b.png", PatternPicture(96, 64), "png"),
            SavePicture(dir, "c.png", Filled(50, 50, Qt::blue), "png")};
}

QByteArray QtBmp(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image))
        qFatal("Qt's BMP writer failed");
    return buffer.data();
}

QByteArray OurBmp(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!WriteBmp24(buffer, image))
        return QByteArray();
    return buffer.data();
}

} // namespace

class TestSaves : public QObject {
    Q_OBJECT
private slots:
    void failedWritesLeaveTheEarlierFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("limit");  // bytes the process may write into one file; -1: the full size less one
        const QList<SaveKind> kinds = SaveKinds();
        for (int k = 0; k < kinds.size(); ++k)
            for (qint64 limit : {qint64(0), qint64(300), qint64(4096), qint64(-1)})
                QTest::addRow("%s, limit %lld", kinds.at(k).name, limit) << k << limit;
    }
    void failedWritesLeaveTheEarlierFile()
    {
        QFETCH(int, kind);
        QFETCH(qint64, limit);
        const SaveKind save = SaveKinds().at(kind);
        QTemporaryDir dir;
        const QStringList pictures = MakePictures(dir);
        const QString out = PutFile(dir.filePath("out.dat"), kEarlierFile);
        const QStringList before = FolderEntries(dir.path());
        SaveResult result;
        {
            FileSizeLimit fileSize(limit < 0 ? save.fullSize - 1 : limit);
            result = save.save(out, pictures);
        }
        QCOMPARE(int(result.status), int(SaveStatus::WriteFailed));
        QCOMPARE(SaveResultText(result), WriteFailedText(EFBIG));
        QCOMPARE(ReadAll(out), kEarlierFile);
        QCOMPARE(FolderEntries(dir.path()), before);

        // Exactly the full size fits.
        {
            FileSizeLimit fileSize(save.fullSize);
            result = save.save(out, pictures);
        }
        QCOMPARE(SaveResultText(result), QStringLiteral("Save to file complete."));
        QCOMPARE(QFileInfo(out).size(), save.fullSize);
        QCOMPARE(FolderEntries(dir.path()), before);
    }

    void whatIsNotARegularFileIsNeverReplaced_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "folder" << "it is a folder, not a regular file";
        QTest::newRow("fifo") << "fifo" << "it is a named pipe, not a regular file";
        QTest::newRow("socket") << "socket" << "it is a socket, not a regular file";
        QTest::newRow("device") << "device" << "it is a device, not a regular file";
    }
    void whatIsNotARegularFileIsNeverReplaced()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QStringList pictures = MakePictures(dir);
        const QString target = dir.filePath("target");
#ifndef Q_OS_UNIX
        if (kind != "folder")
            QSKIP("named pipes, sockets and device nodes in a folder are Unix things");
#endif
        if (kind == "device" && !RunningAsRoot())
            QSKIP("only root can make a scratch device node");
        std::unique_ptr<SocketFile> socket;
        QVERIFY(MakeSpecialFile(kind, target, socket));
        const QString before = KindAt(target);
        auto refused = [&](const QString& path) {
            const QStringList entries = FolderEntries(dir.path());
            for (const SaveKind& save : SaveKinds()) {
                const SaveResult result = save.save(path, pictures);
                QCOMPARE(int(result.status), int(SaveStatus::Refused));
                QCOMPARE(SaveResultText(result),
                         QStringLiteral("Failed to open output file (%1). It was left unchanged.").arg(text));
                QCOMPARE(KindAt(target), before);
                QCOMPARE(FolderEntries(dir.path()), entries);
            }
        };
        refused(target);
        // Also when reached through a symbolic link.
        if (!MakeSymbolicLink(target, dir.filePath("link")))
            QSKIP(kNoSymbolicLinks);
        refused(dir.filePath("link"));
    }

    void picturesBeingReadAreNeverReplaced()
    {
        QTemporaryDir dir;
        const QStringList pictures = MakePictures(dir);
        const QString source = pictures.at(0);
        const QByteArray original = ReadAll(source);
        const bool linked = MakeSymbolicLink(source, dir.filePath("symlink.png"))
                            && MakeSymbolicLink(dir.filePath("symlink.png"), dir.filePath("link-to-link.png"));
        QDir(dir.path()).mkdir("sub");
        QStringList sameFile = {source, dir.filePath("sub/../a.png")};
        if (linked)
            sameFile << dir.filePath("symlink.png") << dir.filePath("link-to-link.png");
        if (MakeHardLink(source, dir.filePath("hard.png")))
            sameFile << dir.filePath("hard.png");
#ifdef Q_OS_WIN
        // Windows names the same file with backslashes and in any letter case.
        sameFile << QDir::toNativeSeparators(source) << source.toUpper();
#endif
        const QString refusal =
            QStringLiteral("Failed to open output file (it is a picture this save reads from). It was left unchanged.");
        for (const SaveKind& save : SaveKinds()) {
            for (const QString& target : sameFile) {
                const SaveResult result = save.save(target, pictures);
                QVERIFY2(SaveResultText(result) == refusal, qPrintable(QStringLiteral("%1 onto %2: %3")
                                                                           .arg(save.name, target,
                                                                                SaveResultText(result))));
                QCOMPARE(ReadAll(source), original);
            }
        }
        // The check compares files, not names: another file is saved to.
        const QString other = dir.filePath("other.dat");
        QCOMPARE(int(SaveImageDataFile(other, Filled(2, 2, Qt::red), 8, {source}).status), int(SaveStatus::Saved));
        QCOMPARE(int(SaveBmpFile(other, Filled(2, 2, Qt::red), {source}).status), int(SaveStatus::Saved));
        if (!linked)
            QSKIP(kNoSymbolicLinks);
    }

    void proposedNamesAreNeverThePictureItself()
    {
        QCOMPARE(SaveNameBeside(QStringLiteral("/p/photo.jpg"), QStringLiteral("dat")), QStringLiteral("/p/photo.dat"));
        QCOMPARE(SaveNameBeside(QStringLiteral("/p/photo.jpg"), QStringLiteral("bmp")), QStringLiteral("/p/photo.bmp"));
        QCOMPARE(SaveNameBeside(QStringLiteral("/p/scan.BMP"), QStringLiteral("bmp")), QStringLiteral("/p/scan_24.bmp"));
        QCOMPARE(SaveNameBeside(QStringLiteral("/p/a.b.dat"), QStringLiteral("dat")), QStringLiteral("/p/a.b_24.dat"));
        QCOMPARE(SaveNameBeside(QString(), QStringLiteral("dat")), QString());
    }

    void symbolicLinksWriteThroughAndModesStay()
    {
        QTemporaryDir dir;
        const QString real = PutFile(dir.filePath("real.dat"), kEarlierFile);
        QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
        if (!MakeSymbolicLink(real, dir.filePath("link.dat")))
            QSKIP(kNoSymbolicLinks);
        const QImage picture = ConvertPicture(Filled(2, 1, Qt::red), ResizeRule());
        QCOMPARE(int(SaveImageDataFile(dir.filePath("link.dat"), picture, 8).status), int(SaveStatus::Saved));
        QCOMPARE(KindAt(dir.filePath("link.dat")), QStringLiteral("link"));
        QCOMPARE(ReadAll(real), QByteArray("\x02\x01\x08\xE0\xE0", 5));
#ifndef Q_OS_WIN
        // Windows keeps no group and other permissions to compare.
        const QFileDevice::Permissions everyone(0x7077);  // owner, group, others
        QCOMPARE(QFile::permissions(real) & everyone,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
#endif

        // A link to nowhere: the file it names is created.
        QVERIFY(MakeSymbolicLink(dir.filePath("made.dat"), dir.filePath("dangling.dat")));
        QCOMPARE(int(SaveImageDataFile(dir.filePath("dangling.dat"), picture, 8).status), int(SaveStatus::Saved));
        QCOMPARE(KindAt(dir.filePath("dangling.dat")), QStringLiteral("link"));
        QCOMPARE(ReadAll(dir.filePath("made.dat")).size(), 5);
        QCOMPARE(FolderEntries(dir.path()), (QStringList{"dangling.dat", "link.dat", "made.dat", "real.dat"}));
    }

    void foldersThatCannotTakeTheFile()
    {
        QTemporaryDir dir;
        const QImage picture = Filled(4, 4, Qt::red);
        SaveResult result = SaveBmpFile(dir.filePath("no-such-folder/out.bmp"), picture);
        QCOMPARE(int(result.status), int(SaveStatus::OpenFailed));
        QCOMPARE(SaveResultText(result), QStringLiteral("Failed to open output file (%1).").arg(MissingFolderText()));

        // Read-only: a folder no file can be created in, and a file that may
        // not be written in a folder that may (which the system lets root
        // write, so that case counts only for other users).
        QDir(dir.path()).mkdir("locked");
        QDir(dir.path()).mkdir("open");
        const QString inLocked = PutFile(dir.filePath("locked/out.dat"), kEarlierFile);
        const QString readOnly = PutFile(dir.filePath("open/out.dat"), kEarlierFile);
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther | QFileDevice::ExeGroup);
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                  | QFileDevice::ReadOther | QFileDevice::ExeOther);
        QFile::setPermissions(dir.filePath("open"), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        {
            UnprivilegedFileAccess unprivileged;
            if (!unprivileged.isValid())
                QSKIP("running as root, and permissions cannot be made to count on this system");
#ifdef Q_OS_WIN
            // Windows has no read-only folders: only the read-only file is tried.
            QStringList refused{readOnly};
#else
            QStringList refused{inLocked};
            if (RunningAsRoot())
                qInfo("running as root: a read-only file is writable, only the read-only folder is tried");
            else
                refused << readOnly;
#endif
            for (const QString& path : refused) {
                for (const SaveKind& save : SaveKinds()) {
                    result = save.save(path, {});
                    QCOMPARE(int(result.status), int(SaveStatus::OpenFailed));
                    QCOMPARE(SaveResultText(result),
                             QStringLiteral("Failed to open output file (%1).").arg(SystemText(EACCES)));
                }
            }
        }
        QCOMPARE(ReadAll(inLocked), kEarlierFile);
        QCOMPARE(ReadAll(readOnly), kEarlierFile);
        QCOMPARE(FolderEntries(dir.filePath("locked")), QStringList{"out.dat"});
        QCOMPARE(FolderEntries(dir.filePath("open")), QStringList{"out.dat"});
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::Permissions(0x7700));
    }

    void namesWindowsKeepsForDevicesAndFilesHeldOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("heldOpen");
        // Devices in every folder on Windows, with any extension and
        // trailing blanks; files like any other elsewhere.
        for (const char* name : {"CON", "nul", "COM1", "aux.dat", "LPT9.bmp", "con .dat", "CONOUT$"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
        QTest::newRow("a file another program holds open") << "open.dat" << true;
    }
    void namesWindowsKeepsForDevicesAndFilesHeldOpen()
    {
        QFETCH(QString, name);
        QFETCH(bool, heldOpen);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile otherProgram(path);
        if (heldOpen) {
            PutFile(path, kEarlierFile);
            // Qt, as most programs, opens files without letting others
            // delete or replace them.
            QVERIFY(otherProgram.open(QIODevice::ReadOnly));
        }
        const SaveResult result = SaveImageDataFile(path, Filled(2, 1, Qt::red), 8);
#ifdef Q_OS_WIN
        if (heldOpen) {
            QCOMPARE(int(result.status), int(SaveStatus::WriteFailed));
            const QStringList reasons{qt_error_string(ERROR_ACCESS_DENIED), qt_error_string(ERROR_SHARING_VIOLATION)};
            QVERIFY2(reasons.contains(result.detail), qPrintable(SaveResultText(result)));
            QCOMPARE(ReadAll(path), kEarlierFile);
        } else {
            QCOMPARE(int(result.status), int(SaveStatus::Refused));
            QCOMPARE(SaveResultText(result),
                     QStringLiteral("Failed to open output file (it is a device, not a regular file). It was left unchanged."));
        }
        QCOMPARE(FolderEntries(dir.path()), heldOpen ? QStringList{name} : QStringList{});
#else
        QCOMPARE(SaveResultText(result), QStringLiteral("Save to file complete."));
        QCOMPARE(ReadAll(path), QByteArray("\x02\x01\x08\xE0\xE0", 5));
#endif
    }

    // The system's own reason, not "Permission denied" for everything: a
    // read-only file system, an immutable file. Both need root to set up.
    void theSystemsReasonForFilesThatCannotBeWritten()
    {
#ifndef Q_OS_LINUX
        QSKIP("Read-only mounts and immutable files are set up the Linux way.");
#else
        QTemporaryDir dir;
        const QImage picture = Filled(4, 4, Qt::red);
        const QString immutable = PutFile(dir.filePath("fixed.dat"), kEarlierFile);
        const QString mountPoint = dir.filePath("readonly");
        QDir(dir.path()).mkdir("readonly");
        if (::mount("tavrel-test", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
            QSKIP("cannot mount a read-only file system here (not root)");
        struct Unmount {
            QByteArray path;
            ~Unmount() { ::umount(path.constData()); }
        } unmount{QFile::encodeName(mountPoint)};
        SaveResult result = SaveImageDataFile(mountPoint + "/new.dat", picture, 8);
        QCOMPARE(SaveResultText(result), QStringLiteral("Failed to open output file (%1).").arg(SystemText(EROFS)));

        const int fd = ::open(QFile::encodeName(immutable).constData(), O_RDONLY);
        int flags = 0;
        const bool marked = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
            && (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (marked) {
            result = SaveImageDataFile(immutable, picture, 8);
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            QCOMPARE(SaveResultText(result), QStringLiteral("Failed to open output file (%1).").arg(SystemText(EPERM)));
            QCOMPARE(ReadAll(immutable), kEarlierFile);
        } else {
            qInfo("this file system keeps no immutable flag: only the read-only mount is tried");
        }
        if (fd >= 0)
            ::close(fd);
#endif
    }

    // Hidden files of the save's own pattern beside the target, which a
    // killed save left, go with the next save of that name; files that
    // only look alike, and one a running save holds, stay.
    void theNextSaveRemovesWhatAKilledOneLeft()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("out.dat");
        for (const char* name : {".out.dat.Ab3dE7gH", ".out.dat.zzzzzzzz", ".out.dat.short", ".other.dat.Ab3dE7gH",
                                 ".out.dat.Held1234"})
            PutFile(dir.filePath(name), "left over");
#ifdef Q_OS_UNIX
        const int held = ::open(QFile::encodeName(dir.filePath(".out.dat.Held1234")).constData(), O_RDONLY);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
#endif
        QCOMPARE(int(SaveImageDataFile(target, Filled(2, 2, Qt::red), 8).status), int(SaveStatus::Saved));
        QStringList expected{".other.dat.Ab3dE7gH", ".out.dat.short", "out.dat"};
#ifdef Q_OS_UNIX
        expected.insert(1, ".out.dat.Held1234");
        ::close(held);
#endif
        QCOMPARE(FolderEntries(dir.path()), expected);
    }

    void aFailedWriteIsReportedEvenIfTheWriterIgnoresIt()
    {
        QTemporaryDir dir;
        const QString path = PutFile(dir.filePath("keep.dat"), kEarlierFile);
        bool laterWriteFailed = false;
        SaveResult result;
        {
            FileSizeLimit fileSize(10);
            result = SaveFileAtomically(path, [&](QIODevice& out) {
                out.write(QByteArray(100, 'x'));
                laterWriteFailed = out.write("tail") < 0;
                return true;
            });
        }
        QVERIFY(laterWriteFailed);
        QCOMPARE(SaveResultText(result), WriteFailedText(EFBIG));
        QCOMPARE(ReadAll(path), kEarlierFile);
        QCOMPARE(FolderEntries(dir.path()), QStringList{"keep.dat"});
    }

    // What takes the target's place while the file is written, or at the
    // very moment it is renamed into place, is kept, and nothing the save
    // made stays in the folder, hidden files included.
    void targetThatBecomesSomethingElseMeanwhileStays_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("atRename");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "folder" << false << "it is a folder, not a regular file";
        QTest::newRow("fifo") << "fifo" << false << "it is a named pipe, not a regular file";
        QTest::newRow("folder at the rename") << "folder" << true << WriteFailedText(EISDIR);
    }
    void targetThatBecomesSomethingElseMeanwhileStays()
    {
        QFETCH(QString, kind);
        QFETCH(bool, atRename);
        QFETCH(QString, text);
#ifndef Q_OS_UNIX
        if (kind != "folder")
            QSKIP("named pipes are Unix things");
#endif
        QTemporaryDir dir;
        const QString path = PutFile(dir.filePath("out.dat"), kEarlierFile);
        const QStringList entries = FolderEntries(dir.path());
        std::unique_ptr<SocketFile> socket;
        bool replaced = false;
        const auto replace = [&] { replaced = QFile::remove(path) && MakeSpecialFile(kind, path, socket); };
        BeforeRename atTheRename(replace);
        if (atRename && !atTheRename.isValid())
            QSKIP("a rename can only be caught on Linux");
        const SaveResult result = SaveFileAtomically(path, [&](QIODevice& out) {
            out.write(QByteArray(5000, 'x'));
            if (!atRename)
                replace();
            return out.write("tail") == 4;
        });
        QCOMPARE(atTheRename.fired(), atRename);
        QVERIFY(replaced);
        QVERIFY(result.status != SaveStatus::Saved);
        QVERIFY2(SaveResultText(result).contains(text), qPrintable(SaveResultText(result)));
        QCOMPARE(KindAt(path), kind);
        QCOMPARE(FolderEntries(dir.path()), entries);
    }

    // A close of the written file that fails is a failed save: reported
    // with the system's reason, and the earlier file stays.
    void aFailedCloseIsAFailedSave()
    {
        QTemporaryDir dir;
        const QString path = PutFile(dir.filePath("keep.dat"), kEarlierFile);
        SaveResult result;
        {
            FailingClose failing(dir.path());
            if (!failing.isValid())
                QSKIP("a failing close can only be arranged on Linux");
            result = SaveFileAtomically(path, [](QIODevice& out) { return out.write(QByteArray(100, 'x')) == 100; });
            QVERIFY(failing.fired());
        }
        QCOMPARE(SaveResultText(result), WriteFailedText(EIO));
        QCOMPARE(ReadAll(path), kEarlierFile);
        QCOMPARE(FolderEntries(dir.path()), QStringList{"keep.dat"});
    }

    void bmpBytesAreQtsForEveryFormat_data()
    {
        QTest::addColumn<QImage>("image");
        // Widths 1..5 give every amount of row padding.
        for (int w : {1, 2, 3, 4, 5})
            QTest::addRow("rgb32 %dx3", w) << PatternPicture(w, 3);
        QTest::newRow("rgb888") << PatternPicture(7, 5, QImage::Format_RGB888);
        QImage alpha = PatternPicture(6, 4, QImage::Format_ARGB32);
        alpha.setPixel(1, 1, qRgba(10, 20, 30, 0));  // the colour stored for a transparent pixel is kept
        QTest::newRow("argb32 with transparent pixels") << alpha;
        QTest::newRow("premultiplied") << PatternPicture(6, 4, QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("grayscale") << PatternPicture(9, 5, QImage::Format_Grayscale8);
        QTest::newRow("rgb16") << PatternPicture(9, 5, QImage::Format_RGB16);
        // Wide and tall enough to be converted in several strips and
        // written in several pieces.
        QImage indexed = PatternPicture(4096, 150, QImage::Format_Indexed8);
        indexed.setDotsPerMeterX(5000);
        indexed.setDotsPerMeterY(4000);
        QTest::newRow("indexed, in strips, with a resolution") << indexed;
        // Rows longer than one piece of work.
        QTest::newRow("wide rgb32") << PatternPicture(300001, 2);
        QTest::newRow("wide grayscale") << PatternPicture(300001, 2, QImage::Format_Grayscale8);
    }
    void bmpBytesAreQtsForEveryFormat()
    {
        QFETCH(QImage, image);
        // What Save BMP always wrote: the opaque picture through Qt's writer.
        QCOMPARE(OurBmp(image), QtBmp(OpaqueRgb32(image)));
        QVERIFY(OurBmp(QImage()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSaves)
#include "tst_saves.moc"
