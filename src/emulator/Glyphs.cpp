// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Glyphs.h"

#include <algorithm>

namespace quennel {

namespace {

#include "emulator/fonts/Font16x32.inc"
#include "emulator/fonts/Font5x7.inc"
#include "emulator/fonts/Font8x12.inc"
#include "emulator/fonts/Font8x8.inc"

constexpr int kFirstCode = 32;
constexpr int kLastCode = 126;
constexpr int kGlyphCount = kLastCode - kFirstCode + 1;

struct FontTable {
    const quint8* bits;
    int width;
    int height;
    int bytesPerGlyph;
};

constexpr int glyphBytes(int width, int height)
{
    return (width + 7) / 8 * height;
}

const FontTable kFonts[kFontCount] = {
    {kFont5x7, 5, 7, glyphBytes(5, 7)},
    {kFont8x8, 8, 8, glyphBytes(8, 8)},
    {kFont8x12, 8, 12, glyphBytes(8, 12)},
    {kFont16x32, 16, 32, glyphBytes(16, 32)},
};

static_assert(sizeof kFont5x7 == kGlyphCount * glyphBytes(5, 7), "5x7 table size");
static_assert(sizeof kFont8x8 == kGlyphCount * glyphBytes(8, 8), "8x8 table size");
static_assert(sizeof kFont8x12 == kGlyphCount * glyphBytes(8, 12), "8x12 table size");
static_assert(sizeof kFont16x32 == kGlyphCount * glyphBytes(16, 32), "16x32 table size");

const FontTable& table(int font)
{
    return kFonts[font >= 0 && font < kFontCount ? font : 0];
}

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;

// Each channel half way from `c` to full scale (white) or to zero (black).
quint16 mixTowards(quint16 c, bool white)
{
    const int r = (((c >> 11) & 0x1F) + (white ? 0x1F : 0)) / 2;
    const int g = (((c >> 5) & 0x3F) + (white ? 0x3F : 0)) / 2;
    const int b = ((c & 0x1F) + (white ? 0x1F : 0)) / 2;
    return quint16((r << 11) | (g << 5) | b);
}

} // namespace

QSize fontCell(int font)
{
    const FontTable& t = table(font);
    return QSize(t.width, t.height);
}

GlyphBitmap fontGlyph(int font, quint8 code)
{
    const FontTable& t = table(font);
    // Codes without a glyph draw as the space, which is blank in every font.
    const int index = code >= kFirstCode && code <= kLastCode ? code - kFirstCode : 0;
    return GlyphBitmap{t.bits + index * t.bytesPerGlyph, t.width, t.height};
}

void drawGlyph(Canvas& canvas, int x, int y, const GlyphBitmap& glyph, const TextStyle& style)
{
    const int fx = std::max(style.widthFactor, 1);
    const int fy = std::max(style.heightFactor, 1);
    const QRect cell(x, y, glyph.width * fx, glyph.height * fy);
    // Only the part on the panel is visited, however large the factors.
    const QRect visible = cell & canvas.bounds();
    if (visible.isEmpty())
        return;
    const int bytesPerRow = (glyph.width + 7) / 8;
    for (int py = visible.top(); py <= visible.bottom(); ++py) {
        const quint8* row = glyph.rows + ((py - y) / fy) * bytesPerRow;
        for (int px = visible.left(); px <= visible.right(); ++px) {
            const int column = (px - x) / fx;
            const bool set = row[column / 8] & (0x80 >> (column % 8));
            if (set)
                canvas.plot(px, py, style.colour);
            else if (style.opaque)
                canvas.plot(px, py, style.background);
        }
    }
}

void drawText(Canvas& canvas, int x, int y, const QByteArray& text, int font, const TextStyle& style)
{
    const QSize cell = fontCell(font);
    const int advance = cell.width() * std::max(style.widthFactor, 1);
    const int lineHeight = cell.height() * std::max(style.heightFactor, 1);
    int penX = x;
    int penY = y;
    for (const char c : text) {
        if (c == kCarriageReturn) {
            penX = x;
        } else if (c == kLineFeed) {
            penY += lineHeight;
        } else {
            drawGlyph(canvas, penX, penY, fontGlyph(font, quint8(c)), style);
            penX += advance;
        }
    }
}

QSize textExtent(const QByteArray& text, int font, int widthFactor, int heightFactor)
{
    const QSize cell = fontCell(font);
    int columns = 0;
    int widest = 0;
    int lines = 1;
    for (const char c : text) {
        if (c == kCarriageReturn) {
            columns = 0;
        } else if (c == kLineFeed) {
            ++lines;
        } else {
            ++columns;
            widest = std::max(widest, columns);
        }
    }
    return QSize(widest * cell.width() * std::max(widthFactor, 1),
                 lines * cell.height() * std::max(heightFactor, 1));
}

quint16 buttonHighlight(quint16 face)
{
    return mixTowards(face, true);
}

quint16 buttonShadow(quint16 face)
{
    return mixTowards(face, false);
}

QRect drawTextButton(Canvas& canvas, int x, int y, bool up, quint16 face, const QByteArray& text, int font,
                     const TextStyle& style)
{
    constexpr int kEdge = 1;
    constexpr int kMargin = 2;
    const QSize extent = textExtent(text, font, style.widthFactor, style.heightFactor);
    const QRect button(x, y, extent.width() + 2 * (kEdge + kMargin), extent.height() + 2 * (kEdge + kMargin));

    canvas.fill(button, face);
    const quint16 light = buttonHighlight(face);
    const quint16 dark = buttonShadow(face);
    const quint16 topLeft = up ? light : dark;
    const quint16 bottomRight = up ? dark : light;
    canvas.fill(QRect(button.left(), button.top(), button.width(), 1), topLeft);
    canvas.fill(QRect(button.left(), button.top(), 1, button.height()), topLeft);
    canvas.fill(QRect(button.left(), button.bottom(), button.width(), 1), bottomRight);
    canvas.fill(QRect(button.right(), button.top() + 1, 1, button.height() - 1), bottomRight);

    TextStyle onFace = style;
    onFace.opaque = false;
    const int shift = up ? 0 : 1;
    drawText(canvas, x + kEdge + kMargin + shift, y + kEdge + kMargin + shift, text, font, onFace);
    return button;
}

} // namespace quennel
