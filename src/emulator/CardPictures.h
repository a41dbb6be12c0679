// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture files of the emulated card: Windows bitmaps, image data files
// and the frames of slideshow data files, drawn through a Canvas (so they
// follow the display's orientation and are clipped to the panel), and the
// 24-bit bitmap Print Screen writes.
//
// Image data file: width w, height h, depth (16 or 8), then w x h pixels row
// by row from the top; a 16-bit pixel is RGB565 low byte first, an 8-bit one
// RGB332. A slideshow data file has the same header once, then frames of the
// same layout one after another.

#include "emulator/Raster.h"

#include <QByteArray>
#include <QImage>

namespace quennel {

struct ImageDataHeader {
    int width = 0;
    int height = 0;
    int depth = 0;
    qint64 frameBytes() const { return qint64(width) * height * (depth / 8); }
};

// Reads the 3-byte header; false for a zero width or height, a depth other
// than 8 or 16, or a file too short for the header.
bool readImageDataHeader(const QByteArray& file, ImageDataHeader& header);

// Draws one frame of pixels (file byte order) with its top-left corner at
// (x, y). `pixels` holds at least header.frameBytes() bytes.
void drawImageFrame(Canvas& canvas, int x, int y, const ImageDataHeader& header, const char* pixels);

// Decodes a Windows bitmap (1, 4, 8, 16, 24 or 32 bits, bottom-up or
// top-down) and draws it with its top-left corner at (x, y). False when the
// data is not a bitmap that can be decoded, or lacks some of the pixel rows
// its header announces.
bool drawBitmap(Canvas& canvas, int x, int y, const QByteArray& bmp);

// A 24-bit, bottom-up Windows bitmap of the picture.
QByteArray encodeBmp24(const QImage& picture);

// An 8-bit channel colour as the module's RGB565 (low bits dropped).
inline quint16 rgbToRgb565(QRgb c)
{
    return quint16(((qRed(c) & 0xF8) << 8) | ((qGreen(c) & 0xFC) << 3) | (qBlue(c) >> 3));
}

} // namespace quennel
