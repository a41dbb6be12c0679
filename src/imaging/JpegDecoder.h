// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureDecoding.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tavrel {

// Whether this build decodes JPEG with libjpeg itself.
bool HaveJpegDecoder();

// Decodes a JPEG with libjpeg straight to RGB32: colour and grey as Qt's
// reader gives them, CMYK (and YCCK) as Qt converts it. libjpeg reads only
// the file's essential segments (PictureLayout::essentials). The picture and
// libjpeg's own buffers together may take `memoryLimit` bytes; libjpeg fails
// rather than take more.
//
// Reduced: libjpeg scales by 1/2, 1/4 or 1/8 while decoding, choosing the
// strongest reduction that still leaves at least the target's size. At 1/8
// every 8 x 8 block becomes one pixel, which needs nothing but the block's
// DC coefficient, so a progressive file is then decoded from its DC scans
// alone (PictureLayout::jpeg.dcScans); the skipped AC scans hold most of
// its data and would change no pixel.
// TopLeft: only the rows asked for are decoded, at full width.
NativeDecode DecodeJpeg(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request,
                        qint64 memoryLimit, QImage& picture);

// The same for a whole file in memory, at a reduced size for `target`;
// `dcScansOnly` false decodes every scan (the same pixels, only slower).
// False without libjpeg and for data that is not a sound JPEG.
bool DecodeJpegReduced(const QByteArray& data, QSize target, QImage& picture, bool dcScansOnly = true);

// The file with every AC scan of a progressive JPEG left out (headers and
// DC scans kept, then the end marker); empty when the structure cannot be
// followed.
QByteArray JpegWithoutAcScans(const QByteArray& data);

// The reduction (1, 2, 4 or 8) chosen for a width x height picture.
int JpegReductionFor(QSize source, QSize target);

} // namespace tavrel
