// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

class QIODevice;

namespace tavrel {

// Writes the picture as a 24-bit Windows bitmap (BITMAPINFOHEADER, bottom
// row first, rows padded to four bytes), the bytes Qt's BMP writer gives for
// the picture's opaque colours. The rows are converted and written a few at
// a time, so that a picture of any format costs no copy of its own size.
// False for a null picture or when a write fails.
bool WriteBmp24(QIODevice& out, const QImage& picture);

} // namespace tavrel
