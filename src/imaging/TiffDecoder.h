// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureDecoding.h"

namespace tavrel {

// Whether this build decodes TIFF with libtiff itself.
bool HaveTiffDecoder();

// Decodes the first page of a TIFF with libtiff to RGB32, whatever its
// depth, colour model, compression and layout (strips or tiles): libtiff
// reads one strip or tile at a time into the picture, and may allocate no
// single buffer larger than the decoding limit.
NativeDecode DecodeTiff(QIODevice& file, const PictureLayout& layout, QImage& picture);

} // namespace tavrel
