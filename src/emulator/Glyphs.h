// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Text of the emulated module: its four bitmap fonts, the 32 user characters
// and the rules for placing glyphs.
//
// - Fonts 0..3 have 5 x 7, 8 x 8, 8 x 12 and 16 x 32 pixel cells and cover
//   printable ASCII (32..126); see fonts/LICENSES.md for their origins.
// - A glyph is drawn in its cell from the given top-left pixel; width and
//   height factors repeat every pixel that many times across and down (a
//   factor of 0 counts as 1). Glyphs advance by the scaled cell width with no
//   extra spacing and are clipped at the panel's edge; text does not wrap.
// - Transparent mode sets only the glyph's pixels; opaque mode first fills
//   the whole scaled cell with the background colour.
// - In strings, 13 returns to the string's starting column and 10 moves down
//   one scaled cell height. Any other code outside 32..126 draws as a blank
//   cell (as a space does).
// - User characters are 8 x 8, one byte per row, top row first, bit 7 the
//   leftmost pixel; all are blank at power-on.

#include "emulator/Raster.h"

#include <QByteArray>
#include <QSize>

#include <array>

namespace quennel {

constexpr int kFontCount = 4;
constexpr int kUserCharCount = 32;

// A bitmap of `height` rows, each `(width + 7) / 8` bytes, most significant
// bit leftmost.
struct GlyphBitmap {
    const quint8* rows = nullptr;
    int width = 0;
    int height = 0;
};

struct TextState {
    quint8 font = 0;
    bool opaque = false;
    std::array<std::array<quint8, 8>, kUserCharCount> userChars{};
};

// How text is drawn: colours, transparency and the scale.
struct TextStyle {
    quint16 colour = 0xFFFF;
    quint16 background = 0x0000;
    bool opaque = false;
    int widthFactor = 1;
    int heightFactor = 1;
};

// The cell size of font 0..3 (an invalid number gives font 0's).
QSize fontCell(int font);
// The glyph of `code` in `font`; codes outside 32..126 give a blank glyph.
GlyphBitmap fontGlyph(int font, quint8 code);

void drawGlyph(Canvas& canvas, int x, int y, const GlyphBitmap& glyph, const TextStyle& style);
// Draws `text` from (x, y) in `font`; see the rules above.
void drawText(Canvas& canvas, int x, int y, const QByteArray& text, int font, const TextStyle& style);
// The size of the block `text` covers: the longest line by the number of lines.
QSize textExtent(const QByteArray& text, int font, int widthFactor, int heightFactor);

// A text button at (x, y): a face in `face` with a one-pixel 3-D edge (raised
// when `up`, sunken otherwise) around the text plus two pixels of margin; the
// text is centred in the style's colour, one pixel down and right when the
// button is down. Returns the rectangle the button covers.
QRect drawTextButton(Canvas& canvas, int x, int y, bool up, quint16 face, const QByteArray& text, int font,
                     const TextStyle& style);
// The edge colours of a face: half way to white, and half way to black.
quint16 buttonHighlight(quint16 face);
quint16 buttonShadow(quint16 face);

} // namespace quennel
