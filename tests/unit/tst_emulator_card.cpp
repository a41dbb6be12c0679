// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's SD card: a folder that names from the line can never leave,
// files written, read back and erased, the listing, the card's size, bitmaps
// of every common depth, image data files, slideshows and Print Screen.

#include "emulator/CardFolder.h"
#include "emulator/CardPictures.h"
#include "emulator/Emulator.h"
#include "support/HostileSaveTargets.h"
#include "support/TestBytes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace quennel;
using tavrel::testing::Bytes;
using tavrel::testing::kNoSymbolicLinks;
using tavrel::testing::MakeSymbolicLink;

namespace {

constexpr quint16 kRed = 0xF800;
constexpr quint16 kGreen = 0x07E0;
constexpr quint16 kBlue = 0x001F;
constexpr quint16 kWhite = 0xFFFF;

QByteArray Name(const char* name)
{
    return QByteArray(name) + '\0';
}

QByteArray Cmd(char letter, const QByteArray& rest = QByteArray())
{
    return QByteArray(1, '\x40') + letter + rest;
}

void WriteFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(contents), qint64(contents.size()));
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Everything below a folder, with contents, so that "nothing changed" can be
// checked in one comparison.
QStringList Snapshot(const QString& root)
{
    QStringList entries;
    QDir dir(root);
    const QFileInfoList infos =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos) {
        if (info.isDir() && !info.isSymLink())
            entries << info.fileName() + "/" << Snapshot(info.filePath()).replaceInStrings(QRegularExpression("^"),
                                                                                          info.fileName() + "/");
        else
            entries << info.fileName() + "=" + QString::fromLatin1(ReadFile(info.filePath()).toHex());
    }
    return entries;
}

// A Windows bitmap of w x h pixels (row-major, top row first) at the given
// depth. Depths up to 8 use a palette of the distinct colours; 16 is X1R5G5B5.
QByteArray MakeBmp(int w, int h, int bpp, bool topDown, const QVector<QRgb>& pixels)
{
    QVector<QRgb> palette;
    if (bpp <= 8)
        for (QRgb c : pixels)
            if (!palette.contains(c))
                palette << c;
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int paletteBytes = palette.size() * 4;
    const int offset = 14 + 40 + paletteBytes;
    QByteArray out(offset + stride * h, '\0');
    auto le16 = [&](int at, int v) { qToLittleEndian(quint16(v), out.data() + at); };
    auto le32 = [&](int at, qint32 v) { qToLittleEndian(v, out.data() + at); };
    out[0] = 'B';
    out[1] = 'M';
    le32(2, out.size());
    le32(10, offset);
    le32(14, 40);
    le32(18, w);
    le32(22, topDown ? -h : h);
    le16(26, 1);
    le16(28, bpp);
    le32(34, stride * h);
    le32(46, palette.size());
    for (int i = 0; i < palette.size(); ++i) {
        out[54 + i * 4] = char(qBlue(palette[i]));
        out[54 + i * 4 + 1] = char(qGreen(palette[i]));
        out[54 + i * 4 + 2] = char(qRed(palette[i]));
    }
    for (int y = 0; y < h; ++y) {
        uchar* row = reinterpret_cast<uchar*>(out.data()) + offset + (topDown ? y : h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const QRgb c = pixels[y * w + x];
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                const int index = palette.indexOf(c);
                const int bit = x * bpp;
                row[bit / 8] |= uchar(index << (8 - bpp - bit % 8));
                break;
            }
            case 16:
                qToLittleEndian(quint16(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)), row + x * 2);
                break;
            case 24:
                row[x * 3] = uchar(qBlue(c));
                row[x * 3 + 1] = uchar(qGreen(c));
                row[x * 3 + 2] = uchar(qRed(c));
                break;
            case 32:
                qToLittleEndian(quint32(c), row + x * 4);
                break;
            }
        }
    }
    return out;
}

struct Card {
    QTemporaryDir root;
    QString path = root.filePath("card");
    Emulator emulator;

    Card()
    {
        QDir().mkpath(path);
        emulator.setCardDirectory(path);
    }
    QString file(const char* name) const { return QDir(path).filePath(QString::fromLatin1(name)); }
    QByteArray send(const QByteArray& bytes) { return emulator.feed(bytes); }
};

} // namespace

class TestEmulatorCard : public QObject {
    Q_OBJECT
private slots:
    void plainNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("plain");
        QTest::newRow("one letter") << QByteArray("A") << true;
        QTest::newRow("8.3") << QByteArray("ABCDEFGH.XYZ") << true;
        QTest::newRow("lower case and punctuation") << QByteArray("a~1_$(x).t-t") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("dot dot") << QByteArray("..") << false;
        QTest::newRow("parent path") << QByteArray("../A.TXT") << false;
        QTest::newRow("nine before the point") << QByteArray("ABCDEFGHI.TX") << false;
        QTest::newRow("four after the point") << QByteArray("A.TEXT") << false;
        QTest::newRow("trailing point") << QByteArray("A.") << false;
        QTest::newRow("blank") << QByteArray("A B.TXT") << false;
        QTest::newRow("wildcard") << QByteArray("*.TXT") << false;
        QTest::newRow("device with extension") << QByteArray("nul.txt") << false;
        QTest::newRow("serial device") << QByteArray("COM1.TXT") << false;
        QTest::newRow("eight bits") << QByteArray("\xE9.TXT") << false;
    }
    void plainNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, plain);
        QCOMPARE(isPlainCardName(name), plain);
    }

    void hostileNamesOnTheLineTouchNothing()
    {
        Card card;
        WriteFile(card.root.filePath("SECRET.TXT"), "outside");
        WriteFile(card.file("A.TXT"), "inside");
        QDir(card.path).mkdir("SUB");
        WriteFile(card.file("SUB/X.TXT"), "in a folder");
        const bool linked = MakeSymbolicLink(card.root.filePath("SECRET.TXT"), card.file("LINK.TXT"));
        const QStringList before = Snapshot(card.root.path());

        QList<const char*> hostile = {"../SECRET.TXT", "..\\SECRET.TXT", "..", ".", "", "/tmp/X.TXT",
                                      "C:X.TXT",       "SUB/X.TXT",      "SUB", "CON", "A B",
                                      "A\x1b.TXT",     "TOOLONGNAME.TXT"};
        if (linked)
            hostile << "LINK.TXT";
        for (const char* name : hostile) {
            const QByteArray n = Name(name);
            for (char letter : {'W', 'R', 'E', 'S', 'L'})
                QCOMPARE(card.send(Cmd(letter, n)), Bytes({0x0F}));
            QCOMPARE(card.send(Cmd('B', Bytes({0, 0}) + n)), Bytes({0x0F}));
            QCOMPARE(card.send(Cmd('I', Bytes({0, 0}) + n)), Bytes({0x0F}));
            QCOMPARE(card.send(Cmd('s', Bytes({0, 0, 0, 10}) + n)), Bytes({0x0F}));
            // Nothing is open afterwards, so nothing can be written.
            QCOMPARE(card.send(Cmd('w', Bytes({1, 'x'}))), Bytes({0x0F}));
        }
        QCOMPARE(Snapshot(card.root.path()), before);
        if (!linked)
            QSKIP(kNoSymbolicLinks);
    }

    void namesMatchInAnyLetterCase()
    {
        Card card;
        WriteFile(card.file("Mixed.Txt"), "abc");
        QCOMPARE(card.send(Cmd('R', Name("MIXED.TXT"))), Bytes({6}));
        QCOMPARE(card.send(Cmd('r', Bytes({3}))), QByteArray("abc") + Bytes({6}));
        // Writing to it replaces that file instead of adding a second one.
        QCOMPARE(card.send(Cmd('W', Name("mixed.txt"))), Bytes({6}));
        QCOMPARE(QDir(card.path).entryList(QDir::Files), QStringList{"Mixed.Txt"});
        QCOMPARE(ReadFile(card.file("Mixed.Txt")), QByteArray());
    }

    void writeReadBackAndErase()
    {
        Card card;
        QCOMPARE(card.send(Cmd('W', Name("note.txt"))), Bytes({6}));
        QCOMPARE(card.send(Cmd('w', Bytes({5}) + "Hello")), Bytes({6}));
        QCOMPARE(card.send(Cmd('w', Bytes({6}) + " world")), Bytes({6}));
        QCOMPARE(card.send(Cmd('C')), Bytes({6}));
        QCOMPARE(card.send(Cmd('C')), Bytes({0x0F}));
        QCOMPARE(ReadFile(card.file("NOTE.TXT")), QByteArray("Hello world"));

        QCOMPARE(card.send(Cmd('R', Name("NOTE.TXT"))), Bytes({6}));
        // Exactly the count: the data, then the acknowledgement, no 0.
        QCOMPARE(card.send(Cmd('r', Bytes({5}))), QByteArray("Hello") + Bytes({6}));
        // The file ends before the count: a 0 takes the place of the rest.
        QCOMPARE(card.send(Cmd('r', Bytes({255}))), QByteArray(" world") + Bytes({0, 6}));
        QCOMPARE(card.send(Cmd('r', Bytes({3}))), Bytes({0, 6}));
        QCOMPARE(card.send(Cmd('r', Bytes({0}))), Bytes({6}));
        // Writing needs a file open for writing.
        QCOMPARE(card.send(Cmd('w', Bytes({1}) + "x")), Bytes({0x0F}));

        QCOMPARE(card.send(Cmd('E', Name("Note.Txt"))), Bytes({6}));
        QVERIFY(!QFile::exists(card.file("NOTE.TXT")));
        // Erasing the open file closed it.
        QCOMPARE(card.send(Cmd('r', Bytes({1}))), Bytes({0, 0x0F}));
        QCOMPARE(card.send(Cmd('E', Name("NOTE.TXT"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('R', Name("NOTE.TXT"))), Bytes({0x0F}));
    }

    void aZeroInTheFileEndsTheDataThere()
    {
        Card card;
        WriteFile(card.file("BIN.DAT"), Bytes({'A', 0, 'B'}));
        card.send(Cmd('R', Name("BIN.DAT")));
        QCOMPARE(card.send(Cmd('r', Bytes({10}))), Bytes({'A', 0, 6}));
        QCOMPARE(card.send(Cmd('r', Bytes({10}))), Bytes({'B', 0, 6}));
    }

    void theCardHasASize()
    {
        Card card;
        QFile big(card.file("BIG.DAT"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(kCardCapacityBytes - 3));
        big.close();
        QCOMPARE(card.send(Cmd('W', Name("N.TXT"))), Bytes({6}));
        QCOMPARE(card.send(Cmd('w', Bytes({4}) + "full")), Bytes({0x0F}));
        QCOMPARE(QFileInfo(card.file("N.TXT")).size(), qint64(0));
        QCOMPARE(card.send(Cmd('w', Bytes({3}) + "fit")), Bytes({6}));
        QCOMPARE(card.send(Cmd('w', Bytes({1}) + "!")), Bytes({0x0F}));
        // A screen shot does not fit either.
        QCOMPARE(card.send(Cmd('S', Name("SHOT.BMP"))), Bytes({0x0F}));
        QVERIFY(!QFile::exists(card.file("SHOT.BMP")));
    }

    void theCardHoldsAtMost512Files()
    {
        Card card;
        for (int i = 0; i < kCardMaxEntries; ++i)
            WriteFile(card.file(QByteArray("F" + QByteArray::number(i) + ".TXT").constData()), QByteArray());
        QCOMPARE(card.send(Cmd('W', Name("NEW.TXT"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('S', Name("NEW.BMP"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('W', Name("F7.TXT"))), Bytes({6}));
        QCOMPARE(QDir(card.path).entryList(QDir::Files).size(), kCardMaxEntries);
    }

    void listingShowsThePlainFilesSorted()
    {
        Card card;
        WriteFile(card.file("b.bmp"), "123456789");
        WriteFile(card.file("A.TXT"), "12345");
        WriteFile(card.file("long name.text"), "not 8.3");
        QDir(card.path).mkdir("SUB");
        QCOMPARE(card.send(Bytes({0x40, 'D', 0})), QByteArray("A.TXT         5\r\nB.BMP         9\r\n") + Bytes({0}));
    }

    void missingFolderIsMadeOnDemand()
    {
        Card card;
        const QString deeper = card.root.filePath("not/yet/there");
        card.emulator.setCardDirectory(deeper);
        QCOMPARE(card.send(Cmd('W', Name("X.TXT"))), Bytes({6}));
        QVERIFY(QFile::exists(deeper + "/X.TXT"));
    }

    void withoutACardEveryCardCommandFails()
    {
        Emulator emulator;
        QCOMPARE(emulator.feed(Bytes({0x40, 'D', 0})), Bytes({0x0F, 0}));
        QCOMPARE(emulator.feed(Cmd('r', Bytes({4}))), Bytes({0, 0x0F}));
        const QByteArray others[] = {Cmd('W', Name("A")), Cmd('R', Name("A")),       Cmd('w', Bytes({1, 'x'})),
                                     Cmd('C'),            Cmd('E', Name("A")),       Cmd('B', Bytes({0, 0}) + Name("A")),
                                     Cmd('I', Bytes({0, 0}) + Name("A")),            Cmd('S', Name("A")),
                                     Cmd('s', Bytes({0, 0, 0, 1}) + Name("A")),      Cmd('L', Name("A")),
                                     Cmd('F'),            Cmd('Y')};
        for (const QByteArray& command : others)
            QCOMPARE(emulator.feed(command), Bytes({0x0F}));
    }

    void programsAreAcknowledgedAsAModuleWithoutThemWould()
    {
        Card card;
        WriteFile(card.file("RUN.BIN"), "program");
        QCOMPARE(card.send(Cmd('L', Name("run.bin"))), Bytes({6}));
        QCOMPARE(card.send(Cmd('L', Name("NONE.BIN"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('F')), Bytes({6}));
        QCOMPARE(card.send(Cmd('Y')), Bytes({6}));
    }

    void bitmapsOfEveryCommonDepth_data()
    {
        QTest::addColumn<int>("bpp");
        QTest::addColumn<bool>("topDown");
        QTest::newRow("1 bit") << 1 << false;
        QTest::newRow("4 bits") << 4 << false;
        QTest::newRow("8 bits") << 8 << false;
        QTest::newRow("16 bits") << 16 << false;
        QTest::newRow("24 bits") << 24 << false;
        QTest::newRow("24 bits top-down") << 24 << true;
        QTest::newRow("32 bits") << 32 << false;
        QTest::newRow("32 bits top-down") << 32 << true;
    }
    void bitmapsOfEveryCommonDepth()
    {
        QFETCH(int, bpp);
        QFETCH(bool, topDown);
        // Two colours for one bit per pixel, four otherwise.
        const QRgb a = qRgb(255, 0, 0);
        const QRgb b = bpp == 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 255);
        const QRgb c = bpp == 1 ? qRgb(255, 0, 0) : qRgb(0, 255, 0);
        const QRgb d = qRgb(255, 255, 255);
        Card card;
        WriteFile(card.file("PIC.BMP"), MakeBmp(3, 2, bpp, topDown, {a, b, c, d, a, b}));
        QCOMPARE(card.send(Cmd('B', Bytes({10, 20}) + Name("pic.bmp"))), Bytes({6}));
        // Five bits of green (X1R5G5B5) come back as 248, one step short of
        // full green in six bits.
        const quint16 green = bpp == 16 ? 0x07C0 : kGreen;
        const quint16 white = bpp == 16 ? 0xFFDF : kWhite;
        const quint16 expected[] = {kRed, bpp == 1 ? kWhite : kBlue, bpp == 1 ? kRed : green, white, kRed,
                                    bpp == 1 ? kWhite : kBlue};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(card.emulator.pixel(10 + x, 20 + y), expected[y * 3 + x]);
        QCOMPARE(card.emulator.pixel(13, 20), quint16(0));
        QCOMPARE(card.emulator.pixel(10, 22), quint16(0));
    }

    void bitmapsAreClippedAtTheEdges()
    {
        Card card;
        const QRgb r = qRgb(255, 0, 0);
        WriteFile(card.file("BIG.BMP"), MakeBmp(200, 100, 24, false, QVector<QRgb>(200 * 100, r)));
        const QVector<quint16> blank = card.emulator.frame();
        QCOMPARE(card.send(Cmd('B', Bytes({94, 62}) + Name("BIG.BMP"))), Bytes({6}));
        int lit = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                lit += card.emulator.pixel(x, y) == kRed;
        QCOMPARE(lit, 4);
        QCOMPARE(card.emulator.pixel(95, 63), kRed);
        // Entirely off the panel: drawn nowhere, still acknowledged.
        card.emulator.reset();
        QCOMPARE(card.send(Cmd('B', Bytes({200, 200}) + Name("BIG.BMP"))), Bytes({6}));
        QCOMPARE(card.emulator.frame(), blank);
    }

    void badBitmapsAreRefused()
    {
        Card card;
        WriteFile(card.file("JUNK.BMP"), QByteArray(300, 'x'));
        QByteArray huge = MakeBmp(1, 1, 24, false, {qRgb(1, 2, 3)});
        qToLittleEndian(qint32(100000), huge.data() + 18);
        qToLittleEndian(qint32(100000), huge.data() + 22);
        WriteFile(card.file("HUGE.BMP"), huge);
        WriteFile(card.file("PIC.PNG"), QByteArray::fromHex("89504e470d0a1a0a"));
        QCOMPARE(card.send(Cmd('B', Bytes({0, 0}) + Name("JUNK.BMP"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('B', Bytes({0, 0}) + Name("HUGE.BMP"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('B', Bytes({0, 0}) + Name("PIC.PNG"))), Bytes({0x0F}));
        QCOMPARE(card.send(Cmd('B', Bytes({0, 0}) + Name("NONE.BMP"))), Bytes({0x0F}));
    }

    void imageDataFiles()
    {
        Card card;
        // Red then blue at 16 bits, low byte first in the file.
        WriteFile(card.file("RB16.DAT"), Bytes({2, 1, 16, 0x00, 0xF8, 0x1F, 0x00}));
        // Red, green, blue, white at 8 bits (RGB332).
        WriteFile(card.file("RGBW8.DAT"), Bytes({2, 2, 8, 0xE0, 0x1C, 0x03, 0xFF}));
        WriteFile(card.file("SHORT.DAT"), Bytes({2, 1, 16, 0x00, 0xF8, 0x1F}));
        WriteFile(card.file("DEPTH.DAT"), Bytes({1, 1, 12, 0, 0}));
        WriteFile(card.file("EMPTY.DAT"), Bytes({0, 1, 8}));
        QCOMPARE(card.send(Cmd('I', Bytes({5, 6}) + Name("RB16.DAT"))), Bytes({6}));
        QCOMPARE(card.emulator.pixel(5, 6), kRed);
        QCOMPARE(card.emulator.pixel(6, 6), kBlue);
        QCOMPARE(card.send(Cmd('I', Bytes({94, 0}) + Name("RGBW8.DAT"))), Bytes({6}));
        QCOMPARE(card.emulator.pixel(94, 0), kRed);
        QCOMPARE(card.emulator.pixel(95, 0), kGreen);
        QCOMPARE(card.emulator.pixel(94, 1), kBlue);
        QCOMPARE(card.emulator.pixel(95, 1), kWhite);
        for (const char* bad : {"SHORT.DAT", "DEPTH.DAT", "EMPTY.DAT", "NONE.DAT"})
            QCOMPARE(card.send(Cmd('I', Bytes({0, 0}) + Name(bad))), Bytes({0x0F}));
    }

    void slideshowPlaysItsFramesInTheBackground()
    {
        Card card;
        // 1 x 1 at 16 bits: red, green, blue, and a partial fourth frame.
        WriteFile(card.file("SHOW.DAT"), Bytes({1, 1, 16, 0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF}));
        QSignalSpy changed(&card.emulator, &Emulator::frameChanged);
        // Delay 20 ms, shown at (7, 8).
        QCOMPARE(card.send(Cmd('s', Bytes({7, 8, 0, 20}) + Name("show.dat"))), Bytes({6}));
        QCOMPARE(card.emulator.pixel(7, 8), kRed);
        QTRY_COMPARE_WITH_TIMEOUT(card.emulator.pixel(7, 8), kBlue, 10000);
        // Each background frame was announced.
        QTRY_VERIFY(changed.count() >= 3);
        // It stopped at the last whole frame.
        QTest::qWait(100);
        QCOMPARE(card.emulator.pixel(7, 8), kBlue);
    }

    void resetStopsASlideshow()
    {
        Card card;
        WriteFile(card.file("SHOW.DAT"), Bytes({1, 1, 8, 0xE0, 0x1C, 0x03}));
        QCOMPARE(card.send(Cmd('s', Bytes({0, 0, 0, 30}) + Name("SHOW.DAT"))), Bytes({6}));
        card.emulator.reset();
        QTest::qWait(150);
        QCOMPARE(card.emulator.pixel(0, 0), quint16(0));
    }

    void slideshowWithoutAWholeFrameIsRefused()
    {
        Card card;
        WriteFile(card.file("PART.DAT"), Bytes({2, 2, 16, 1, 2, 3}));
        QCOMPARE(card.send(Cmd('s', Bytes({0, 0, 0, 10}) + Name("PART.DAT"))), Bytes({0x0F}));
    }

    void printScreenWritesWhatTheDisplayShows()
    {
        Card card;
        // A few pixels in distinct colours, one in each corner.
        card.send(Bytes({0x50, 0, 0, 0xF8, 0x00}) + Bytes({0x50, 95, 0, 0x07, 0xE0}) + Bytes({0x50, 0, 63, 0x00, 0x1F})
                  + Bytes({0x50, 95, 63, 0x9B, 0x26}) + Bytes({0x50, 40, 30, 0xFF, 0xFF}));
        QCOMPARE(card.send(Cmd('S', Name("shot.bmp"))), Bytes({6}));
        const QByteArray bmp = ReadFile(card.file("SHOT.BMP"));
        QCOMPARE(bmp.size(), 54 + 96 * 64 * 3);
        QCOMPARE(bmp.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(bmp.constData() + 28), quint16(24));
        QImage shot;
        QVERIFY(shot.loadFromData(bmp, "BMP"));
        QCOMPARE(shot.size(), QSize(96, 64));
        const QImage glass = card.emulator.displayImage();
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                QCOMPARE(shot.pixel(x, y), glass.pixel(x, y));
        QCOMPARE(QColor(shot.pixel(0, 0)), QColor(255, 0, 0));
        QCOMPARE(QColor(shot.pixel(0, 63)), QColor(0, 0, 255));
        // A second shot under the same name in another case replaces it.
        QCOMPARE(card.send(Cmd('S', Name("SHOT.bmp"))), Bytes({6}));
        QCOMPARE(QDir(card.path).entryList(QDir::Files), QStringList{"SHOT.BMP"});
    }

};

QTEST_GUILESS_MAIN(TestEmulatorCard)
#include "tst_emulator_card.moc"
