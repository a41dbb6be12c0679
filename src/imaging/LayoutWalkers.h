// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The structure walks behind ReadPictureLayout(), one per format. Each
// fills `layout` (format, size, essentials, details) and returns whether
// the structure is sound.

#include "imaging/PictureLayout.h"

namespace tavrel {

class LayoutReader;

bool WalkPng(LayoutReader& in, PictureLayout& layout);
bool WalkJpeg(LayoutReader& in, PictureLayout& layout);
bool WalkBmp(LayoutReader& in, PictureLayout& layout);
bool WalkGif(LayoutReader& in, PictureLayout& layout);
bool WalkPnm(LayoutReader& in, PictureLayout& layout);
bool WalkWebp(LayoutReader& in, PictureLayout& layout);
bool WalkTiff(LayoutReader& in, PictureLayout& layout);
bool WalkSvg(LayoutReader& in, PictureLayout& layout);

// Whether the text starts as an SVG drawing may: after an optional byte
// order mark and white space, an XML declaration, comment, document type
// or the <svg> element itself.
bool LooksLikeSvgStart(const QByteArray& first);

// Adds a range, joining it to the last one when they touch.
void AppendRange(ByteRanges& ranges, qint64 offset, qint64 length);

} // namespace tavrel
