// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureLayout.h"

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <QBuffer>

namespace tavrel {

void AppendRange(ByteRanges& ranges, qint64 offset, qint64 length)
{
    if (length <= 0)
        return;
    if (!ranges.isEmpty() && ranges.last().offset + ranges.last().length == offset)
        ranges.last().length += length;
    else
        ranges.append({offset, length});
}

PictureFormat SniffPictureFormat(const QByteArray& first)
{
    if (first.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1a\n")))
        return PictureFormat::Png;
    if (first.startsWith(QByteArrayLiteral("\xFF\xD8\xFF")))
        return PictureFormat::Jpeg;
    if (first.startsWith("BM"))
        return PictureFormat::Bmp;
    if (first.startsWith("GIF87a") || first.startsWith("GIF89a"))
        return PictureFormat::Gif;
    if (first.size() >= 3 && first.at(0) == 'P' && first.at(1) >= '1' && first.at(1) <= '6'
        && QByteArrayLiteral(" \t\r\n#").contains(first.at(2)))
        return PictureFormat::Pnm;
    if (first.startsWith("RIFF") && first.mid(8, 4) == "WEBP")
        return PictureFormat::Webp;
    if (first.startsWith(QByteArrayLiteral("II*\0")) || first.startsWith(QByteArrayLiteral("MM\0*"))
        || first.startsWith(QByteArrayLiteral("II+\0")) || first.startsWith(QByteArrayLiteral("MM\0+")))
        return PictureFormat::Tiff;
    if (LooksLikeSvgStart(first))
        return PictureFormat::Svg;
    return PictureFormat::Unknown;
}

PictureLayout ReadPictureLayout(QIODevice& device, qint64 size)
{
    PictureLayout layout;
    layout.fileBytes = size;
    LayoutReader in(device, size);
    // Enough for every signature, and for white space before an SVG's
    // first tag.
    char first[64] = {};
    const qint64 got = qMin<qint64>(size, sizeof first);
    if (!in.read(0, first, got))
        return layout;
    layout.format = SniffPictureFormat(QByteArray(first, int(got)));
    switch (layout.format) {
    case PictureFormat::Png:
        layout.sound = WalkPng(in, layout);
        break;
    case PictureFormat::Jpeg:
        layout.sound = WalkJpeg(in, layout);
        break;
    case PictureFormat::Bmp:
        layout.sound = WalkBmp(in, layout);
        break;
    case PictureFormat::Gif:
        layout.sound = WalkGif(in, layout);
        break;
    case PictureFormat::Pnm:
        layout.sound = WalkPnm(in, layout);
        break;
    case PictureFormat::Webp:
        layout.sound = WalkWebp(in, layout);
        break;
    case PictureFormat::Tiff:
        layout.sound = WalkTiff(in, layout);
        break;
    case PictureFormat::Svg:
        layout.sound = WalkSvg(in, layout);
        break;
    case PictureFormat::Unknown:
        break;
    }
    // An SVG this build cannot draw, or that refers outside itself, has no
    // size: it is never given to the drawing code, and is refused for that.
    if (!layout.sound
        || (layout.size.isEmpty() && !layout.svg.needsRenderer && layout.externalReference.isEmpty())) {
        layout.sound = false;
        layout.essentials.clear();
        layout.essentialsEnd.clear();
        layout.jpeg.dcScans.clear();
    }
    return layout;
}

PictureLayout ReadPictureLayout(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return ReadPictureLayout(buffer, data.size());
}

namespace {

bool LooksComplete(const QByteArray& data, PictureFormat format)
{
    const PictureLayout layout = ReadPictureLayout(data);
    return layout.format == format && layout.sound;
}

} // namespace

bool JpegLooksComplete(const QByteArray& data)
{
    return LooksComplete(data, PictureFormat::Jpeg);
}

bool BmpLooksComplete(const QByteArray& data)
{
    return LooksComplete(data, PictureFormat::Bmp);
}

bool PngLooksComplete(const QByteArray& data)
{
    return LooksComplete(data, PictureFormat::Png);
}

} // namespace tavrel
