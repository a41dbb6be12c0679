// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's display-control commands: what the glass (displayImage())
// shows under display on/off, power, contrast, controller display modes,
// dimming and scrolling, while the RAM (frame()) keeps its pixels; when
// frameChanged() is emitted; and Get Device Info printing on the display.

#include "support/FramePattern.h"
#include "support/TestBytes.h"
#include "emulator/Emulator.h"
#include "emulator/FrameBuffer.h"

#include <QSignalSpy>
#include <QtTest>

using quennel::Emulator;
using namespace tavrel::testing;

namespace {

const QByteArray kAck = Bytes({0x06});
const QByteArray kError = Bytes({0x0F});

QByteArray setPixel(int x, int y, quint16 c)
{
    return Bytes({0x50, x, y, c >> 8, c & 0xFF});
}

QByteArray oled(int function, int value)
{
    return Bytes({0x59, function, value});
}

QByteArray controller(int command)
{
    return Bytes({0x24, 0x57, command});
}

QByteArray scroll(int sub, int value)
{
    return Bytes({0x24, 0x53, sub, value});
}

QByteArray dim(int x, int y, int w, int h)
{
    return Bytes({0x24, 0x44, x, y, w, h});
}

QRgb glassAt(const Emulator& e, int x, int y)
{
    return e.displayImage().pixel(x, y) | 0xFF000000u;
}

bool glassIsBlack(const Emulator& e)
{
    const QImage image = e.displayImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                return false;
    return true;
}

// A module with a white pixel at (1, 1) and a red one at (2, 1).
void drawSample(Emulator& e)
{
    e.feed(setPixel(1, 1, 0xFFFF) + setPixel(2, 1, 0xF800));
}

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

} // namespace

class TestEmulatorDisplay : public QObject {
    Q_OBJECT

private slots:
    void displayOffKeepsRam_data();
    void displayOffKeepsRam();
    void powerOffStillDraws();
    void contrastScalesBrightness();
    void controllerDisplayModes();
    void dimWindow();
    void scrollStep();
    void scrollAreaAndSettings();
    void scrollTimerRunsWhileEnabled();
    void frameChangedOnlyWhenTheGlassChanges();
    void deviceInfoOnTheDisplay();
    void unknownFunctionsAreRefused();
    void resetRestoresTheGlass();
};

void TestEmulatorDisplay::displayOffKeepsRam_data()
{
    QTest::addColumn<QByteArray>("off");
    QTest::addColumn<QByteArray>("on");

    QTest::newRow("oled control") << oled(0, 0) << oled(0, 1);
    QTest::newRow("controller AE/AF") << controller(0xAE) << controller(0xAF);
}

void TestEmulatorDisplay::displayOffKeepsRam()
{
    QFETCH(QByteArray, off);
    QFETCH(QByteArray, on);

    Emulator emulator;
    drawSample(emulator);
    const QImage shown = emulator.displayImage();
    QSignalSpy spy(&emulator, &Emulator::frameChanged);

    QCOMPARE(emulator.feed(off), kAck);
    QCOMPARE(spy.count(), 1);
    QVERIFY(glassIsBlack(emulator));
    QCOMPARE(emulator.pixel(1, 1), quint16(0xFFFF));

    QCOMPARE(emulator.feed(on), kAck);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(emulator.displayImage(), shown);
}

void TestEmulatorDisplay::powerOffStillDraws()
{
    Emulator emulator;
    QCOMPARE(emulator.feed(oled(2, 0) + setPixel(5, 5, 0xFFFF)), kAck + kAck);
    QVERIFY(glassIsBlack(emulator));
    QCOMPARE(emulator.pixel(5, 5), quint16(0xFFFF));
    QCOMPARE(emulator.feed(Bytes({0x52, 5, 5})), Bytes({0xFF, 0xFF}));

    // Display on does not light a module whose power is off.
    QCOMPARE(emulator.feed(oled(0, 1)), kAck);
    QVERIFY(glassIsBlack(emulator));
    QCOMPARE(emulator.feed(oled(2, 1)), kAck);
    QCOMPARE(glassAt(emulator, 5, 5), kWhite);
}

void TestEmulatorDisplay::contrastScalesBrightness()
{
    Emulator emulator;
    drawSample(emulator);
    QCOMPARE(emulator.feed(oled(1, 7)), kAck);
    QCOMPARE(glassAt(emulator, 1, 1), qRgb(127, 127, 127));
    QCOMPARE(glassAt(emulator, 2, 1), qRgb(127, 0, 0));
    QCOMPARE(emulator.feed(oled(1, 0)), kAck);
    QCOMPARE(glassAt(emulator, 1, 1), qRgb(15, 15, 15));
    // Out of range: refused, the contrast stays.
    QCOMPARE(emulator.feed(oled(1, 16)), kError);
    QCOMPARE(glassAt(emulator, 1, 1), qRgb(15, 15, 15));
    QCOMPARE(emulator.feed(oled(1, 15)), kAck);
    QCOMPARE(glassAt(emulator, 1, 1), kWhite);
    QCOMPARE(emulator.pixel(1, 1), quint16(0xFFFF));
}

void TestEmulatorDisplay::controllerDisplayModes()
{
    Emulator emulator;
    drawSample(emulator);
    const QImage normal = emulator.displayImage();

    QCOMPARE(emulator.feed(controller(0xA7)), kAck);
    QCOMPARE(glassAt(emulator, 0, 0), kWhite);
    QCOMPARE(glassAt(emulator, 1, 1), kBlack);
    QCOMPARE(glassAt(emulator, 2, 1), qRgb(0, 255, 255));
    QCOMPARE(emulator.frame().at(96 + 1), quint16(0xFFFF));

    // 164 (0xA4), the value the panel's Write Command dialog suggests, and
    // 0xA6 both bring the normal display back.
    QCOMPARE(emulator.feed(controller(0xA4)), kAck);
    QCOMPARE(emulator.displayImage(), normal);
    emulator.feed(controller(0xA7));
    QCOMPARE(emulator.feed(controller(0xA6)), kAck);
    QCOMPARE(emulator.displayImage(), normal);

    // Entire display on.
    QCOMPARE(emulator.feed(controller(0xA5)), kAck);
    QCOMPARE(glassAt(emulator, 0, 0), kWhite);
    QCOMPARE(glassAt(emulator, 95, 63), kWhite);

    // Other controller bytes are acknowledged and change nothing.
    emulator.feed(controller(0xA4));
    QSignalSpy spy(&emulator, &Emulator::frameChanged);
    QCOMPARE(emulator.feed(controller(0x81) + controller(0x00) + controller(0xFF)), kAck + kAck + kAck);
    QCOMPARE(emulator.displayImage(), normal);
    QCOMPARE(spy.count(), 0);

    // Display on in dim mode halves the whole glass; 0xAF restores it.
    QCOMPARE(emulator.feed(controller(0xAC)), kAck);
    QCOMPARE(glassAt(emulator, 1, 1), qRgb(127, 127, 127));
    QCOMPARE(emulator.feed(controller(0xAF)), kAck);
    QCOMPARE(emulator.displayImage(), normal);
}

void TestEmulatorDisplay::dimWindow()
{
    Emulator emulator;
    emulator.feed(Bytes({0x42, 0xFF, 0xFF, 0x45})); // all white
    QCOMPARE(emulator.feed(dim(1, 1, 2, 2)), kAck);
    const QMap<QRgb, QChar> legend{{kWhite, '#'}, {qRgb(127, 127, 127), 'd'}};
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(0, 0, 4, 4), legend),
             QStringList({"####", "#dd#", "#dd#", "####"}));
    QCOMPARE(emulator.pixel(1, 1), quint16(0xFFFF));

    // A new window replaces the old one; one reaching past the edge is clipped.
    QCOMPARE(emulator.feed(dim(94, 62, 255, 255)), kAck);
    QCOMPARE(glassAt(emulator, 1, 1), kWhite);
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(92, 60, 4, 4), legend),
             QStringList({"####", "####", "##dd", "##dd"}));

    // The window is given in the orientation in force.
    QCOMPARE(emulator.feed(Bytes({0x24, 0x46, 1}) + dim(0, 0, 3, 1)), kAck + kAck);
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(92, 62, 4, 2), legend), QStringList({"####", "#ddd"}));

    // An empty window ends dimming.
    QCOMPARE(emulator.feed(dim(0, 0, 0, 5)), kAck);
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(0, 0, 96, 64), legend),
             QStringList(64, QString(96, QLatin1Char('#'))));
}

void TestEmulatorDisplay::scrollStep()
{
    Emulator emulator;
    emulator.feed(setPixel(0, 0, 0xFFFF) + setPixel(5, 1, 0xFFFF));
    const QImage still = emulator.displayImage();
    QSignalSpy spy(&emulator, &Emulator::frameChanged);

    // Enabling with the power-on settings (vertical step 1 over all 64 rows)
    // does not move anything until the first step.
    QCOMPARE(emulator.feed(scroll(0, 1)), kAck);
    QVERIFY(emulator.isScrolling());
    QCOMPARE(emulator.displayImage(), still);
    QCOMPARE(spy.count(), 0);

    emulator.stepScroll();
    QCOMPARE(spy.count(), 1);
    // Everything moved up one row; the top row wrapped to the bottom.
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(0, 0, 7, 2)), QStringList({".....#.", "......."}));
    QCOMPARE(glassAt(emulator, 0, 63), kWhite);
    QCOMPARE(emulator.pixel(0, 0), quint16(0xFFFF)); // the RAM did not move

    // Horizontal only: two columns to the left per step, wrapping round.
    QCOMPARE(emulator.feed(scroll(6, 0) + scroll(3, 2)), kAck + kAck);
    emulator.stepScroll();
    QCOMPARE(GlassPattern(emulator.displayImage(), QRect(0, 0, 7, 1)), QStringList({"...#..."}));
    QCOMPARE(glassAt(emulator, 94, 63), kWhite);

    // Disabling puts the picture back and stops the clock.
    QCOMPARE(emulator.feed(scroll(0, 0)), kAck);
    QVERIFY(!emulator.isScrolling());
    QCOMPARE(emulator.displayImage(), still);
    const int changes = spy.count();
    emulator.stepScroll();
    QCOMPARE(spy.count(), changes);
    QCOMPARE(emulator.displayImage(), still);
}

void TestEmulatorDisplay::scrollAreaAndSettings()
{
    Emulator emulator;
    for (int y = 0; y < 64; ++y)
        emulator.feed(setPixel(0, y, quint16(y + 1)));
    // Rows 10..14 scroll vertically by 2 each step; the others stay.
    QCOMPARE(emulator.feed(scroll(4, 10) + scroll(5, 5) + scroll(6, 2) + scroll(0, 1)), kAck + kAck + kAck + kAck);
    emulator.stepScroll();
    auto shownRow = [&](int y) {
        // Which RAM row the glass shows at y, from the colour in column 0.
        const QRgb c = glassAt(emulator, 0, y);
        for (int r = 0; r < 64; ++r) {
            if (quennel::rgb565ToRgb(quint16(r + 1)) == c)
                return r;
        }
        return -1;
    };
    QVector<int> rows;
    for (int y = 8; y <= 16; ++y)
        rows << shownRow(y);
    QCOMPARE(rows, QVector<int>({8, 9, 12, 13, 14, 10, 11, 15, 16}));

    // Refused values leave the settings alone.
    QCOMPARE(emulator.feed(scroll(2, 4) + scroll(4, 64) + scroll(5, 65) + scroll(1, 0) + scroll(7, 0)),
             kError + kError + kError + kError + kError);
    QCOMPARE(emulator.feed(scroll(2, 3)), kAck);
    rows.clear();
    for (int y = 8; y <= 16; ++y)
        rows << shownRow(y);
    QCOMPARE(rows, QVector<int>({8, 9, 12, 13, 14, 10, 11, 15, 16}));

    // No rows to scroll: stepping changes nothing.
    QCOMPARE(emulator.feed(scroll(5, 0)), kAck);
    const QImage before = emulator.displayImage();
    emulator.stepScroll();
    QCOMPARE(emulator.displayImage(), before);
}

void TestEmulatorDisplay::scrollTimerRunsWhileEnabled()
{
    Emulator emulator;
    emulator.feed(setPixel(0, 0, 0xFFFF));
    QSignalSpy spy(&emulator, &Emulator::frameChanged);
    QCOMPARE(emulator.feed(scroll(2, 0) + scroll(0, 1)), kAck + kAck);
    QVERIFY(emulator.isScrolling());
    // The clock moves the picture on its own (40 ms a step at speed 0).
    QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 2, 10000);
    QCOMPARE(emulator.feed(controller(0x2E)), kAck);
    QVERIFY(!emulator.isScrolling());
    QCOMPARE(glassAt(emulator, 0, 0), kWhite);
    QCOMPARE(emulator.feed(controller(0x2F)), kAck);
    QVERIFY(emulator.isScrolling());
}

void TestEmulatorDisplay::frameChangedOnlyWhenTheGlassChanges()
{
    Emulator emulator;
    drawSample(emulator);
    QSignalSpy spy(&emulator, &Emulator::frameChanged);

    emulator.feed(oled(1, 15) + oled(0, 1) + controller(0xA4) + Bytes({0x24, 0x46, 2}));
    QCOMPARE(spy.count(), 0); // all as they were, or not visible
    emulator.feed(dim(50, 50, 3, 3)); // dims black pixels only
    QCOMPARE(spy.count(), 0);
    emulator.feed(oled(0, 0));
    QCOMPARE(spy.count(), 1);
    emulator.feed(oled(1, 3) + controller(0xA7) + dim(0, 0, 96, 64)); // behind a dark glass
    QCOMPARE(spy.count(), 1);
    emulator.feed(oled(0, 1));
    QCOMPARE(spy.count(), 2);
}

void TestEmulatorDisplay::deviceInfoOnTheDisplay()
{
    Emulator quiet;
    QCOMPARE(quiet.feed(Bytes({0x56, 0})), kInfoReply);
    QCOMPARE(quiet.frame(), QVector<quint16>(96 * 64, 0));

    Emulator shown;
    QSignalSpy spy(&shown, &Emulator::frameChanged);
    QCOMPARE(shown.feed(Bytes({0x56, 1})), kInfoReply);
    QCOMPARE(spy.count(), 1);
    // "Type: ..." on the first line and "Hardware: 1" on the next, in 5 x 7.
    QCOMPARE(FramePattern(shown, QRect(0, 0, 5, 14)),
             QStringList({".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".....", "#..#.", "#..#.",
                          "####.", "#..#.", "#..#.", "#..#.", "....."}));
}

void TestEmulatorDisplay::unknownFunctionsAreRefused()
{
    Emulator emulator;
    drawSample(emulator);
    const QImage normal = emulator.displayImage();
    QCOMPARE(emulator.feed(oled(3, 0) + oled(255, 1)), kError + kError);
    QCOMPARE(emulator.displayImage(), normal);
}

void TestEmulatorDisplay::resetRestoresTheGlass()
{
    Emulator emulator;
    emulator.feed(oled(0, 0) + oled(1, 2) + controller(0xA7) + scroll(0, 1) + Bytes({0x24, 0x46, 1}));
    QVERIFY(emulator.isScrolling());
    emulator.reset();
    QVERIFY(!emulator.isScrolling());
    emulator.feed(setPixel(0, 0, 0xFFFF));
    QCOMPARE(glassAt(emulator, 0, 0), kWhite);
    QCOMPARE(glassAt(emulator, 1, 0), kBlack);
}

QTEST_GUILESS_MAIN(TestEmulatorDisplay)
#include "tst_emulator_display.moc"
