// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PixelFormats.h"

#include <QImage>
#include <QRgb>

#include <vector>

namespace tavrel {

// The colour the module shows for a pixel code: RGB565 at 16 bits, RGB332
// at 8. The module widens each channel back to 8 bits by repeating its top
// bits into the low ones (RGB332 first to RGB565, then to 8 bits a
// channel), so black stays black and full scale is 255. This is the
// emulator's own expansion (quennel::rgb565ToRgb, quennel::rgb332ToRgb565),
// taken from there so that what the panel previews and what the emulated
// module shows cannot differ.
QRgb ShownColour(quint16 code, int depth);

// The picture's pixels as the module's codes, row by row from the top and
// left to right in each row. The one quantiser behind every pixel stream
// (upload, image and slideshow data files) and the picture "as on the
// module":
// - Dithering::Off truncates each channel (PixelToRgb565, PixelToRgb332);
// - Dithering::FloydSteinberg takes, for each pixel in serpentine order
//   (even rows left to right, odd rows right to left), the code whose shown
//   colour is nearest to the pixel plus the error brought to it, and passes
//   the difference on: 7/16 to the next pixel of the row, 3/16, 5/16 and
//   1/16 to the three below. Integer arithmetic in sixteenths of a level, on
//   one thread: the same picture always gives the same codes. A colour the
//   module shows exactly stays as it is.
// Any format is read as its opaque RGB888 colours.
std::vector<quint16> QuantisePixels(const QImage& picture, const PixelEncoding& encoding);

// The picture as the module shows it: quantised, then every code expanded
// back to its shown colour. RGB888, the picture's size; null for null.
QImage ModuleView(const QImage& picture, const PixelEncoding& encoding);

} // namespace tavrel
