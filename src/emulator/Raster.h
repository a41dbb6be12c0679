// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drawing primitives of the emulated module and the rules they follow.
//
// Coordinates
//   Every command draws through a Canvas, which maps the coordinates of the
//   current orientation onto the controller's RAM and clips each pixel to the
//   panel, so no shape, size or byte value can write outside it.
//   - Orientation 0 (normal): 96 x 64, (x, y) is RAM (x, y).
//   - Orientation 1 (upside down): 96 x 64, (x, y) is RAM (95 - x, 63 - y).
//   - Orientation 2 (portrait): 64 wide, 96 high, for a module turned a
//     quarter turn counter-clockwise (its right edge on top): (x, y) is
//     RAM (95 - y, x). Points with x > 63 are off the panel.
//   The orientation applies to what is drawn after it is set; the RAM keeps
//   what is already there.
//
// Lines: Bresenham, both end points drawn. The two ends are put in a fixed
//   order first (by the longer axis), so A->B and B->A give the same pixels.
// Rectangles: any two opposite corners, in any order. Wire frame: the four
//   edges; solid: every pixel from corner to corner, edges included.
// Circles: midpoint algorithm, 2r + 1 pixels across; radius 0 is one pixel.
//   Solid fills each row between the outline's outermost pixels.
// Triangles and polygons: the n vertices joined in order and closed back to
//   the first. Solid fills by the even-odd rule: a pixel centre is inside when
//   a ray from it crosses the outline an odd number of times (so the middle of
//   a five-pointed star drawn in one stroke stays empty). The outline is drawn
//   over the fill, so a solid shape always covers its wire frame. One vertex
//   is a pixel, two a line, none draws nothing.
// Copy area: the source block is read whole before the destination is
//   written (overlap behaves like memmove). Source pixels off the panel leave
//   their destination pixels untouched; the colour bytes of the command are
//   not used.

#include "emulator/FrameBuffer.h"

#include <QPoint>
#include <QRect>
#include <QVector>

namespace quennel {

enum class Orientation : quint8 { Normal = 0, UpsideDown = 1, Portrait = 2 };

// Pen size and orientation as the module keeps them.
struct PenState {
    bool wireFrame = false; // pen size 1; 0 (solid) at power-on
    Orientation orientation = Orientation::Normal;
};

// The panel as the current orientation presents it.
class Canvas {
public:
    Canvas(FrameBuffer& frame, Orientation orientation)
        : m_frame(frame)
        , m_orientation(orientation)
    {
    }

    int width() const { return m_orientation == Orientation::Portrait ? FrameBuffer::kHeight : FrameBuffer::kWidth; }
    int height() const { return m_orientation == Orientation::Portrait ? FrameBuffer::kWidth : FrameBuffer::kHeight; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width() && y < height(); }
    QRect bounds() const { return QRect(0, 0, width(), height()); }

    // Where (x, y) lies in RAM.
    QPoint toFrame(int x, int y) const;
    // The RAM rectangle covered by `rect` (clipped to the panel).
    QRect toFrame(const QRect& rect) const;

    void plot(int x, int y, quint16 colour);
    quint16 at(int x, int y) const;
    // Fills the rectangle, clipped to the panel.
    void fill(const QRect& rect, quint16 colour);

private:
    FrameBuffer& m_frame;
    Orientation m_orientation;
};

void drawLine(Canvas& canvas, int x0, int y0, int x1, int y1, quint16 colour);
void drawRectangle(Canvas& canvas, int x0, int y0, int x1, int y1, quint16 colour, bool solid);
void drawCircle(Canvas& canvas, int cx, int cy, int radius, quint16 colour, bool solid);
void drawPolygon(Canvas& canvas, const QVector<QPoint>& vertices, quint16 colour, bool solid);
void copyArea(Canvas& canvas, int sx, int sy, int dx, int dy, int width, int height);

} // namespace quennel
