// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's text commands judged by exact pixels: a glyph of every font
// at factors 1 and 2 in both text modes, grid and pixel positions, line
// breaks, text buttons, user characters and the refusals of bad numbers.
// The glyph pictures are copied from the font sources, not from our tables.

#include "support/FramePattern.h"
#include "support/TestBytes.h"
#include "emulator/Emulator.h"

#include <QtTest>

using quennel::Emulator;
using namespace tavrel::testing;

namespace {

const QByteArray kAck = Bytes({0x06});
const QByteArray kError = Bytes({0x0F});

constexpr quint16 kWhite = 0xFFFF;
constexpr quint16 kRed = 0xF800;
constexpr quint16 kBlue = 0x001F;

const QStringList kA5x7{".##..", "#..#.", "#..#.", "####.", "#..#.", "#..#.", "....."};
const QStringList kA8x8{"....#...", "....#...", "...###..", "...#.#..", "..#####.", "..#...#.", ".##...##", "........"};
const QStringList kG8x12{"........", "........", "........", "........", "..######", ".#.....#",
                         ".#.....#", ".#.....#", "..######", ".......#", ".......#", "..#####."};
const QStringList kT16x32 = [] {
    QStringList rows;
    for (int i = 0; i < 6; ++i)
        rows << QStringLiteral("................");
    rows << QStringLiteral(".##############.") << QStringLiteral(".##############.");
    for (int i = 0; i < 18; ++i)
        rows << QStringLiteral(".......##.......");
    for (int i = 0; i < 6; ++i)
        rows << QStringLiteral("................");
    return rows;
}();

QByteArray colour(quint16 c)
{
    return Bytes({c >> 8, c & 0xFF});
}

QByteArray stringFree(int x, int y, int font, quint16 c, int fx, int fy, const QByteArray& text)
{
    return Bytes({0x53, x, y, font}) + colour(c) + Bytes({fx, fy}) + text + '\0';
}

QByteArray stringFormatted(int column, int row, int font, quint16 c, const QByteArray& text)
{
    return Bytes({0x73, column, row, font}) + colour(c) + text + '\0';
}

QByteArray button(int state, int x, int y, quint16 face, int font, quint16 c, int fx, int fy, const QByteArray& text)
{
    return Bytes({0x62, state, x, y}) + colour(face) + Bytes({font}) + colour(c) + Bytes({fx, fy}) + text + '\0';
}

// Every pixel repeated fx times across and fy times down.
QStringList scaled(const QStringList& rows, int fx, int fy)
{
    QStringList out;
    for (const QString& row : rows) {
        QString wide;
        for (const QChar c : row)
            wide += QString(fx, c);
        for (int i = 0; i < fy; ++i)
            out << wide;
    }
    return out;
}

// `glyph` at (x, y) inside `area` of a red screen: the glyph's set pixels in
// white ('#'), its blank pixels blue ('b') when opaque or still red ('r').
QStringList onRed(const QRect& area, int x, int y, const QStringList& glyph, bool opaque)
{
    QStringList placed = PlacedPattern(area, x, y, glyph);
    for (int r = 0; r < placed.size(); ++r) {
        for (int c = 0; c < placed[r].size(); ++c) {
            const int gx = area.left() + c - x;
            const int gy = area.top() + r - y;
            const bool inCell = gy >= 0 && gy < glyph.size() && gx >= 0 && gx < glyph.first().size();
            if (placed[r][c] == QLatin1Char('.'))
                placed[r][c] = inCell && opaque ? QLatin1Char('b') : QLatin1Char('r');
        }
    }
    return placed;
}

const QMap<quint16, QChar> kLegend{{kWhite, '#'}, {kRed, 'r'}, {kBlue, 'b'}, {0, '.'}};

// A screen cleared to red with blue as the stored background colour.
QByteArray redScreenBlueBackground()
{
    return Bytes({0x42}) + colour(kRed) + Bytes({0x45, 0x42}) + colour(kBlue);
}

} // namespace

class TestEmulatorText : public QObject {
    Q_OBJECT

private slots:
    void glyphs_data();
    void glyphs();
    void singleCharactersUseTheCurrentFont();
    void formattedPositionsFollowTheGrid();
    void stringsAdvanceAndBreakLines();
    void hugeFactorsAreClippedNotWrapped();
    void textButtonEdges_data();
    void textButtonEdges();
    void userCharacterRoundTrip();
    void badNumbersAreRefused();
};

void TestEmulatorText::glyphs_data()
{
    QTest::addColumn<int>("font");
    QTest::addColumn<char>("character");
    QTest::addColumn<QStringList>("glyph");
    QTest::addColumn<int>("factor");
    QTest::addColumn<bool>("opaque");

    const struct {
        int font;
        char character;
        QStringList glyph;
    } fonts[] = {{0, 'A', kA5x7}, {1, 'A', kA8x8}, {2, 'g', kG8x12}, {3, 'T', kT16x32}};
    for (const auto& f : fonts) {
        for (int factor : {1, 2}) {
            for (bool opaque : {false, true}) {
                const QString name = QStringLiteral("font %1 x%2 %3")
                                         .arg(f.font)
                                         .arg(factor)
                                         .arg(opaque ? QStringLiteral("opaque") : QStringLiteral("transparent"));
                QTest::newRow(qPrintable(name)) << f.font << f.character << f.glyph << factor << opaque;
            }
        }
    }
}

void TestEmulatorText::glyphs()
{
    QFETCH(int, font);
    QFETCH(char, character);
    QFETCH(QStringList, glyph);
    QFETCH(int, factor);
    QFETCH(bool, opaque);

    const QStringList big = scaled(glyph, factor, factor);
    const QRect area(1, 1, big.first().size() + 4, qMin(big.size() + 4, 63));
    Emulator emulator;
    QCOMPARE(emulator.feed(redScreenBlueBackground() + Bytes({0x4F, opaque ? 1 : 0})
                           + stringFree(3, 2, font, kWhite, factor, factor, QByteArray(1, character))),
             kAck + kAck + kAck + kAck + kAck);
    QCOMPARE(FramePattern(emulator, area, kLegend), onRed(area, 3, 2, big, opaque));
}

void TestEmulatorText::singleCharactersUseTheCurrentFont()
{
    const QRect area(0, 0, 12, 14);
    Emulator emulator;
    // Print Character at a pixel, in the font chosen by Set Font.
    QCOMPARE(emulator.feed(Bytes({0x46, 1, 0x74, 'A', 2, 3}) + colour(kWhite)), kAck + kAck);
    QCOMPARE(FramePattern(emulator, area), PlacedPattern(area, 2, 3, kA8x8));

    // A string names its own font and leaves the module's font as it was.
    Emulator other;
    other.feed(Bytes({0x46, 1}) + stringFree(40, 0, 0, kWhite, 1, 1, "A") + Bytes({0x74, 'A', 2, 3}) + colour(kWhite));
    QCOMPARE(FramePattern(other, area), PlacedPattern(area, 2, 3, kA8x8));
    QCOMPARE(FramePattern(other, QRect(40, 0, 5, 7)), kA5x7);
}

void TestEmulatorText::formattedPositionsFollowTheGrid()
{
    // Character at column 3, row 2 of the 8 x 8 grid: pixel (24, 16).
    Emulator grid;
    QCOMPARE(grid.feed(Bytes({0x46, 1, 0x54, 'A', 3, 2}) + colour(kWhite)), kAck + kAck);
    const QRect area(20, 14, 14, 12);
    QCOMPARE(FramePattern(grid, area), PlacedPattern(area, 24, 16, kA8x8));

    // String at column 1, row 1 of the 16 x 32 grid: pixel (16, 32).
    Emulator big;
    QCOMPARE(big.feed(stringFormatted(1, 1, 3, kWhite, "T")), kAck);
    const QRect bigArea(12, 28, 24, 36);
    QCOMPARE(FramePattern(big, bigArea), PlacedPattern(bigArea, 16, 32, kT16x32));

    // Column 2, row 1 in 5 x 7: pixel (10, 7), next letter 5 pixels on.
    Emulator small;
    QCOMPARE(small.feed(stringFormatted(2, 1, 0, kWhite, "AA")), kAck);
    const QRect smallArea(8, 5, 14, 10);
    QStringList two;
    for (const QString& row : kA5x7)
        two << row + row;
    QCOMPARE(FramePattern(small, smallArea), PlacedPattern(smallArea, 10, 7, two));
}

void TestEmulatorText::stringsAdvanceAndBreakLines()
{
    const QRect area(0, 0, 16, 16);
    Emulator emulator;
    // CR LF starts a new line under the string's first column; a code without
    // a glyph is a blank cell.
    QCOMPARE(emulator.feed(stringFree(1, 1, 0, kWhite, 1, 1, "A\x01" "A\r\nA")), kAck);
    QStringList expected;
    for (const QString& row : kA5x7)
        expected << row + QStringLiteral(".....") + row;
    for (const QString& row : kA5x7)
        expected << row;
    QCOMPARE(FramePattern(emulator, area), PlacedPattern(area, 1, 1, expected));

    // Height factor 2 doubles the line step too.
    Emulator tall;
    tall.feed(stringFree(0, 0, 0, kWhite, 1, 2, "A\r\nA"));
    const QRect tallArea(0, 0, 6, 30);
    QCOMPARE(FramePattern(tall, tallArea), PlacedPattern(tallArea, 0, 0, scaled(kA5x7, 1, 2) + scaled(kA5x7, 1, 2)));

    // A factor of 0 counts as 1; an empty string draws nothing.
    Emulator zero;
    QCOMPARE(zero.feed(stringFree(0, 0, 0, kWhite, 0, 0, "A") + stringFree(50, 50, 0, kWhite, 1, 1, "")), kAck + kAck);
    QCOMPARE(FramePattern(zero, QRect(0, 0, 6, 8)), PlacedPattern(QRect(0, 0, 6, 8), 0, 0, kA5x7));
    QCOMPARE(FramePattern(zero, QRect(48, 48, 10, 10)), FramePattern(Emulator(), QRect(48, 48, 10, 10)));
}

void TestEmulatorText::hugeFactorsAreClippedNotWrapped()
{
    Emulator emulator;
    // 300 characters at factor 255 from near the corner, opaque on red: the
    // corner shows one scaled pixel of the first glyph (blank, so red), and
    // nothing wraps to the left or the top.
    QCOMPARE(emulator.feed(Bytes({0x4F, 1, 0x42}) + colour(kRed)
                           + stringFree(90, 60, 3, kWhite, 255, 255, QByteArray(300, 'W'))),
             kAck + kAck + kAck);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 96; ++x)
            QCOMPARE(emulator.pixel(x, y), x >= 90 && y >= 60 ? kRed : quint16(0));
    }
}

void TestEmulatorText::textButtonEdges_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("pattern");

    // L: half way from the face to white, D: half way to black, o: face.
    QTest::newRow("up") << 1
                        << QStringList{"LLLLLLLLLLL", "LoooooooooD", "LoooooooooD", "Looo##ooooD", "Loo#oo#oooD",
                                       "Loo#oo#oooD", "Loo####oooD", "Loo#oo#oooD", "Loo#oo#oooD", "LoooooooooD",
                                       "LoooooooooD", "LoooooooooD", "DDDDDDDDDDD"};
    // Down: the edge is sunken and the text sits one pixel lower and further right.
    QTest::newRow("down") << 0
                          << QStringList{"DDDDDDDDDDD", "DoooooooooL", "DoooooooooL", "DoooooooooL", "Doooo##oooL",
                                         "Dooo#oo#ooL", "Dooo#oo#ooL", "Dooo####ooL", "Dooo#oo#ooL", "Dooo#oo#ooL",
                                         "DoooooooooL", "DoooooooooL", "LLLLLLLLLLL"};
}

void TestEmulatorText::textButtonEdges()
{
    QFETCH(int, state);
    QFETCH(QStringList, pattern);

    const quint16 face = kBlue;
    const quint16 light = (15 << 11) | (31 << 5) | 31;
    const quint16 dark = 15;
    const QMap<quint16, QChar> legend{{0, '.'}, {face, 'o'}, {light, 'L'}, {dark, 'D'}, {kWhite, '#'}};

    Emulator emulator;
    // The module's opaque mode and background colour do not matter to a button.
    QCOMPARE(emulator.feed(Bytes({0x4F, 1, 0x42}) + colour(kRed) + button(state, 2, 3, face, 0, kWhite, 1, 1, "A")),
             kAck + kAck + kAck);
    const QRect area(1, 2, 13, 15);
    QCOMPARE(FramePattern(emulator, area, legend), PlacedPattern(area, 2, 3, pattern));
}

void TestEmulatorText::userCharacterRoundTrip()
{
    const QByteArray rows = Bytes({0x80, 0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0xFF});
    const QStringList picture{"#.......", ".#.....#", "..#...#.", "...#.#..",
                              "....#...", "...#.#..", "..#...#.", "########"};
    const QRect area(8, 8, 12, 12);

    Emulator emulator;
    QCOMPARE(emulator.feed(Bytes({0x41, 5}) + rows + Bytes({0x44, 5, 10, 10}) + colour(kWhite)), kAck + kAck);
    QCOMPARE(FramePattern(emulator, area), PlacedPattern(area, 10, 10, picture));

    // Character 31 is the last one; the others are still blank.
    Emulator last;
    QCOMPARE(last.feed(Bytes({0x41, 31}) + rows + Bytes({0x44, 31, 10, 10}) + colour(kWhite)
                       + Bytes({0x44, 30, 40, 40}) + colour(kWhite)),
             kAck + kAck + kAck);
    QCOMPARE(FramePattern(last, area), PlacedPattern(area, 10, 10, picture));
    QCOMPARE(FramePattern(last, QRect(40, 40, 8, 8)), FramePattern(Emulator(), QRect(40, 40, 8, 8)));

    // Redefining replaces the rows; opaque mode fills the cell's blank pixels.
    QCOMPARE(emulator.feed(Bytes({0x41, 5, 0xF0, 0, 0, 0, 0, 0, 0, 0x0F, 0x4F, 1, 0x42}) + colour(kBlue)
                           + Bytes({0x44, 5, 30, 30}) + colour(kWhite)),
             kAck + kAck + kAck + kAck);
    QCOMPARE(FramePattern(emulator, QRect(30, 30, 8, 8), kLegend),
             QStringList({"####bbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb",
                          "bbbb####"}));
    // The first drawing is unchanged.
    QCOMPARE(FramePattern(emulator, area), PlacedPattern(area, 10, 10, picture));
}

void TestEmulatorText::badNumbersAreRefused()
{
    Emulator emulator;
    const QVector<quint16> blank = emulator.frame();
    QCOMPARE(emulator.feed(Bytes({0x41, 32, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})), kError);
    QCOMPARE(emulator.feed(Bytes({0x44, 32, 0, 0}) + colour(kWhite)), kError);
    QCOMPARE(emulator.feed(stringFree(0, 0, 4, kWhite, 1, 1, "A")), kError);
    QCOMPARE(emulator.feed(stringFormatted(0, 0, 255, kWhite, "A")), kError);
    QCOMPARE(emulator.feed(button(1, 0, 0, kBlue, 4, kWhite, 1, 1, "A")), kError);
    QCOMPARE(emulator.feed(button(2, 0, 0, kBlue, 0, kWhite, 1, 1, "A")), kError);
    QCOMPARE(emulator.frame(), blank);

    // A refused font or mode leaves the previous one in force.
    QCOMPARE(emulator.feed(Bytes({0x46, 1, 0x46, 4, 0x4F, 2})), kAck + kError + kError);
    emulator.feed(Bytes({0x74, 'A', 0, 0}) + colour(kWhite));
    const QRect area(0, 0, 9, 9);
    QCOMPARE(FramePattern(emulator, area), PlacedPattern(area, 0, 0, kA8x8));
}

QTEST_GUILESS_MAIN(TestEmulatorText)
#include "tst_emulator_text.moc"
