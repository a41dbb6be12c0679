#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tavrel {

// A JPEG decoded at a reduced size for a conversion to `target`: libjpeg
// scales by 1/2, 1/4 or 1/8 while decoding, choosing the strongest
// reduction that still leaves at least the target's size. At 1/8 every
// 8 x 8 block becomes one pixel, which needs nothing but the block's DC
// coefficient, so a progressive file is decoded from its DC scans alone;
// the skipped AC scans hold most of its data and would change no pixel.
//
// False when this build has no libjpeg or the file is one that libjpeg
// cannot turn into RGB (CMYK): the caller then decodes another way. The
// data must already have passed JpegLooksComplete().
// `dcScansOnly` false decodes every scan (the same pixels, only slower).
bool DecodeJpegReduced(const QByteArray& data, QSize target, QImage& picture, bool dcScansOnly = true);

// The file with every AC scan of a progressive JPEG left out (headers and
// DC scans kept, then the end marker); empty when the structure cannot be
// followed.
QByteArray JpegWithoutAcScans(const QByteArray& data);

// The reduction (1, 2, 4 or 8) chosen for a width x height picture.
int JpegReductionFor(QSize source, QSize target);

} // namespace tavrel
