// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli's saves (convert, build-slideshow, save-bmp) when the target
// cannot or must not take the file: the message on standard error, exit
// status 1, nothing on standard output, and whatever was there before left
// byte for byte as it was. Also Save BMP's peak memory for the largest
// pictures the decoder accepts.

#include "support/BandedPng.h"
#include "support/CliRunner.h"
#include "support/HostileSaveTargets.h"
#include "support/PictureFiles.h"
#include "support/SaveTestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <memory>

using namespace tavrel::testing;

namespace {

// Arguments of one save onto OUT, and the size of the file it makes; the
// inputs are a.png (96 x 64), b.png and c.png in the working folder.
struct CliSave {
    const char* name;
    QStringList arguments;
    qint64 fullSize;
};

QList<CliSave> CliSaves()
{
    return {
        {"convert", {"convert", "a.png", "OUT"}, 3 + 96 * 64 * 2},
        {"save-bmp", {"save-bmp", "a.png", "OUT"}, 54 + 96 * 3 * 64},
        {"slideshow of one", {"build-slideshow", "OUT", "a.png", "--maximize"}, 3 + 96 * 64 * 2},
        {"slideshow of three", {"build-slideshow", "OUT", "a.png", "b.png", "c.png", "--maximize"}, 3 + 3 * 96 * 64 * 2},
    };
}

QStringList WithOutput(QStringList arguments, const QString& out)
{
    arguments.replaceInStrings(QStringLiteral("OUT"), out);
    return arguments;
}

void MakeInputs(const QTemporaryDir& dir)
{
    SavePicture(dir, "a.png", PatternPicture(96, 64), "png");
    SavePicture(dir, "b.png", PatternPicture(200, 100), "png");
    SavePicture(dir, "c.png", Filled(30, 20, Qt::green), "png");
}

// The bytes at `offset` of the file, read without loading it.
QByteArray BytesAt(const QString& path, qint64 offset, qint64 count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return QByteArray();
    return file.read(count);
}

QByteArray Bgr(const QColor& colour)
{
    const char bytes[] = {char(colour.blue()), char(colour.green()), char(colour.red())};
    return QByteArray(bytes, 3);
}

} // namespace

class TestCliSaves : public QObject {
    Q_OBJECT
private slots:
    void fileSizeLimits_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("limit");  // -1: the full size less one; -2: the full size
        const QList<CliSave> saves = CliSaves();
        for (int k = 0; k < saves.size(); ++k)
            for (qint64 limit : {qint64(0), qint64(300), qint64(4096), qint64(-1), qint64(-2)})
                QTest::addRow("%s, limit %lld", saves.at(k).name, limit) << k << limit;
    }
    void fileSizeLimits()
    {
        QFETCH(int, kind);
        QFETCH(qint64, limit);
        const CliSave save = CliSaves().at(kind);
        QTemporaryDir dir;
        MakeInputs(dir);
        const QString out = PutFile(dir.filePath("out.dat"), kEarlierFile);
        const QStringList before = FolderEntries(dir.path());
        CliRunOptions options;
        options.workingDirectory = dir.path();
        options.fileSizeLimit = limit == -2 ? save.fullSize : limit == -1 ? save.fullSize - 1 : limit;
        const CliRun run = RunCliWith(WithOutput(save.arguments, "out.dat"), options);
        QCOMPARE(FolderEntries(dir.path()), before);
        if (limit == -2) {
            QCOMPARE(run.err, QString());
            QCOMPARE(run.out, QStringLiteral("Save to file complete.\n"));
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(QFileInfo(out).size(), save.fullSize);
            return;
        }
        QCOMPARE(run.err, QStringLiteral("Failed to write output file (%1). An earlier file of that name was left "
                                         "unchanged.\n")
                              .arg(SystemText(EFBIG)));
        QCOMPARE(run.out, QString());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(ReadAll(out), kEarlierFile);
    }

    void targetsThatAreNotRegularFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "folder" << "it is a folder, not a regular file";
        QTest::newRow("fifo") << "fifo" << "it is a named pipe, not a regular file";
        QTest::newRow("socket") << "socket" << "it is a socket, not a regular file";
        QTest::newRow("device") << "device" << "it is a device, not a regular file";
    }
    void targetsThatAreNotRegularFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QTemporaryDir dir;
        MakeInputs(dir);
        const QString target = dir.filePath("target");
        if (kind == "device" && !RunningAsRoot())
            QSKIP("only root can make a scratch device node");
        std::unique_ptr<SocketFile> socket;
        QVERIFY(MakeSpecialFile(kind, target, socket));
        const QString before = KindAt(target);
        const QStringList entries = FolderEntries(dir.path());
        for (const CliSave& save : CliSaves()) {
            CliRunOptions options;
            options.workingDirectory = dir.path();
            const CliRun run = RunCliWith(WithOutput(save.arguments, "target"), options);
            QCOMPARE(run.err, QStringLiteral("Failed to open output file (%1). It was left unchanged.\n").arg(text));
            QCOMPARE(run.out, QString());
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(KindAt(target), before);
            QCOMPARE(FolderEntries(dir.path()), entries);
        }
    }

    void foldersThatCannotTakeTheFile()
    {
        QTemporaryDir dir;
        MakeInputs(dir);
        for (const CliSave& save : CliSaves()) {
            const CliRun run = RunCli(WithOutput(save.arguments, "missing/out.dat"), dir.path());
            QCOMPARE(run.err, QStringLiteral("Failed to open output file (%1).\n").arg(SystemText(ENOENT)));
            QCOMPARE(run.exitCode, 1);
        }

        // A read-only folder. Root writes anywhere, so as root the command
        // runs as "nobody", which then must reach the program and the
        // pictures.
        QDir(dir.path()).mkdir("locked");
        const QString old = PutFile(dir.filePath("locked/out.dat"), kEarlierFile);
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                  | QFileDevice::ReadOther | QFileDevice::ExeOther);
        CliRunOptions options;
        options.workingDirectory = dir.path();
        QStringList prefix;
        if (RunningAsRoot()) {
            QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755));
            options.program = QStringLiteral("/usr/bin/setpriv");
            prefix = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                 CliProgram()};
            if (!QFile::exists(options.program) || RunCliWith(prefix + QStringList{"--help"}, options).exitCode != 0)
                QSKIP("running as root without a way to run tavrel-cli as another user (setpriv)");
        }
        for (const CliSave& save : CliSaves()) {
            const CliRun run = RunCliWith(prefix + WithOutput(save.arguments, "locked/out.dat"), options);
            QCOMPARE(run.err, QStringLiteral("Failed to open output file (%1).\n").arg(SystemText(EACCES)));
            QCOMPARE(run.out, QString());
            QCOMPARE(run.exitCode, 1);
        }
        QCOMPARE(ReadAll(old), kEarlierFile);
        QCOMPARE(FolderEntries(dir.filePath("locked")), QStringList{"out.dat"});
        QFile::setPermissions(dir.filePath("locked"), QFileDevice::Permissions(0x7700));
    }

    void anInputIsNeverTheOutput()
    {
        QTemporaryDir dir;
        MakeInputs(dir);
        const QByteArray original = ReadAll(dir.filePath("a.png"));
        QVERIFY(QFile::link(dir.filePath("a.png"), dir.filePath("symlink.png")));
        QVERIFY(MakeHardLink(dir.filePath("a.png"), dir.filePath("hard.png")));
        QDir(dir.path()).mkdir("sub");
        for (const CliSave& save : CliSaves()) {
            for (const char* out : {"a.png", "./sub/../a.png", "symlink.png", "hard.png"}) {
                const CliRun run = RunCli(WithOutput(save.arguments, QString::fromLatin1(out)), dir.path());
                QCOMPARE(run.err, QStringLiteral("Failed to open output file (it is a picture this save reads from). "
                                                 "It was left unchanged.\n"));
                QCOMPARE(run.exitCode, 1);
                QCOMPARE(ReadAll(dir.filePath("a.png")), original);
            }
        }
    }

    void saveBmpOfTheLargestPicturesStaysSmall_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("7000 x 7000") << 7000 << 7000;
        QTest::newRow("8000 x 8000") << 8000 << 8000;
        QTest::newRow("16384 x 3900") << 16384 << 3900;
    }
    void saveBmpOfTheLargestPicturesStaysSmall()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        // The decoded picture alone takes width x height x 4 bytes, up to
        // 256 MB; everything else must stay small beside it. Under
        // AddressSanitizer the shadow memory (an eighth of what is touched)
        // and the allocator's own bookkeeping come on top.
#ifdef __SANITIZE_ADDRESS__
        constexpr qint64 kLimitKb = 450 * 1024;
#else
        constexpr qint64 kLimitKb = 300 * 1024;
#endif
        const QList<QColor> bands{QColor(200, 30, 30), QColor(30, 200, 30), QColor(30, 30, 200), QColor(250, 250, 0)};
        QTemporaryDir dir;
        const QString in = dir.filePath("large.png");
        QVERIFY(WriteBandedPng(in, width, height, bands));
        const QString out = dir.filePath("large.bmp");
        const CliRun run = RunCliWith({"save-bmp", in, out}, CliRunOptions());
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        qInfo("peak memory of save-bmp %dx%d: %lld MB", width, height, run.peakRssKb / 1024);
        QVERIFY2(run.peakRssKb < kLimitKb, qPrintable(QStringLiteral("%1 KB").arg(run.peakRssKb)));

        // The header's size and every band's first and last row, bottom row
        // first.
        const qint64 rowBytes = (qint64(width) * 3 + 3) / 4 * 4;
        QCOMPARE(QFileInfo(out).size(), 54 + rowBytes * height);
        QCOMPARE(qFromLittleEndian<qint32>(BytesAt(out, 18, 4).constData()), width);
        QCOMPARE(qFromLittleEndian<qint32>(BytesAt(out, 22, 4).constData()), height);
        for (int band = 0; band < bands.size(); ++band) {
            const int top = int(qint64(height) * band / bands.size());
            const int bottom = int(qint64(height) * (band + 1) / bands.size()) - 1;
            for (int y : {top, bottom}) {
                const qint64 row = 54 + rowBytes * (height - 1 - y);
                QCOMPARE(BytesAt(out, row, 3), Bgr(bands.at(band)));
                QCOMPARE(BytesAt(out, row + (width - 1) * 3, 3), Bgr(bands.at(band)));
            }
        }
        QFile::remove(out);
    }

    // A save killed at any moment leaves the earlier file or the new one,
    // whole, and nothing else: the file being written has no name until it
    // is put in place (and one left by a kill in the instant it has a name
    // is removed by the next save of that name).
    void aKilledSaveLeavesNothing()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("large.png");
        QVERIFY(WriteBandedPng(in, 5000, 6000, {QColor(200, 30, 30), QColor(30, 30, 200)}));
        const QString out = dir.filePath("out.bmp");
        PutFile(out, kEarlierFile);
        const qint64 fullSize = 54 + 5000 * 3 * 6000;
        // How long a whole save takes, and kills spread over that time.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunCliWith({"save-bmp", in, dir.filePath("timed.bmp")}, CliRunOptions()).exitCode, 0);
        const qint64 saveMs = qMax<qint64>(clock.elapsed(), 50);
        QFile::remove(dir.filePath("timed.bmp"));
        for (int kill = 0; kill < 10; ++kill) {
            QProcess cli;
            cli.start(CliProgram(), {"save-bmp", in, out});
            QVERIFY(cli.waitForStarted());
            QThread::msleep(quint64(saveMs * kill / 10));
            ::kill(pid_t(cli.processId()), SIGKILL);
            QVERIFY(cli.waitForFinished(30000));
            QStringList entries = FolderEntries(dir.path());
            entries.removeAll("large.png");
            // A name had for an instant before the rename may be there.
            entries.removeIf([](const QString& name) { return name.startsWith(".out.bmp."); });
            QCOMPARE(entries, QStringList{"out.bmp"});
            const qint64 size = QFileInfo(out).size();
            QVERIFY2(size == kEarlierFile.size() || size == fullSize, qPrintable(QString::number(size)));
        }
        QCOMPARE(RunCliWith({"save-bmp", in, out}, CliRunOptions()).exitCode, 0);
        QCOMPARE(FolderEntries(dir.path()), (QStringList{"large.png", "out.bmp"}));
        QCOMPARE(QFileInfo(out).size(), fullSize);
    }

    void bandedPicturesDecodeAsDrawn()
    {
        // The test's own PNG maker, on sizes whose rows need every kind of
        // repeat length.
        const QList<QColor> bands{QColor(1, 2, 3), QColor(250, 128, 7), QColor(0, 0, 0)};
        for (const QSize size : {QSize(1, 3), QSize(2, 5), QSize(87, 9), QSize(300, 7)}) {
            const QImage decoded = QImage::fromData(BandedPng(size.width(), size.height(), bands), "png");
            QCOMPARE(decoded.size(), size);
            for (int y = 0; y < size.height(); ++y)
                for (int x : {0, size.width() - 1})
                    QCOMPARE(decoded.pixelColor(x, y), BandColourAt(y, size.height(), bands));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSaves)
#include "tst_cli_saves.moc"
