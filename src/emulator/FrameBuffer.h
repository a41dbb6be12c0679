// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QVector>
#include <QtGlobal>

namespace quennel {

// RGB565 to 8-bit channels by bit replication: the top bits of each channel are
// repeated into the low bits, so 0 stays 0 and full scale becomes 255.
inline QRgb rgb565ToRgb(quint16 c)
{
    const int r5 = (c >> 11) & 0x1F;
    const int g6 = (c >> 5) & 0x3F;
    const int b5 = c & 0x1F;
    return qRgb((r5 << 3) | (r5 >> 2), (g6 << 2) | (g6 >> 4), (b5 << 3) | (b5 >> 2));
}

// RGB332 (red 7-5, green 4-2, blue 1-0) widened to RGB565 by bit replication.
inline quint16 rgb332ToRgb565(quint8 c)
{
    const int r3 = (c >> 5) & 0x07;
    const int g3 = (c >> 2) & 0x07;
    const int b2 = c & 0x03;
    const int r5 = (r3 << 2) | (r3 >> 1);
    const int g6 = (g3 << 3) | g3;
    const int b5 = (b2 << 3) | (b2 << 1) | (b2 >> 1);
    return quint16((r5 << 11) | (g6 << 5) | b5);
}

// The controller's 96 x 64 graphics RAM, one RGB565 word per pixel, row by row.
// Every write is clipped to the panel. revision() counts the writes that
// actually changed a pixel, so callers can tell whether anything visible moved.
class FrameBuffer {
public:
    static constexpr int kWidth = 96;
    static constexpr int kHeight = 64;

    FrameBuffer();

    static bool contains(int x, int y) { return x >= 0 && y >= 0 && x < kWidth && y < kHeight; }

    quint16 at(int x, int y) const { return contains(x, y) ? m_pixels[y * kWidth + x] : 0; }
    void set(int x, int y, quint16 colour);
    void fill(quint16 colour);

    const QVector<quint16>& pixels() const { return m_pixels; }
    quint32 revision() const { return m_revision; }

    // The buffer as 96 x 64 RGB888.
    QImage toImage() const;

private:
    QVector<quint16> m_pixels;
    quint32 m_revision = 0;
};

} // namespace quennel
