// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QtGlobal>

namespace tavrel {

// The largest picture the module takes: the whole panel.
constexpr int kPictureMaxWidth = 96;
constexpr int kPictureMaxHeight = 64;

// The two colour depths of picture data, in bits per pixel.
constexpr int kDepth16 = 16;
constexpr int kDepth8 = 8;
constexpr bool IsPictureDepth(int depth) { return depth == kDepth16 || depth == kDepth8; }

// 16-bit RGB565: red's top five bits in 15..11, green's top six in 10..5,
// blue's top five in 4..0. Low bits are dropped, never rounded.
constexpr quint16 PixelToRgb565(int red, int green, int blue)
{
    return quint16(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xFF) >> 3));
}

// 8-bit RGB332: red's top three bits in 7..5, green's top three in 4..2,
// blue's top two in 1..0.
constexpr quint8 PixelToRgb332(int red, int green, int blue)
{
    return quint8((red & 0xE0) | (((green & 0xFF) >> 3) & 0x1C) | ((blue & 0xFF) >> 6));
}

// 16-bit pixels travel high byte first on the serial line but are stored low
// byte first in image and slideshow data files. 8-bit pixels are one byte
// either way.
enum class PixelByteOrder { Line, File };

// How a picture's colours are brought down to the module's levels: each
// pixel truncated on its own (the encoders above), or Floyd-Steinberg error
// diffusion, which spreads each pixel's difference to the level shown over
// its neighbours so that areas keep their mean colour.
enum class Dithering { Off, FloydSteinberg };

// The depth and the way to reach it. A depth alone means truncation, the
// module's plain encoding.
struct PixelEncoding {
    PixelEncoding(int bits = kDepth16, Dithering how = Dithering::Off) : depth(bits), dithering(how) {}
    int depth;
    Dithering dithering;
};

// Appends one pixel code (RGB565 or RGB332, by the depth) in the byte order.
inline void AppendPixelCode(QByteArray& out, quint16 code, int depth, PixelByteOrder order)
{
    if (depth == kDepth8) {
        out.append(static_cast<char>(code & 0xFF));
        return;
    }
    const char high = static_cast<char>(code >> 8);
    const char low = static_cast<char>(code & 0xFF);
    if (order == PixelByteOrder::Line) {
        out.append(high);
        out.append(low);
    } else {
        out.append(low);
        out.append(high);
    }
}

// Bytes of the pixel stream of a w x h picture: w * h * depth / 8.
constexpr qint64 PixelStreamSize(int width, int height, int depth)
{
    return qint64(width) * height * (depth / 8);
}

// The picture's pixels row by row from the top, left to right in each row,
// quantised by QuantisePixels() and laid out in the given byte order. No
// padding, no header.
QByteArray EncodePixelStream(const QImage& picture, const PixelEncoding& encoding, PixelByteOrder order);

} // namespace tavrel
