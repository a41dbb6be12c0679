// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureDecoding.h"

#include "imaging/JpegDecoder.h"
#include "imaging/PictureFile.h"
#include "imaging/PngDecoder.h"
#include "imaging/RangeDevice.h"
#include "imaging/SvgPicture.h"
#include "imaging/TiffDecoder.h"
#include "imaging/WebpDecoder.h"

#include <QImageReader>

#include <cmath>

namespace tavrel {

namespace {

// libtiff's buffers for one strip or tile, as stored and decoded: counted
// when they are large, as a picture stored in one strip makes them, and
// small beside the picture otherwise, as row buffers are.
qint64 TiffBuffers(const TiffDetails& tiff)
{
    const qint64 buffers = tiff.largestPiece + tiff.largestStored;
    return buffers > 16 * 1024 * 1024 ? buffers : 0;
}

// Bytes per pixel of the picture Qt's TIFF reader delivers: one-bit,
// palette and grey pictures as they are stored, 16-bit colour in 64 bits,
// everything else in 32.
double TiffBytesPerPixel(const TiffDetails& tiff)
{
    const bool grey = tiff.photometric <= 1 && tiff.samplesPerPixel == 1;
    if (grey && tiff.bitsPerSample == 1)
        return 1.0 / 8;
    if ((grey || tiff.photometric == 3) && tiff.bitsPerSample <= 8)
        return 1;
    if (grey)
        return 2;
    return tiff.bitsPerSample == 16 ? 8 : 4;
}

// Bytes per pixel of the picture Qt's reader for the format delivers
// (JPEG, which Qt's reader clips and scales while decoding, is counted
// apart).
double QtBytesPerPixel(const PictureLayout& layout)
{
    switch (layout.format) {
    case PictureFormat::Png:
        // 64-bit colour; a palette or grey is widened where it has transparency.
        return layout.png.bitDepth == 16 ? 8 : 4;
    case PictureFormat::Bmp:
        return layout.bmp.bitsPerPixel <= 8 ? 1 : 4;
    case PictureFormat::Gif:
        return layout.gif.restoresPrevious ? 8 : 4;  // the frame, and what it covers
    case PictureFormat::Pnm:
        if (layout.pnm.kind == 1 || layout.pnm.kind == 4)
            return 1.0 / 8;
        return (layout.pnm.kind == 2 || layout.pnm.kind == 5) ? 1 : 4;
    case PictureFormat::Tiff:
        return TiffBytesPerPixel(layout.tiff);
    case PictureFormat::Webp:
    case PictureFormat::Svg:
        return 4;
    case PictureFormat::Jpeg:
    case PictureFormat::Unknown:
        break;
    }
    return 8;
}

// Whether Qt's reader delivers 32-bit pixels, which need no converting copy.
bool QtDelivers32Bits(const PictureLayout& layout)
{
    switch (layout.format) {
    case PictureFormat::Png:
        return layout.png.bitDepth == 8 && (layout.png.colourType == 2 || layout.png.colourType >= 4);
    case PictureFormat::Bmp:
        return layout.bmp.bitsPerPixel > 8;
    case PictureFormat::Gif:
        return true;
    case PictureFormat::Pnm:
        return layout.pnm.kind == 3 || layout.pnm.kind == 6;
    case PictureFormat::Tiff:
        return TiffBytesPerPixel(layout.tiff) == 4 && layout.tiff.photometric == 2;
    case PictureFormat::Webp:
    case PictureFormat::Svg:
        return true;
    case PictureFormat::Jpeg:
    case PictureFormat::Unknown:
        break;
    }
    return false;
}

// Only the large allocations count: the pixels, their converted copy and
// whole-picture buffers. Row buffers and tables are small beside them.
qint64 QtBytesNeeded(const PictureLayout& layout, const DecodeRequest& request)
{
    const qint64 width = layout.size.width();
    const qint64 height = layout.size.height();
    const qint64 pixels = width * height;
    if (layout.format == PictureFormat::Jpeg) {
        // Qt's JPEG reader clips and scales while decoding.
        qint64 delivered = pixels;
        if (request.part == DecodeRequest::Part::TopLeft) {
            delivered = width * qMin<qint64>(height, request.region.height());
        } else if (request.part == DecodeRequest::Part::Reduced) {
            const qint64 reduction = JpegReductionFor(layout.size, request.region);
            delivered = ((width + reduction - 1) / reduction) * ((height + reduction - 1) / reduction);
        }
        return delivered * (layout.jpeg.components == 1 ? 1 + 4 : 4)
            + (layout.jpeg.buffered ? layout.jpeg.coefficientBytes : 0);
    }
    if (layout.format == PictureFormat::Svg) {
        // The drawing code's copies of the text and its elements, the
        // pictures embedded in it, and the picture drawn at the size asked.
        const QSize drawn = SvgTargetSize(layout.size, request);
        return 8 * layout.fileBytes + 512 * layout.svg.nodes + layout.svg.embeddedBytes
            + 4 * qint64(drawn.width()) * drawn.height();
    }
    qint64 bytes = qint64(std::ceil(QtBytesPerPixel(layout) * double(pixels)));
    // A clipped picture is copied small before it is converted.
    if (!QtDelivers32Bits(layout) && request.part != DecodeRequest::Part::TopLeft)
        bytes += pixels * 4;
    if (layout.format == PictureFormat::Webp) {
        // Qt's reader holds the whole file; libwebp decodes a lossless
        // frame into a buffer of its own and an alpha channel into a plane
        // of its own; an animation's frames are drawn onto a canvas.
        const qint64 frame = qint64(layout.webp.firstFrame.width()) * layout.webp.firstFrame.height();
        bytes += layout.fileBytes + (layout.webp.lossless ? 4 * frame : layout.webp.alpha ? frame : 0)
            + (layout.webp.animated ? 4 * frame : 0);
    } else if (layout.format == PictureFormat::Tiff) {
        bytes += TiffBuffers(layout.tiff);
    }
    return bytes;
}

qint64 NativeBytesNeeded(const PictureLayout& layout, const DecodeRequest& request)
{
    const qint64 width = layout.size.width();
    const qint64 height = layout.size.height();
    qint64 rows = height;
    qint64 columns = width;
    if (request.part == DecodeRequest::Part::TopLeft && !(layout.format == PictureFormat::Png && layout.png.interlaced))
        rows = qMin<qint64>(height, request.region.height());
    if (layout.format == PictureFormat::Jpeg && request.part == DecodeRequest::Part::Reduced) {
        const qint64 reduction = JpegReductionFor(layout.size, request.region);
        columns = (width + reduction - 1) / reduction;
        rows = (height + reduction - 1) / reduction;
    }
    if (layout.format == PictureFormat::Webp && request.part == DecodeRequest::Part::Reduced) {
        columns = qMin<qint64>(width, request.region.width());
        rows = qMin<qint64>(height, request.region.height());
    }
    if (layout.format == PictureFormat::Webp && request.part == DecodeRequest::Part::TopLeft)
        rows = height;
    qint64 bytes = columns * rows * 4;
    if (layout.format == PictureFormat::Jpeg && layout.jpeg.buffered)
        bytes += layout.jpeg.coefficientBytes;
    if (layout.format == PictureFormat::Tiff) {
        // The whole picture (TIFF is not decoded in part), and libtiff's
        // buffers for one strip or tile, as stored and decoded.
        bytes = width * height * 4 + TiffBuffers(layout.tiff);
    }
    if (layout.format == PictureFormat::Webp) {
        // The file, held whole; a lossless picture's own buffer of the
        // whole picture, or a lossy one's alpha plane.
        const qint64 pixels = width * height;
        bytes += layout.fileBytes + (layout.webp.lossless ? 4 * pixels : layout.webp.alpha ? pixels : 0);
    }
    return bytes;
}

bool Native(const PictureLayout& layout)
{
    return (layout.format == PictureFormat::Png && HavePngDecoder())
        || (layout.format == PictureFormat::Jpeg && HaveJpegDecoder())
        || (layout.format == PictureFormat::Webp && HaveWebpDecoder() && !layout.webp.animated)
        || (layout.format == PictureFormat::Tiff && HaveTiffDecoder());
}

QByteArray QtFormatName(const PictureLayout& layout)
{
    switch (layout.format) {
    case PictureFormat::Png:
        return "png";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Pnm:
        if (layout.pnm.kind == 1 || layout.pnm.kind == 4)
            return "pbm";
        return (layout.pnm.kind == 2 || layout.pnm.kind == 5) ? "pgm" : "ppm";
    case PictureFormat::Webp:
        return "webp";
    case PictureFormat::Tiff:
        return "tiff";
    case PictureFormat::Svg:
    case PictureFormat::Unknown:
        break;
    }
    return QByteArray();
}

bool DecodeWithQt(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture)
{
    RangeDevice stream(file, layout.essentials, layout.essentialsEnd);
    QImageReader reader(&stream, QtFormatName(layout));
    // Only the reader for the format the walk found, never one guessed.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(int(kMaxPictureDecodeBytes / (1024 * 1024)));
    // Only the JPEG reader clips while decoding; the others would decode
    // everything and copy the clip, padding it where the picture they find
    // is smaller than the header said. The caller crops instead.
    if (request.part == DecodeRequest::Part::TopLeft && layout.format == PictureFormat::Jpeg)
        reader.setClipRect(QRect(QPoint(0, 0), request.region.boundedTo(layout.size)));
    if (request.part == DecodeRequest::Part::Reduced && layout.format == PictureFormat::Jpeg) {
        const int reduction = JpegReductionFor(layout.size, request.region);
        reader.setScaledSize(QSize((layout.size.width() + reduction - 1) / reduction,
                                   (layout.size.height() + reduction - 1) / reduction));
    }
    return reader.read(&picture) && !picture.isNull();
}

} // namespace

QByteArray ReadSvgText(QIODevice& file, const PictureLayout& layout)
{
    if (layout.format != PictureFormat::Svg || layout.fileBytes > kMaxSvgFileBytes || !file.seek(0))
        return QByteArray();
    const QByteArray text = file.read(layout.fileBytes);
    return text.size() == layout.fileBytes ? text : QByteArray();
}

qint64 DecodeBytesNeeded(const PictureLayout& layout, const DecodeRequest& request)
{
    return Native(layout) ? NativeBytesNeeded(layout, request) : QtBytesNeeded(layout, request);
}

bool CanDecodeFormat(const PictureLayout& layout)
{
    switch (layout.format) {
    case PictureFormat::Webp:
    case PictureFormat::Tiff: {
        // Qt's plugins for these are a package of their own, which a system
        // may lack; asked once.
        static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        return formats.contains(QtFormatName(layout));
    }
    case PictureFormat::Svg:
        return HaveSvgRenderer();
    default:
        return layout.format != PictureFormat::Unknown;
    }
}

bool DecodePicture(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture)
{
    picture = QImage();
    if (!layout.sound)
        return false;
    if (layout.format == PictureFormat::Svg) {
        const QByteArray text = ReadSvgText(file, layout);
        return !text.isEmpty() && RenderSvg(text, layout.size, request, picture);
    }
    NativeDecode native = NativeDecode::Unavailable;
    if (layout.format == PictureFormat::Png)
        native = DecodePng(file, layout, request, picture);
    else if (layout.format == PictureFormat::Jpeg)
        native = DecodeJpeg(file, layout, request, kMaxPictureDecodeBytes, picture);
    else if (layout.format == PictureFormat::Webp)
        native = DecodeWebp(file, layout, request, picture);
    else if (layout.format == PictureFormat::Tiff)
        native = DecodeTiff(file, layout, picture);
    if (native != NativeDecode::Unavailable)
        return native == NativeDecode::Decoded;
    return DecodeWithQt(file, layout, request, picture);
}

} // namespace tavrel
