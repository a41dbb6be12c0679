// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureLayout.h"

#include <QImage>
#include <QSize>

class QIODevice;

namespace tavrel {

// What a caller needs of a picture.
struct DecodeRequest {
    enum class Part {
        Whole,    // every pixel
        TopLeft,  // the region of `region` from (0, 0), or less where the picture is smaller
        Reduced,  // the whole picture, to be stretched to `region`: smaller where the format decodes so
    };
    Part part = Part::Whole;
    QSize region;
};

// How a decoder of our own (libpng, libjpeg) fared; Unavailable when this
// build has none for the format and Qt's reader takes over.
enum class NativeDecode { Decoded, Failed, Unavailable };

// The most memory decoding the picture as asked takes: the pixels as the
// decoder delivers them, their conversion to 32 bits where that makes a
// copy, and the decoder's own large buffers (a progressive JPEG's
// coefficients, an animation's saved background).
qint64 DecodeBytesNeeded(const PictureLayout& layout, const DecodeRequest& request);

// Whether this build, on this system, decodes the layout's format: WebP and
// TIFF need Qt's plugins for them, SVG a build with Qt SVG.
bool CanDecodeFormat(const PictureLayout& layout);

// An SVG file's text, read whole for the drawing code; empty on failure.
QByteArray ReadSvgText(QIODevice& file, const PictureLayout& layout);

// Decodes the first `fileSize` bytes of `file`, whose walk gave `layout`
// (it must be sound), with libpng or libjpeg where this build has them and
// with Qt's reader for the format otherwise. Decoders read only the
// layout's essential ranges. The picture comes as Qt's readers deliver it
// (alpha not yet dropped); for TopLeft it may be wider or taller than asked.
bool DecodePicture(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture);

} // namespace tavrel
