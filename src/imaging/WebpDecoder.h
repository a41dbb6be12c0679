// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureDecoding.h"

namespace tavrel {

// Whether this build decodes WebP with libwebp itself (still pictures;
// animations go to Qt's reader, which draws the first frame on its canvas).
bool HaveWebpDecoder();

// Decodes a still WebP with libwebp: whole, to 32 bits with alpha as Qt's
// reader gives it, or for Reduced straight at the size asked for (libwebp
// scales while it decodes, and for a strong reduction skips the smoothing
// that no pixel would show), so that a large photo is never held whole.
NativeDecode DecodeWebp(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture);

} // namespace tavrel
