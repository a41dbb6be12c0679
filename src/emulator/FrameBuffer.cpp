// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/FrameBuffer.h"

#include <algorithm>

namespace quennel {

FrameBuffer::FrameBuffer()
    : m_pixels(kWidth * kHeight, 0)
{
}

void FrameBuffer::set(int x, int y, quint16 colour)
{
    if (!contains(x, y))
        return;
    quint16& p = m_pixels[y * kWidth + x];
    if (p != colour) {
        p = colour;
        ++m_revision;
    }
}

void FrameBuffer::fill(quint16 colour)
{
    const bool changes = std::any_of(m_pixels.cbegin(), m_pixels.cend(),
                                     [colour](quint16 p) { return p != colour; });
    if (!changes)
        return;
    m_pixels.fill(colour);
    ++m_revision;
}

QImage FrameBuffer::toImage() const
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    const quint16* src = m_pixels.constData();
    for (int y = 0; y < kHeight; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const QRgb rgb = rgb565ToRgb(*src++);
            *line++ = uchar(qRed(rgb));
            *line++ = uchar(qGreen(rgb));
            *line++ = uchar(qBlue(rgb));
        }
    }
    return image;
}

} // namespace quennel
