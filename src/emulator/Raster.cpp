// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Raster.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace quennel {

QPoint Canvas::toFrame(int x, int y) const
{
    switch (m_orientation) {
    case Orientation::Normal:
        break;
    case Orientation::UpsideDown:
        return QPoint(FrameBuffer::kWidth - 1 - x, FrameBuffer::kHeight - 1 - y);
    case Orientation::Portrait:
        return QPoint(FrameBuffer::kWidth - 1 - y, x);
    }
    return QPoint(x, y);
}

QRect Canvas::toFrame(const QRect& rect) const
{
    const QRect clipped = rect & bounds();
    if (clipped.isEmpty())
        return QRect();
    const QPoint a = toFrame(clipped.left(), clipped.top());
    const QPoint b = toFrame(clipped.right(), clipped.bottom());
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

void Canvas::plot(int x, int y, quint16 colour)
{
    if (!contains(x, y))
        return;
    const QPoint p = toFrame(x, y);
    m_frame.set(p.x(), p.y(), colour);
}

quint16 Canvas::at(int x, int y) const
{
    if (!contains(x, y))
        return 0;
    const QPoint p = toFrame(x, y);
    return m_frame.at(p.x(), p.y());
}

void Canvas::fill(const QRect& rect, quint16 colour)
{
    const QRect clipped = rect & bounds();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            plot(x, y, colour);
    }
}

void drawLine(Canvas& canvas, int x0, int y0, int x1, int y1, quint16 colour)
{
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    // A fixed order of the two ends makes the pixels independent of the
    // direction the line was given in.
    if (steep ? (y0 > y1) : (x0 > x1)) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    // Walk along the longer axis (called u), stepping the other (v) by the
    // error term.
    int u0 = steep ? y0 : x0, v0 = steep ? x0 : y0;
    const int u1 = steep ? y1 : x1, v1 = steep ? x1 : y1;
    const int du = u1 - u0;
    const int dv = std::abs(v1 - v0);
    const int vStep = v1 >= v0 ? 1 : -1;
    int error = du / 2;
    for (; u0 <= u1; ++u0) {
        if (steep)
            canvas.plot(v0, u0, colour);
        else
            canvas.plot(u0, v0, colour);
        error -= dv;
        if (error < 0) {
            v0 += vStep;
            error += du;
        }
    }
}

void drawRectangle(Canvas& canvas, int x0, int y0, int x1, int y1, quint16 colour, bool solid)
{
    const QRect rect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)));
    if (solid) {
        canvas.fill(rect, colour);
        return;
    }
    canvas.fill(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    canvas.fill(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    canvas.fill(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
    canvas.fill(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

void drawCircle(Canvas& canvas, int cx, int cy, int radius, quint16 colour, bool solid)
{
    if (radius < 0)
        return;
    // halfWidth[dy + radius]: the outline's outermost |dx| on row cy + dy.
    QVector<int> halfWidth(2 * radius + 1, -1);
    auto mark = [&](int dx, int dy) {
        if (!solid) {
            canvas.plot(cx + dx, cy + dy, colour);
            canvas.plot(cx - dx, cy + dy, colour);
        }
        int& widest = halfWidth[dy + radius];
        widest = std::max(widest, std::abs(dx));
    };
    int x = radius;
    int y = 0;
    int decision = 1 - radius;
    while (x >= y) {
        mark(x, y);
        mark(x, -y);
        mark(y, x);
        mark(y, -x);
        ++y;
        if (decision < 0) {
            decision += 2 * y + 1;
        } else {
            --x;
            decision += 2 * (y - x) + 1;
        }
    }
    if (!solid)
        return;
    for (int dy = -radius; dy <= radius; ++dy) {
        const int half = halfWidth[dy + radius];
        if (half >= 0)
            canvas.fill(QRect(QPoint(cx - half, cy + dy), QPoint(cx + half, cy + dy)), colour);
    }
}

namespace {

// floor(n / d) and ceil(n / d) for d > 0.
long long floorDiv(long long n, long long d)
{
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

long long ceilDiv(long long n, long long d)
{
    return -floorDiv(-n, d);
}

// Even-odd scanline fill through the pixel centres. Each edge counts on the
// rows from its upper end up to but not including its lower end, so a vertex
// shared by two edges is crossed once, and horizontal edges not at all.
void fillEvenOdd(Canvas& canvas, const QVector<QPoint>& vertices, quint16 colour)
{
    int top = vertices.first().y();
    int bottom = top;
    for (const QPoint& p : vertices) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, canvas.height() - 1);

    struct Crossing {
        long long numerator;
        long long denominator; // > 0
    };
    QVector<Crossing> crossings;
    for (int y = top; y <= bottom; ++y) {
        crossings.clear();
        for (int i = 0; i < vertices.size(); ++i) {
            QPoint a = vertices[i];
            QPoint b = vertices[(i + 1) % vertices.size()];
            if (a.y() == b.y())
                continue;
            if (a.y() > b.y())
                std::swap(a, b);
            if (y < a.y() || y >= b.y())
                continue;
            // x = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y), kept exact.
            const long long d = b.y() - a.y();
            crossings.append({a.x() * d + (y - a.y()) * (long long)(b.x() - a.x()), d});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) {
            return l.numerator * r.denominator < r.numerator * l.denominator;
        });
        for (int i = 0; i + 1 < crossings.size(); i += 2) {
            const long long from = ceilDiv(crossings[i].numerator, crossings[i].denominator);
            const long long to = floorDiv(crossings[i + 1].numerator, crossings[i + 1].denominator);
            if (from <= to)
                canvas.fill(QRect(QPoint(int(std::max<long long>(from, -1)), y),
                                  QPoint(int(std::min<long long>(to, canvas.width())), y)),
                            colour);
        }
    }
}

} // namespace

void drawPolygon(Canvas& canvas, const QVector<QPoint>& vertices, quint16 colour, bool solid)
{
    if (vertices.isEmpty())
        return;
    if (solid && vertices.size() >= 3)
        fillEvenOdd(canvas, vertices, colour);
    for (int i = 0; i < vertices.size(); ++i) {
        const QPoint& a = vertices[i];
        const QPoint& b = vertices[(i + 1) % vertices.size()];
        drawLine(canvas, a.x(), a.y(), b.x(), b.y(), colour);
    }
}

void copyArea(Canvas& canvas, int sx, int sy, int dx, int dy, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // Only the part of the source on the panel matters; a pixel outside it
    // has nothing to copy.
    const QRect source = QRect(sx, sy, width, height) & canvas.bounds();
    if (source.isEmpty())
        return;
    QVector<quint16> block;
    block.reserve(source.width() * source.height());
    for (int y = source.top(); y <= source.bottom(); ++y) {
        for (int x = source.left(); x <= source.right(); ++x)
            block.append(canvas.at(x, y));
    }
    const int offsetX = dx - sx;
    const int offsetY = dy - sy;
    const quint16* pixel = block.constData();
    for (int y = source.top(); y <= source.bottom(); ++y) {
        for (int x = source.left(); x <= source.right(); ++x)
            canvas.plot(x + offsetX, y + offsetY, *pixel++);
    }
}

} // namespace quennel
