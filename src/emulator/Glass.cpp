// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Glass.h"

#include <algorithm>

namespace quennel {

namespace {

constexpr int kWidth = FrameBuffer::kWidth;
constexpr int kHeight = FrameBuffer::kHeight;

quint16 inverted(quint16 c)
{
    // Inverting every channel of RGB565 is inverting every bit.
    return quint16(~c);
}

} // namespace

QRect scrollArea(const ScrollState& scroll)
{
    return QRect(0, scroll.startRow, kWidth, scroll.rowCount) & QRect(0, 0, kWidth, kHeight);
}

void setScrolling(ScrollState& scroll, bool enabled)
{
    scroll.enabled = enabled;
    if (!enabled) {
        scroll.horizontalOffset = 0;
        scroll.verticalOffset = 0;
    }
}

bool advanceScroll(ScrollState& scroll)
{
    const QRect area = scrollArea(scroll);
    if (!scroll.enabled || area.isEmpty())
        return false;
    const int h = (scroll.horizontalOffset + scroll.horizontalStep) % kWidth;
    const int v = (scroll.verticalOffset + scroll.verticalStep) % area.height();
    const bool changed = h != scroll.horizontalOffset || v != scroll.verticalOffset;
    scroll.horizontalOffset = h;
    scroll.verticalOffset = v;
    return changed;
}

int scrollIntervalMs(quint8 speed)
{
    static const int kIntervals[kSlowestScrollSpeed + 1] = {40, 80, 160, 320};
    return kIntervals[std::min<int>(speed, kSlowestScrollSpeed)];
}

QImage renderGlass(const FrameBuffer& frame, const GlassState& glass)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    if (!glass.powerOn || !glass.displayOn) {
        image.fill(Qt::black);
        return image;
    }

    const QRect area = scrollArea(glass.scroll);
    const bool scrolled = glass.scroll.enabled && !area.isEmpty();
    // Brightness as a fraction brightness / 32 (so half of 32 is exact).
    const int contrastScale = 2 * (std::min<int>(glass.contrast, kMaxContrast) + 1);

    for (int y = 0; y < kHeight; ++y) {
        uchar* line = image.scanLine(y);
        const bool rowScrolls = scrolled && y >= area.top() && y <= area.bottom();
        int sourceY = y;
        if (rowScrolls)
            sourceY = area.top() + (y - area.top() + glass.scroll.verticalOffset) % area.height();
        for (int x = 0; x < kWidth; ++x) {
            const int sourceX = rowScrolls ? (x + glass.scroll.horizontalOffset) % kWidth : x;
            quint16 c = frame.at(sourceX, sourceY);
            if (glass.mode == DisplayMode::AllOn)
                c = 0xFFFF;
            else if (glass.mode == DisplayMode::Inverse)
                c = inverted(c);
            int scale = contrastScale;
            if (glass.dimAll || glass.dimWindow.contains(x, y))
                scale /= 2;
            const QRgb rgb = rgb565ToRgb(c);
            *line++ = uchar(qRed(rgb) * scale / 32);
            *line++ = uchar(qGreen(rgb) * scale / 32);
            *line++ = uchar(qBlue(rgb) * scale / 32);
        }
    }
    return image;
}

} // namespace quennel
