// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureDecoding.h"

namespace tavrel {

// Whether this build decodes PNG with libpng itself.
bool HavePngDecoder();

// Decodes a PNG with libpng straight to RGB32, whatever its depth and
// colour type: palettes and grey are expanded, 16-bit samples rounded to 8
// bits as Qt rounds them, and alpha is dropped, so that each pixel keeps
// the colour the file stores for it. No copy at another depth is ever made.
// For TopLeft only the rows asked for are decoded (all of them when the
// file is interlaced). libpng reads only the file's essential chunks
// (PictureLayout::essentials): it never sees a text or profile chunk.
NativeDecode DecodePng(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture);

} // namespace tavrel
