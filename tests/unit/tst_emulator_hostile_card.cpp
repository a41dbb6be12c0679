// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's card against hostile picture files: Show Bitmap, Show
// Image and Slideshow of damaged, truncated and lying files answer 0x06 or
// 0x0F and never crash; a top-down bitmap is shown as its bottom-up twin.
// The files come from fixed seeds; a failure names the seed and the case.

#include "emulator/Emulator.h"
#include "support/PictureBytes.h"
#include "support/TestBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quennel;
using namespace tavrel::testing;

namespace {

constexpr quint32 kSeed = 4242;
constexpr char kAck = 0x06;
constexpr char kRefused = 0x0F;

struct Card {
    QTemporaryDir root;
    Emulator emulator;

    Card() { emulator.setCardDirectory(root.path()); }
    // A new file each time: emptying an old one makes the file system
    // write it out at once, a hundred times slower.
    void put(const char* name, const QByteArray& bytes)
    {
        const QString path = QDir(root.path()).filePath(QString::fromLatin1(name));
        QFile::remove(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
    }
    QByteArray show(char letter, const char* name, int x = 0, int y = 0)
    {
        return emulator.feed(QByteArray("\x40", 1) + letter + char(x) + char(y) + name + '\0');
    }
    QByteArray slideshow(const char* name)
    {
        return emulator.feed(QByteArray("\x40s\x00\x00\x00\x0A", 6) + name + '\0');
    }
};

QString Why(const QString& name, const QByteArray& reply)
{
    return QStringLiteral("seed %1, case \"%2\": reply %3").arg(kSeed).arg(name, QString::fromLatin1(reply.toHex()));
}

bool AckOrRefusal(const QByteArray& reply)
{
    return reply == QByteArray(1, kAck) || reply == QByteArray(1, kRefused);
}

} // namespace

class TestEmulatorHostileCard : public QObject {
    Q_OBJECT
private slots:
    // Every file of the corpus as a bitmap, then as image data: sound
    // bitmaps are shown, the rest is shown or refused, and nothing breaks
    // the emulator.
    void showBitmapOfEveryHostileFile()
    {
        Card card;
        int shown = 0;
        for (const PictureCase& c : HostilePictureCorpus(kSeed, 6)) {
            card.put("PIC.BMP", c.bytes);
            const QByteArray reply = card.show('B', "PIC.BMP", 90, 60);
            QVERIFY2(AckOrRefusal(reply), qPrintable(Why(c.name, reply)));
            const bool soundBitmap = c.expect == PictureCase::Expect::Picture && c.bytes.startsWith("BM");
            if (soundBitmap)
                QVERIFY2(reply == QByteArray(1, kAck), qPrintable(Why(c.name, reply)));
            // A cut uncompressed bitmap lacks rows: refused, not shown with
            // whatever memory held.
            if (c.expect == PictureCase::Expect::Refused && c.name.startsWith("bmp") && c.name.contains(" cut at ")
                && !c.name.contains("rle"))
                QVERIFY2(reply == QByteArray(1, kRefused), qPrintable(Why(c.name, reply)));
            shown += reply.at(0) == kAck;
            // The same bytes taken for an image data file.
            const QByteArray image = card.show('I', "PIC.BMP", 1, 1);
            QVERIFY2(AckOrRefusal(image), qPrintable(Why(c.name, image)));
        }
        QVERIFY(shown > 20);
    }

    void topDownBitmapsLookLikeBottomUpOnes()
    {
        for (int bits : {1, 4, 8, 16, 24, 32}) {
            BmpOptions shape;
            shape.bitsPerPixel = bits;
            Card card;
            card.put("UP.BMP", MakeBmp(shape));
            shape.topDown = true;
            card.put("DOWN.BMP", MakeBmp(shape));
            QCOMPARE(card.show('B', "UP.BMP", 5, 5), QByteArray(1, kAck));
            const QVector<quint16> bottomUp = card.emulator.frame();
            card.emulator.reset();
            QCOMPARE(card.show('B', "DOWN.BMP", 5, 5), QByteArray(1, kAck));
            QCOMPARE(card.emulator.frame(), bottomUp);
            QVERIFY(card.emulator.pixel(5 + 12, 5 + 6) != 0 || bits == 1);
        }
    }

    // Image data and slideshow files with lying headers, too few pixels,
    // random bytes: shown or refused, never read past their end.
    void imageAndSlideshowFilesWithLyingHeaders()
    {
        Card card;
        Random random(kSeed);
        QVector<QPair<QString, QByteArray>> files;
        files << qMakePair(QStringLiteral("empty"), QByteArray());
        files << qMakePair(QStringLiteral("header only"), Bytes({96, 64, 16}));
        files << qMakePair(QStringLiteral("one pixel short"), Bytes({2, 2, 16}) + QByteArray(7, '\x11'));
        files << qMakePair(QStringLiteral("255x255 at 16 bits, little data"),
                           Bytes({255, 255, 16}) + QByteArray(99, 'a'));
        files << qMakePair(QStringLiteral("depth 24"), Bytes({4, 4, 24}) + QByteArray(48, 'a'));
        files << qMakePair(QStringLiteral("zero width"), Bytes({0, 4, 8}) + QByteArray(8, 'a'));
        files << qMakePair(QStringLiteral("255x255 whole"), Bytes({255, 255, 8}) + QByteArray(255 * 255, '\xE0'));
        for (int i = 0; i < 40; ++i) {
            QByteArray bytes(random.below(300), '\0');
            for (char& b : bytes)
                b = char(random.next());
            if (i % 2 && bytes.size() >= 3)
                bytes[2] = char(i % 4 == 1 ? 8 : 16);
            files << qMakePair(QStringLiteral("random %1").arg(i), bytes);
        }
        for (const auto& [name, bytes] : files) {
            card.put("PIC.DAT", bytes);
            const QByteArray image = card.show('I', "PIC.DAT", 50, 40);
            QVERIFY2(AckOrRefusal(image), qPrintable(Why(name, image)));
            const QByteArray show = card.slideshow("PIC.DAT");
            QVERIFY2(AckOrRefusal(show), qPrintable(Why(name, show)));
            card.emulator.reset();
        }
        card.put("PIC.DAT", Bytes({2, 2, 16}) + QByteArray(7, '\x11'));
        QCOMPARE(card.show('I', "PIC.DAT"), QByteArray(1, kRefused));
        card.put("PIC.DAT", Bytes({255, 255, 8}) + QByteArray(255 * 255, '\xE0'));
        QCOMPARE(card.show('I', "PIC.DAT", 90, 60), QByteArray(1, kAck));
        QCOMPARE(card.emulator.pixel(95, 63), quint16(0xF800));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorHostileCard)
#include "tst_emulator_hostile_card.moc"
