// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's drawing commands judged by exact pixels: lines, rectangles,
// circles, triangles, polygons, copy area, the pen size, orientation and
// clipping, plus arbitrary parameter bytes that must never escape the panel.

#include "support/FramePattern.h"
#include "support/TestBytes.h"
#include "emulator/Emulator.h"

#include <QtTest>

using quennel::Emulator;
using namespace tavrel::testing;

namespace {

const QByteArray kAck = Bytes({0x06});
const QByteArray kError = Bytes({0x0F});
const QByteArray kWireFrame = Bytes({0x70, 1});
const QByteArray kSolid = Bytes({0x70, 0});

QByteArray line(int x0, int y0, int x1, int y1, quint16 c = 0xFFFF)
{
    return Bytes({0x4C, x0, y0, x1, y1, c >> 8, c & 0xFF});
}

QByteArray rectangle(int x0, int y0, int x1, int y1, quint16 c = 0xFFFF)
{
    return Bytes({0x72, x0, y0, x1, y1, c >> 8, c & 0xFF});
}

QByteArray circle(int x, int y, int r, quint16 c = 0xFFFF)
{
    return Bytes({0x43, x, y, r, c >> 8, c & 0xFF});
}

QByteArray triangle(QPoint a, QPoint b, QPoint c, quint16 colour = 0xFFFF)
{
    return Bytes({0x47, a.x(), a.y(), b.x(), b.y(), c.x(), c.y(), colour >> 8, colour & 0xFF});
}

QByteArray polygon(const QVector<QPoint>& points, quint16 c = 0xFFFF)
{
    QByteArray out = Bytes({0x67, int(points.size())});
    for (const QPoint& p : points)
        out += Bytes({p.x(), p.y()});
    return out + Bytes({c >> 8, c & 0xFF});
}

QByteArray setPixel(int x, int y, quint16 c)
{
    return Bytes({0x50, x, y, c >> 8, c & 0xFF});
}

QByteArray copyArea(int sx, int sy, int dx, int dy, int w, int h)
{
    return Bytes({0x63, sx, sy, dx, dy, w, h, 0xFF, 0xFF});
}

// Draws `command` on a fresh module in the given pen and returns the area.
QStringList drawn(const QByteArray& command, const QRect& area, bool wire = false)
{
    Emulator emulator;
    const QByteArray pen = wire ? kWireFrame : kSolid;
    const QByteArray reply = emulator.feed(pen + command);
    if (reply != kAck + kAck)
        return {QStringLiteral("reply %1").arg(QString::fromLatin1(reply.toHex()))};
    // Nothing outside the area may have been touched.
    const int inside = [&] {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += emulator.pixel(x, y) != 0;
        return n;
    }();
    const int everywhere = int(std::count_if(emulator.frame().cbegin(), emulator.frame().cend(),
                                             [](quint16 p) { return p != 0; }));
    if (inside != everywhere)
        return {QStringLiteral("%1 pixels outside the area").arg(everywhere - inside)};
    return FramePattern(emulator, area);
}

int litPixels(const Emulator& emulator)
{
    return int(std::count_if(emulator.frame().cbegin(), emulator.frame().cend(), [](quint16 p) { return p != 0; }));
}

} // namespace

class TestEmulatorDrawing : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void lineEndsAndLength();
    void rectangles_data();
    void rectangles();
    void circles_data();
    void circles();
    void triangles();
    void polygons_data();
    void polygons();
    void solidPolygonUsesEvenOddRule();
    void degeneratePolygons();
    void clippingAtTheEdges();
    void copyAreaOverlaps();
    void copyAreaClipsItsSource();
    void penSize();
    void orientations();
    void arbitraryParametersStayOnThePanel();
};

// Each line is drawn both ways: the pixels may not depend on the direction.
void TestEmulatorDrawing::lines_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QStringList>("pattern");

    QTest::newRow("shallow down") << QPoint(0, 0) << QPoint(4, 2)
                                  << QStringList{"##...", "..##.", "....#"};
    QTest::newRow("shallow up") << QPoint(0, 2) << QPoint(4, 0)
                                << QStringList{"....#", "..##.", "##..."};
    QTest::newRow("steep") << QPoint(1, 0) << QPoint(2, 4)
                           << QStringList{".#..", ".#..", ".#..", "..#.", "..#."};
    QTest::newRow("steep back") << QPoint(3, 0) << QPoint(0, 4)
                                << QStringList{"...#", "..#.", "..#.", ".#..", "#..."};
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3)
                              << QStringList{"#...", ".#..", "..#.", "...#"};
    QTest::newRow("horizontal") << QPoint(1, 1) << QPoint(3, 1) << QStringList{"....", ".###", "...."};
    QTest::newRow("vertical") << QPoint(1, 0) << QPoint(1, 2) << QStringList{".#", ".#", ".#"};
    QTest::newRow("point") << QPoint(1, 1) << QPoint(1, 1) << QStringList{"...", ".#.", "..."};
}

void TestEmulatorDrawing::lines()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QStringList, pattern);

    const QRect area(0, 0, pattern.first().size(), pattern.size());
    QCOMPARE(drawn(line(from.x(), from.y(), to.x(), to.y()), area), pattern);
    QCOMPARE(drawn(line(to.x(), to.y(), from.x(), from.y()), area), pattern);
}

void TestEmulatorDrawing::lineEndsAndLength()
{
    Emulator emulator;
    QCOMPARE(emulator.feed(line(0, 0, 95, 63, 0xF800)), kAck);
    QCOMPARE(emulator.pixel(0, 0), quint16(0xF800));
    QCOMPARE(emulator.pixel(95, 63), quint16(0xF800));
    // One pixel per column along the longer axis, no gaps, no doubles.
    QCOMPARE(litPixels(emulator), 96);
    for (int x = 0; x < 96; ++x) {
        int inColumn = 0;
        for (int y = 0; y < 64; ++y)
            inColumn += emulator.pixel(x, y) != 0;
        QCOMPARE(inColumn, 1);
    }
}

void TestEmulatorDrawing::rectangles_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("wire");
    QTest::addColumn<QStringList>("pattern");

    const QStringList wire{"......", ".####.", ".#..#.", ".####.", "......"};
    const QStringList solid{"......", ".####.", ".####.", ".####.", "......"};
    QTest::newRow("wire") << rectangle(1, 1, 4, 3) << true << wire;
    QTest::newRow("wire reversed") << rectangle(4, 3, 1, 1) << true << wire;
    QTest::newRow("wire other diagonal") << rectangle(4, 1, 1, 3) << true << wire;
    QTest::newRow("solid") << rectangle(1, 1, 4, 3) << false << solid;
    QTest::newRow("solid other diagonal") << rectangle(1, 3, 4, 1) << false << solid;
    QTest::newRow("one row") << rectangle(1, 2, 4, 2) << true
                             << QStringList{"......", "......", ".####.", "......", "......"};
}

void TestEmulatorDrawing::rectangles()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, wire);
    QFETCH(QStringList, pattern);
    QCOMPARE(drawn(command, QRect(0, 0, 6, 5), wire), pattern);
}

void TestEmulatorDrawing::circles_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<bool>("wire");
    QTest::addColumn<QStringList>("pattern");

    QTest::newRow("r0 wire") << 0 << true << QStringList{"#"};
    QTest::newRow("r0 solid") << 0 << false << QStringList{"#"};
    QTest::newRow("r1 wire") << 1 << true << QStringList{".#.", "#.#", ".#."};
    QTest::newRow("r1 solid") << 1 << false << QStringList{".#.", "###", ".#."};
    QTest::newRow("r3 wire") << 3 << true
                             << QStringList{"..###..", ".#...#.", "#.....#", "#.....#",
                                            "#.....#", ".#...#.", "..###.."};
    QTest::newRow("r3 solid") << 3 << false
                              << QStringList{"..###..", ".#####.", "#######", "#######",
                                             "#######", ".#####.", "..###.."};
}

void TestEmulatorDrawing::circles()
{
    QFETCH(int, radius);
    QFETCH(bool, wire);
    QFETCH(QStringList, pattern);
    // Centred at (10, 10): the diameter is 2r + 1 around it.
    const QRect area(10 - radius, 10 - radius, 2 * radius + 1, 2 * radius + 1);
    QCOMPARE(drawn(circle(10, 10, radius), area, wire), pattern);
}

void TestEmulatorDrawing::triangles()
{
    const QRect area(0, 0, 8, 8);
    const QStringList wire = PlacedPattern(area, 0, 0, {
        "#######",
        "#....#.",
        "#...#..",
        "#..#...",
        "#.#....",
        "##.....",
        "#......",
    });
    const QStringList solid = PlacedPattern(area, 0, 0, {
        "#######",
        "######.",
        "#####..",
        "####...",
        "###....",
        "##.....",
        "#......",
    });
    // The vertex order does not matter.
    QCOMPARE(drawn(triangle({0, 0}, {6, 0}, {0, 6}), area, true), wire);
    QCOMPARE(drawn(triangle({0, 6}, {6, 0}, {0, 0}), area, true), wire);
    QCOMPARE(drawn(triangle({0, 0}, {6, 0}, {0, 6}), area, false), solid);
    QCOMPARE(drawn(triangle({6, 0}, {0, 6}, {0, 0}), area, false), solid);
}

void TestEmulatorDrawing::polygons_data()
{
    QTest::addColumn<QVector<QPoint>>("points");
    QTest::addColumn<bool>("wire");
    QTest::addColumn<QStringList>("pattern");

    const QVector<QPoint> diamond{{3, 0}, {6, 3}, {3, 6}, {0, 3}};
    QTest::newRow("convex wire") << diamond << true
                                 << QStringList{"...#...", "..#.#..", ".#...#.", "#.....#",
                                                ".#...#.", "..#.#..", "...#..."};
    QTest::newRow("convex solid") << diamond << false
                                  << QStringList{"...#...", "..###..", ".#####.", "#######",
                                                 ".#####.", "..###..", "...#..."};
    // A block with a notch cut up from its bottom edge.
    const QVector<QPoint> notched{{0, 0}, {8, 0}, {8, 6}, {4, 2}, {0, 6}};
    QTest::newRow("concave wire") << notched << true
                                  << QStringList{"#########", "#.......#", "#...#...#", "#..#.#..#",
                                                 "#.#...#.#", "##.....##", "#.......#"};
    QTest::newRow("concave solid") << notched << false
                                   << QStringList{"#########", "#########", "#########", "####.####",
                                                  "###...###", "##.....##", "#.......#"};
}

void TestEmulatorDrawing::polygons()
{
    QFETCH(QVector<QPoint>, points);
    QFETCH(bool, wire);
    QFETCH(QStringList, pattern);
    const QRect area(0, 0, pattern.first().size(), pattern.size());
    QCOMPARE(drawn(polygon(points), area, wire), pattern);

    // Starting the same outline at another vertex draws the same pixels.
    QVector<QPoint> rotated = points.mid(1) + points.mid(0, 1);
    QCOMPARE(drawn(polygon(rotated), area, wire), pattern);
}

void TestEmulatorDrawing::solidPolygonUsesEvenOddRule()
{
    // A five-pointed star in one stroke: its middle is crossed twice.
    const QVector<QPoint> star{{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    Emulator emulator;
    QCOMPARE(emulator.feed(kSolid + polygon(star)), kAck + kAck);
    QCOMPARE(emulator.pixel(10, 11), quint16(0)); // the middle stays empty
    QCOMPARE(emulator.pixel(10, 3), quint16(0xFFFF)); // the top point is filled
    QCOMPARE(emulator.pixel(3, 8), quint16(0xFFFF)); // and the left one

    // The solid star covers every pixel of the wire-frame star.
    Emulator wire;
    wire.feed(kWireFrame + polygon(star));
    for (int i = 0; i < wire.frame().size(); ++i) {
        if (wire.frame()[i] != 0)
            QVERIFY2(emulator.frame()[i] != 0, qPrintable(QString::number(i)));
    }
    QVERIFY(litPixels(emulator) > litPixels(wire));
}

void TestEmulatorDrawing::degeneratePolygons()
{
    const QRect area(0, 0, 4, 3);
    QCOMPARE(drawn(polygon({}), area), QStringList({"....", "....", "...."}));
    QCOMPARE(drawn(polygon({{2, 1}}), area), QStringList({"....", "..#.", "...."}));
    QCOMPARE(drawn(polygon({{0, 1}, {3, 1}}), area), QStringList({"....", "####", "...."}));
    // Three points on one line: a line, solid or not.
    QCOMPARE(drawn(polygon({{0, 0}, {2, 2}, {1, 1}}), area, false), QStringList({"#...", ".#..", "..#."}));

    // The colour follows the last vertex, however many there are.
    QVector<QPoint> many;
    for (int i = 0; i < 255; ++i)
        many.append(QPoint(i % 96, (i * 7) % 64));
    Emulator emulator;
    QCOMPARE(emulator.feed(kWireFrame + polygon(many, 0x1234)), kAck + kAck);
    QCOMPARE(emulator.pixel(0, 0), quint16(0x1234));
}

void TestEmulatorDrawing::clippingAtTheEdges()
{
    // A solid circle around the top-left corner keeps only its quarter and
    // does not wrap onto the far edges.
    Emulator corner;
    QCOMPARE(corner.feed(kSolid + circle(0, 0, 3)), kAck + kAck);
    QCOMPARE(FramePattern(corner, QRect(0, 0, 5, 5)), QStringList({"####.", "####.", "###..", "##...", "....."}));
    QCOMPARE(litPixels(corner), 4 + 4 + 3 + 2);

    // A wire circle around the bottom-right corner.
    Emulator far;
    far.feed(kWireFrame + circle(95, 63, 3));
    QCOMPARE(FramePattern(far, QRect(91, 59, 5, 5)), QStringList({".....", "...##", "..#..", ".#...", ".#..."}));
    QCOMPARE(litPixels(far), 5);

    // A radius far larger than the panel covers all of it.
    Emulator huge;
    QCOMPARE(huge.feed(kSolid + circle(95, 63, 255, 0x0841)), kAck + kAck);
    QCOMPARE(huge.frame(), QVector<quint16>(96 * 64, 0x0841));

    // Lines and rectangles that leave the panel (the module accepts any byte).
    Emulator off;
    QCOMPARE(off.feed(line(90, 60, 200, 250) + rectangle(94, 62, 255, 255)), kAck + kAck);
    QCOMPARE(FramePattern(off, QRect(88, 58, 8, 6)),
             QStringList({"........", "........", "..#.....", "...#....", "...#..##", "....#.##"}));
    QCOMPARE(litPixels(off), 8);
}

void TestEmulatorDrawing::copyAreaOverlaps()
{
    const QMap<quint16, QChar> legend{{0, '.'}, {1, 'a'}, {2, 'b'}, {3, 'c'}, {4, 'd'}, {5, 'e'}};
    auto row = [](Emulator& e) {
        for (int i = 0; i < 5; ++i)
            e.feed(setPixel(i, 0, quint16(i + 1)));
    };

    // Moving right over itself: each pixel is read before it is overwritten.
    Emulator right;
    row(right);
    QCOMPARE(right.feed(copyArea(0, 0, 2, 0, 5, 1)), kAck);
    QCOMPARE(FramePattern(right, QRect(0, 0, 8, 1), legend), QStringList({"ababcde."}));

    // Moving left over itself.
    Emulator left;
    row(left);
    QCOMPARE(left.feed(copyArea(2, 0, 0, 0, 5, 1)), kAck);
    QCOMPARE(FramePattern(left, QRect(0, 0, 8, 1), legend), QStringList({"cde....."}));

    // Diagonally down and right, overlapping in both directions.
    Emulator block;
    block.feed(setPixel(0, 0, 1) + setPixel(1, 0, 2) + setPixel(0, 1, 3) + setPixel(1, 1, 4));
    QCOMPARE(block.feed(copyArea(0, 0, 1, 1, 2, 2)), kAck);
    QCOMPARE(FramePattern(block, QRect(0, 0, 4, 4), legend), QStringList({"ab..", "cab.", ".cd.", "...."}));

    // Diagonally up and left.
    Emulator up;
    up.feed(setPixel(1, 1, 1) + setPixel(2, 1, 2) + setPixel(1, 2, 3) + setPixel(2, 2, 4));
    QCOMPARE(up.feed(copyArea(1, 1, 0, 0, 2, 2)), kAck);
    QCOMPARE(FramePattern(up, QRect(0, 0, 4, 4), legend), QStringList({"ab..", "cdb.", ".cd.", "...."}));
}

void TestEmulatorDrawing::copyAreaClipsItsSource()
{
    const QMap<quint16, QChar> legend{{0, '.'}, {1, 'a'}, {2, 'b'}, {7, 'x'}};
    Emulator emulator;
    emulator.feed(setPixel(94, 0, 1) + setPixel(95, 0, 2) + setPixel(2, 0, 7) + setPixel(3, 0, 7));
    // Two of the four source columns lie off the panel: their destination keeps its pixels.
    QCOMPARE(emulator.feed(copyArea(94, 0, 0, 0, 4, 1)), kAck);
    QCOMPARE(FramePattern(emulator, QRect(0, 0, 5, 1), legend), QStringList({"abxx."}));

    // A destination partly off the panel keeps only what lands on it.
    QCOMPARE(emulator.feed(copyArea(0, 0, 94, 63, 4, 1)), kAck);
    QCOMPARE(emulator.pixel(94, 63), quint16(1));
    QCOMPARE(emulator.pixel(95, 63), quint16(2));
    QCOMPARE(litPixels(emulator), 8);

    // An empty block copies nothing; an oversized one moves the whole panel.
    QCOMPARE(emulator.feed(copyArea(0, 0, 10, 10, 0, 5) + copyArea(0, 0, 1, 1, 255, 255)), kAck + kAck);
    QCOMPARE(FramePattern(emulator, QRect(0, 0, 5, 2), legend), QStringList({"abxx.", ".abxx"}));
    QCOMPARE(emulator.pixel(95, 63), quint16(0)); // what was at (94, 62)
}

void TestEmulatorDrawing::penSize()
{
    Emulator emulator;
    // Solid at power-on.
    emulator.feed(rectangle(0, 0, 2, 2));
    QCOMPARE(emulator.pixel(1, 1), quint16(0xFFFF));

    QCOMPARE(emulator.feed(kWireFrame + rectangle(10, 0, 12, 2)), kAck + kAck);
    QCOMPARE(emulator.pixel(11, 1), quint16(0));
    // An unknown size is refused and the pen stays a wire frame.
    QCOMPARE(emulator.feed(Bytes({0x70, 2}) + rectangle(20, 0, 22, 2)), kError + kAck);
    QCOMPARE(emulator.pixel(21, 1), quint16(0));
    QCOMPARE(emulator.feed(kSolid + circle(30, 10, 2)), kAck + kAck);
    QCOMPARE(emulator.pixel(30, 10), quint16(0xFFFF));
}

void TestEmulatorDrawing::orientations()
{
    // Upside down: the first pixel lands in the far corner of the RAM.
    Emulator flipped;
    QCOMPARE(flipped.feed(Bytes({0x24, 0x46, 1}) + setPixel(0, 0, 0xF800) + line(0, 2, 3, 2)), kAck + kAck + kAck);
    QCOMPARE(flipped.pixel(95, 63), quint16(0xF800));
    QCOMPARE(FramePattern(flipped, QRect(90, 60, 6, 4)), QStringList({"......", "..####", "......", ".....#"}));
    // Read Pixel reads in the same coordinates.
    QCOMPARE(flipped.feed(Bytes({0x52, 0, 0})), Bytes({0xF8, 0x00}));

    // Portrait: 64 wide and 96 high, the panel's right edge at the top.
    Emulator portrait;
    QCOMPARE(portrait.feed(Bytes({0x24, 0x46, 2}) + setPixel(0, 0, 1) + setPixel(63, 95, 2) + setPixel(1, 3, 3)),
             kAck + kAck + kAck + kAck);
    QCOMPARE(portrait.pixel(95, 0), quint16(1));
    QCOMPARE(portrait.pixel(0, 63), quint16(2));
    QCOMPARE(portrait.pixel(92, 1), quint16(3));
    // x 64 and beyond are off this panel.
    QCOMPARE(portrait.feed(setPixel(64, 0, 4) + Bytes({0x52, 64, 0})), kError + kError);
    QCOMPARE(portrait.feed(line(0, 0, 3, 0, 5)), kAck);
    QCOMPARE(FramePattern(portrait, QRect(95, 0, 1, 4), {{1, '1'}, {5, '5'}}), QStringList({"5", "5", "5", "5"}));

    // Turning back does not move what is already drawn.
    QCOMPARE(portrait.feed(Bytes({0x24, 0x46, 0}) + setPixel(0, 0, 6)), kAck + kAck);
    QCOMPARE(portrait.pixel(0, 0), quint16(6));
    QCOMPARE(portrait.pixel(95, 0), quint16(5));
    // An unknown orientation is refused.
    QCOMPARE(portrait.feed(Bytes({0x24, 0x46, 3}) + setPixel(1, 0, 7)), kError + kAck);
    QCOMPARE(portrait.pixel(1, 0), quint16(7));
}

// Drawing, text and display commands with arbitrary parameter bytes, in
// both pen sizes, both text modes and all orientations: every command is
// answered with one acknowledgement or error byte. Under the sanitizers this
// also shows that no access leaves the frame buffer or the font tables.
void TestEmulatorDrawing::arbitraryParametersStayOnThePanel()
{
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) & 0xFF);
    };
    // Command heads and the number of random bytes after them; -1 is a
    // counted polygon, -2 a text of random length and 0 terminator.
    const struct {
        QByteArray head;
        int random;
    } commands[] = {
        {Bytes({0x4C}), 6},       {Bytes({0x72}), 6},       {Bytes({0x47}), 8},       {Bytes({0x43}), 5},
        {Bytes({0x63}), 8},       {Bytes({0x67}), -1},      {Bytes({0x70}), 1},       {Bytes({0x24, 0x46}), 1},
        {Bytes({0x46}), 1},       {Bytes({0x4F}), 1},       {Bytes({0x54}), 5},       {Bytes({0x74}), 5},
        {Bytes({0x41}), 9},       {Bytes({0x44}), 5},       {Bytes({0x59}), 2},       {Bytes({0x24, 0x44}), 4},
        {Bytes({0x24, 0x53}), 2}, {Bytes({0x24, 0x57}), 1}, {Bytes({0x73}), 5 + 100}, {Bytes({0x53}), 7 + 100},
        {Bytes({0x62}), 10 + 100},
    };
    const int kinds = int(sizeof commands / sizeof commands[0]);

    QByteArray stream;
    int count = 0;
    for (int i = 0; i < 4000; ++i) {
        const auto& c = commands[next() % kinds];
        QByteArray command = c.head;
        if (c.random == -1) {
            const int n = next() % 12;
            command += char(n);
            for (int j = 0; j < 2 * n + 2; ++j)
                command += char(next());
        } else if (c.random > 100) {
            for (int j = 0; j < c.random - 100; ++j)
                command += char(next());
            const int length = next() % 40;
            for (int j = 0; j < length; ++j)
                command += char(1 + next() % 255);
            command += '\0';
        } else {
            for (int j = 0; j < c.random; ++j)
                command += char(next());
        }
        stream += command;
        ++count;
    }
    Emulator emulator;
    const QByteArray reply = emulator.feed(stream);
    QCOMPARE(reply.size(), count);
    QVERIFY(std::all_of(reply.cbegin(), reply.cend(), [](char b) { return b == 0x06 || b == 0x0F; }));
    QCOMPARE(emulator.frame().size(), 96 * 64);
    QCOMPARE(emulator.displayImage().size(), QSize(96, 64));
}

QTEST_GUILESS_MAIN(TestEmulatorDrawing)
#include "tst_emulator_drawing.moc"
