// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator core: framing of the byte stream, resynchronisation after
// errors, and the commands it executes, judged by replies and exact pixels.

#include "support/TestBytes.h"
#include "emulator/CommandFramer.h"
#include "emulator/Emulator.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using quennel::CommandFramer;
using quennel::Emulator;

using tavrel::testing::Bytes;
using tavrel::testing::kInfoReply;
using tavrel::testing::kInfoRequest;

namespace {

const QByteArray kAck = Bytes({0x06});
const QByteArray kError = Bytes({0x0F});

QByteArray setPixel(int x, int y, quint16 c)
{
    return Bytes({0x50, x, y, c >> 8, c & 0xFF});
}

QByteArray text(const char* s, bool terminate = true)
{
    QByteArray out(s);
    if (terminate)
        out += '\0';
    return out;
}

// A mixed stream touching every framing layout, with colours that make the
// frame depend on every command being cut at the right place.
QByteArray mixedStream()
{
    QByteArray s;
    s += setPixel(1, 1, 0xF800);
    s += Bytes({0x73, 0, 0, 0, 0xFF, 0xFF}) + text("HI");
    s += Bytes({0x67, 2, 1, 1, 5, 5, 0x12, 0x34});
    s += Bytes({0x40, 0x77, 3, 0, 0x50, 0});
    s += Bytes({0x49, 10, 10, 2, 2, 16, 0xAA, 0xBB, 0xCC, 0xDD, 0x11, 0x22, 0x33, 0x44});
    s += Bytes({0x24, 0x53, 0, 1});
    s += Bytes({0x42, 0x00, 0x1F}) + Bytes({0x45});
    s += setPixel(2, 2, 0x07E0);
    s += Bytes({0x40, 0x73, 0, 0, 0, 10}) + text("SHOW.DAT");
    s += Bytes({0x49, 90, 60, 3, 3, 8, 0xE0, 0x1C, 0x03, 0xFF, 0x49, 0x00, 0x01, 0x02, 0x03});
    s += Bytes({0x52, 2, 2});
    return s;
}

} // namespace

class TestEmulator : public QObject {
    Q_OBJECT

private slots:
    void lengthRules_data();
    void lengthRules();
    void splitFeedsMatchOneFeed();
    void errorsResynchronise_data();
    void errorsResynchronise();
    void overlongTextsAreRejectedAndSkipped_data();
    void overlongTextsAreRejectedAndSkipped();
    void overlongTextKeepsBufferBounded();
    void setAndReadPixel();
    void clearScreenUsesBackgroundColour();
    void deviceInfo();
    void displayImagePlacesPixels();
    void displayImageClipsAtPanelEdge();
    void frameChangedOnlyOnVisibleChange();
    void displayImageAndSavedFrameUseBitReplication();
    void resetRestoresPowerOnState();
};

// Each well-formed command gives exactly its reply, and only once its last
// byte has arrived; the Get Device Info right after it is still understood.
void TestEmulator::lengthRules_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("set pixel") << setPixel(3, 4, 0x1234) << kAck;
    QTest::newRow("read pixel") << Bytes({0x52, 0, 0}) << Bytes({0, 0});
    QTest::newRow("draw line") << Bytes({0x4C, 0, 0, 95, 63, 0xFF, 0xFF}) << kAck;
    QTest::newRow("rectangle") << Bytes({0x72, 1, 2, 3, 4, 0, 0}) << kAck;
    QTest::newRow("triangle") << Bytes({0x47, 1, 1, 9, 1, 5, 9, 0, 0}) << kAck;
    QTest::newRow("circle") << Bytes({0x43, 48, 32, 10, 0, 0}) << kAck;
    QTest::newRow("polygon 3") << Bytes({0x67, 3, 0, 0, 10, 0, 5, 5, 0, 0}) << kAck;
    QTest::newRow("polygon 0") << Bytes({0x67, 0, 0, 0}) << kAck;
    QTest::newRow("copy area") << Bytes({0x63, 0, 0, 10, 10, 5, 5, 0, 0}) << kAck;
    QTest::newRow("clear screen") << Bytes({0x45}) << kAck;
    QTest::newRow("background") << Bytes({0x42, 0, 0}) << kAck;
    QTest::newRow("pen size") << Bytes({0x70, 1}) << kAck;
    QTest::newRow("set font") << Bytes({0x46, 3}) << kAck;
    QTest::newRow("font mode") << Bytes({0x4F, 0}) << kAck;
    QTest::newRow("char formatted") << Bytes({0x54, 'A', 0, 0, 0, 0}) << kAck;
    QTest::newRow("char free") << Bytes({0x74, 'A', 0, 0, 0, 0}) << kAck;
    // Zeros inside the fixed head must not end the text early.
    QTest::newRow("string formatted") << Bytes({0x73, 0, 0, 0, 0, 0}) + text("AB") << kAck;
    QTest::newRow("string empty") << Bytes({0x73, 1, 2, 0, 0xFF, 0xFF, 0}) << kAck;
    QTest::newRow("string free") << Bytes({0x53, 0, 0, 0, 0, 0, 0, 0}) + text("AB") << kAck;
    QTest::newRow("text button") << Bytes({0x62, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + text("OK") << kAck;
    QTest::newRow("add user char") << Bytes({0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0}) << kAck;
    QTest::newRow("display user char") << Bytes({0x44, 0, 0, 0, 0, 0}) << kAck;
    QTest::newRow("device info") << kInfoRequest << kInfoReply;
    QTest::newRow("oled control") << Bytes({0x59, 0, 0}) << kAck;
    QTest::newRow("rotate") << Bytes({0x24, 0x46, 0}) << kAck;
    QTest::newRow("dim area") << Bytes({0x24, 0x44, 0, 0, 0, 0}) << kAck;
    QTest::newRow("scroll") << Bytes({0x24, 0x53, 0, 0}) << kAck;
    QTest::newRow("controller command") << Bytes({0x24, 0x57, 0}) << kAck;
    QTest::newRow("image 16") << Bytes({0x49, 0, 0, 2, 1, 16, 0, 0, 0, 0}) << kAck;
    QTest::newRow("image 8") << Bytes({0x49, 0, 0, 2, 2, 8, 0, 0, 0, 0}) << kAck;
    QTest::newRow("image empty") << Bytes({0x49, 0, 0, 0, 5, 16}) << kAck;
    QTest::newRow("sd directory") << Bytes({0x40, 0x44, 0}) << Bytes({0x0F, 0});
    QTest::newRow("sd open write") << Bytes({0x40, 0x57}) + text("A.TXT") << kError;
    QTest::newRow("sd open read") << Bytes({0x40, 0x52}) + text("A.TXT") << kError;
    QTest::newRow("sd erase") << Bytes({0x40, 0x45, 0}) << kError;
    QTest::newRow("sd load binary") << Bytes({0x40, 0x4C}) + text("P.BIN") << kError;
    QTest::newRow("sd print screen") << Bytes({0x40, 0x53}) + text("S.BMP") << kError;
    // Counted data may hold zeros and bytes that look like commands.
    QTest::newRow("sd write") << Bytes({0x40, 0x77, 3, 0, 0x50, 0}) << kError;
    QTest::newRow("sd write empty") << Bytes({0x40, 0x77, 0}) << kError;
    QTest::newRow("sd read") << Bytes({0x40, 0x72, 10}) << Bytes({0, 0x0F});
    QTest::newRow("sd close") << Bytes({0x40, 0x43}) << kError;
    QTest::newRow("sd norvel") << Bytes({0x40, 0x46}) << kError;
    QTest::newRow("sd ymodem") << Bytes({0x40, 0x59}) << kError;
    QTest::newRow("sd bitmap") << Bytes({0x40, 0x42, 0, 0}) + text("B.BMP") << kError;
    QTest::newRow("sd image") << Bytes({0x40, 0x49, 0, 0}) + text("I.DAT") << kError;
    QTest::newRow("sd slideshow") << Bytes({0x40, 0x73, 0, 0, 0, 0}) + text("S.DAT") << kError;
}

void TestEmulator::lengthRules()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

    Emulator emulator;
    QCOMPARE(emulator.feed(command.chopped(1)), QByteArray());
    QCOMPARE(emulator.feed(command.right(1) + kInfoRequest), reply + kInfoReply);
}

void TestEmulator::splitFeedsMatchOneFeed()
{
    const QByteArray stream = mixedStream();
    Emulator whole;
    const QByteArray wholeReply = whole.feed(stream);
    QCOMPARE(wholeReply.size(), 13);
    QCOMPARE(wholeReply.right(2), Bytes({0x07, 0xE0}));

    Emulator byteWise;
    QByteArray byteWiseReply;
    for (char b : stream)
        byteWiseReply += byteWise.feed(QByteArray(1, b));
    QCOMPARE(byteWiseReply, wholeReply);
    QCOMPARE(byteWise.frame(), whole.frame());

    for (int cut = 1; cut < stream.size(); ++cut) {
        Emulator split;
        QByteArray reply = split.feed(stream.left(cut));
        reply += split.feed(stream.mid(cut));
        QVERIFY2(reply == wholeReply && split.frame() == whole.frame(), qPrintable(QString::number(cut)));
    }
}

void TestEmulator::errorsResynchronise_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("unknown bytes") << Bytes({0x00, 0xFF, 0x51}) << Bytes({0x0F, 0x0F, 0x0F});
    // The pair is dropped: the letter is not taken for a command of its own.
    QTest::newRow("unknown display letter") << Bytes({0x24, 0x50}) << kError;
    QTest::newRow("unknown sd letter") << Bytes({0x40, 0x5A}) << kError;
    QTest::newRow("image depth 24") << Bytes({0x49, 0, 0, 1, 1, 24}) << kError;
    QTest::newRow("image depth 0") << Bytes({0x49, 0, 0, 0, 0, 0}) << kError;
}

void TestEmulator::errorsResynchronise()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    Emulator emulator;
    QCOMPARE(emulator.feed(input + setPixel(5, 6, 0xABCD)), reply + kAck);
    QCOMPARE(emulator.pixel(5, 6), quint16(0xABCD));

    Emulator byteWise;
    QByteArray byteWiseReply;
    for (char b : input + setPixel(5, 6, 0xABCD))
        byteWiseReply += byteWise.feed(QByteArray(1, b));
    QCOMPARE(byteWiseReply, reply + kAck);
}

void TestEmulator::overlongTextsAreRejectedAndSkipped_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("atLimit");  // the command's own reply

    QTest::newRow("string formatted") << Bytes({0x73, 0, 0, 0, 0, 0}) << CommandFramer::kMaxTextLength << kAck;
    QTest::newRow("string free") << Bytes({0x53, 0, 0, 0, 0, 0, 1, 1}) << CommandFramer::kMaxTextLength << kAck;
    QTest::newRow("text button") << Bytes({0x62, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1}) << CommandFramer::kMaxTextLength
                                 << kAck;
    // Without a card (and with a name that is not 8.3) the card refuses.
    QTest::newRow("sd open write") << Bytes({0x40, 0x57}) << CommandFramer::kMaxNameLength << kError;
    QTest::newRow("sd slideshow") << Bytes({0x40, 0x73, 0, 0, 0, 10}) << CommandFramer::kMaxNameLength << kError;
}

void TestEmulator::overlongTextsAreRejectedAndSkipped()
{
    QFETCH(QByteArray, head);
    QFETCH(int, limit);
    QFETCH(QByteArray, atLimit);

    Emulator emulator;
    QCOMPARE(emulator.feed(head + QByteArray(limit, 'P') + '\0'), atLimit);

    // One byte too many: the error comes at once, before any terminator.
    QCOMPARE(emulator.feed(head + QByteArray(limit + 1, 'P')), kError);
    // The rest of the text, up to its 0, is skipped ('P' would start Set Pixel).
    QCOMPARE(emulator.feed(QByteArray(50, 'P')), QByteArray());
    QCOMPARE(emulator.feed(QByteArray("PP", 2) + '\0' + setPixel(7, 8, 0x0102)), kAck);
    QCOMPARE(emulator.pixel(7, 8), quint16(0x0102));
}

void TestEmulator::overlongTextKeepsBufferBounded()
{
    CommandFramer framer;
    framer.append(Bytes({0x73, 0, 0, 0, 0, 0}));
    int errors = 0;
    for (int i = 0; i < 1000; ++i) {
        framer.append(QByteArray(100, 'x'));
        for (auto step = framer.next(); step.outcome != CommandFramer::Outcome::NeedMore; step = framer.next()) {
            QCOMPARE(step.outcome, CommandFramer::Outcome::Error);
            ++errors;
        }
        QVERIFY(framer.bufferedBytes() <= CommandFramer::kMaxTextLength + 6);
    }
    QCOMPARE(errors, 1);
}

void TestEmulator::setAndReadPixel()
{
    Emulator emulator;
    QCOMPARE(emulator.feed(setPixel(95, 63, 0x1234)), kAck);
    QCOMPARE(emulator.feed(Bytes({0x52, 95, 63})), Bytes({0x12, 0x34}));
    QCOMPARE(emulator.pixel(95, 63), quint16(0x1234));
    QCOMPARE(emulator.frame().at(63 * 96 + 95), quint16(0x1234));

    const QVector<quint16> before = emulator.frame();
    QCOMPARE(emulator.feed(setPixel(96, 0, 0xFFFF)), kError);
    QCOMPARE(emulator.feed(setPixel(0, 64, 0xFFFF)), kError);
    QCOMPARE(emulator.frame(), before);

    // Off the panel, Read Pixel answers a single error byte.
    QCOMPARE(emulator.feed(Bytes({0x52, 96, 0})), kError);
    QCOMPARE(emulator.feed(Bytes({0x52, 0, 64})), kError);
}

void TestEmulator::clearScreenUsesBackgroundColour()
{
    Emulator emulator;
    emulator.feed(setPixel(10, 10, 0xFFFF));
    QCOMPARE(emulator.feed(Bytes({0x45})), kAck);
    QCOMPARE(emulator.pixel(10, 10), quint16(0x0000));

    QCOMPARE(emulator.feed(Bytes({0x42, 0x07, 0xE0})), kAck);
    QCOMPARE(emulator.backgroundColour(), quint16(0x07E0));
    QCOMPARE(emulator.pixel(0, 0), quint16(0x0000)); // only stored, not drawn
    emulator.feed(Bytes({0x45}));
    QCOMPARE(emulator.frame(), QVector<quint16>(96 * 64, 0x07E0));
}

void TestEmulator::deviceInfo()
{
    Emulator emulator;
    QCOMPARE(emulator.feed(Bytes({0x56, 0x01})), kInfoReply);
}

void TestEmulator::displayImagePlacesPixels()
{
    Emulator emulator;
    QCOMPARE(emulator.feed(Bytes({0x49, 10, 20, 2, 2, 16, 0xF8, 0x00, 0x07, 0xE0, 0x00, 0x1F, 0xFF, 0xFF})), kAck);
    QCOMPARE(emulator.pixel(10, 20), quint16(0xF800));
    QCOMPARE(emulator.pixel(11, 20), quint16(0x07E0));
    QCOMPARE(emulator.pixel(10, 21), quint16(0x001F));
    QCOMPARE(emulator.pixel(11, 21), quint16(0xFFFF));
    QCOMPARE(emulator.pixel(12, 20), quint16(0));
    QCOMPARE(emulator.pixel(10, 22), quint16(0));

    // RGB332 widened by bit replication: 0x49 is red 2, green 2, blue 1.
    QCOMPARE(emulator.feed(Bytes({0x49, 0, 0, 6, 1, 8, 0xE0, 0x1C, 0x03, 0xFF, 0x00, 0x49})), kAck);
    QCOMPARE(emulator.pixel(0, 0), quint16(0xF800));
    QCOMPARE(emulator.pixel(1, 0), quint16(0x07E0));
    QCOMPARE(emulator.pixel(2, 0), quint16(0x001F));
    QCOMPARE(emulator.pixel(3, 0), quint16(0xFFFF));
    QCOMPARE(emulator.pixel(4, 0), quint16(0x0000));
    QCOMPARE(emulator.pixel(5, 0), quint16((9 << 11) | (18 << 5) | 10));
}

void TestEmulator::displayImageClipsAtPanelEdge()
{
    Emulator emulator;
    // 3 x 2 at (94, 62): the right column and nothing else falls off.
    QByteArray image = Bytes({0x49, 94, 62, 3, 2, 16});
    for (int i = 1; i <= 6; ++i)
        image += Bytes({0x10, i});
    QCOMPARE(emulator.feed(image + setPixel(0, 0, 0x0707)), kAck + kAck);
    QCOMPARE(emulator.pixel(94, 62), quint16(0x1001));
    QCOMPARE(emulator.pixel(95, 62), quint16(0x1002));
    QCOMPARE(emulator.pixel(94, 63), quint16(0x1004));
    QCOMPARE(emulator.pixel(95, 63), quint16(0x1005));
    // Clipped pixels do not wrap onto the next row.
    QCOMPARE(emulator.pixel(0, 63), quint16(0));
    QCOMPARE(emulator.pixel(0, 0), quint16(0x0707));

    // A 96 x 64 picture at (95, 63) leaves one pixel on the panel.
    Emulator corner;
    QByteArray full = Bytes({0x49, 95, 63, 96, 64, 8});
    full += QByteArray(96 * 64, char(0xFF));
    QCOMPARE(corner.feed(full), kAck);
    QCOMPARE(corner.pixel(95, 63), quint16(0xFFFF));
    QCOMPARE(std::count(corner.frame().cbegin(), corner.frame().cend(), quint16(0xFFFF)), 1);
}

void TestEmulator::frameChangedOnlyOnVisibleChange()
{
    Emulator emulator;
    QSignalSpy spy(&emulator, &Emulator::frameChanged);

    emulator.feed(setPixel(1, 1, 0xFFFF) + setPixel(2, 2, 0xFFFF));
    QCOMPARE(spy.count(), 1);
    emulator.feed(setPixel(1, 1, 0xFFFF)); // same colour again
    emulator.feed(Bytes({0x52, 1, 1}) + kInfoRequest + Bytes({0x42, 0xF8, 0x00}));
    emulator.feed(setPixel(99, 0, 0x1234)); // off the panel
    emulator.feed(Bytes({0x49, 1, 1})); // partial command
    QCOMPARE(spy.count(), 1);
    emulator.feed(Bytes({1, 1, 16, 0x12, 0x34}));
    QCOMPARE(spy.count(), 2);
    emulator.feed(Bytes({0x45}));
    QCOMPARE(spy.count(), 3);
    emulator.feed(Bytes({0x45})); // already cleared to this colour
    QCOMPARE(spy.count(), 3);
}

void TestEmulator::displayImageAndSavedFrameUseBitReplication()
{
    Emulator emulator;
    emulator.feed(setPixel(0, 0, 0x8410) + setPixel(95, 63, 0xFFFF) + setPixel(1, 0, 0x0821));

    const QImage image = emulator.displayImage();
    QCOMPARE(image.size(), QSize(96, 64));
    QCOMPARE(image.pixel(0, 0), qRgb(132, 130, 132));
    QCOMPARE(image.pixel(1, 0), qRgb(8, 4, 8));
    QCOMPARE(image.pixel(95, 63), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 0));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("frame.png"));
    QVERIFY(emulator.saveFrame(path));
    const QImage saved(path);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB888), image);

    QString error;
    QVERIFY(!emulator.saveFrame(dir.filePath(QStringLiteral("missing/frame.png")), &error));
    QVERIFY(!error.isEmpty());
}

void TestEmulator::resetRestoresPowerOnState()
{
    Emulator emulator;
    QSignalSpy spy(&emulator, &Emulator::frameChanged);
    emulator.setCardDirectory(QStringLiteral("/tmp/card"));
    emulator.reset();
    QCOMPARE(spy.count(), 0); // already black

    emulator.feed(Bytes({0x42, 0xFF, 0xFF, 0x45}) + Bytes({0x50, 1})); // ends mid-command
    QCOMPARE(spy.count(), 1);
    emulator.reset();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(emulator.frame(), QVector<quint16>(96 * 64, 0));
    QCOMPARE(emulator.backgroundColour(), quint16(0));
    QCOMPARE(emulator.cardDirectory(), QStringLiteral("/tmp/card"));
    // The partial Set Pixel was forgotten: these bytes are a command of their own.
    QCOMPARE(emulator.feed(kInfoRequest), kInfoReply);
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
