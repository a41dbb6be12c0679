// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>
#include <QVector>

class QIODevice;

namespace tavrel {

// The picture formats this program decodes, told apart by their first bytes
// (never by the file's name). Every other format, including those for which
// Qt has a reader (ICO, XPM, XBM, TGA ...), is refused: no reader is given a
// file whose structure has not been walked first.
enum class PictureFormat { Unknown, Png, Jpeg, Bmp, Gif, Pnm, Webp, Tiff, Svg };

struct ByteRange {
    qint64 offset = 0;
    qint64 length = 0;
};
using ByteRanges = QVector<ByteRange>;

struct PngDetails {
    int bitDepth = 0;
    int colourType = 0;
    bool interlaced = false;
};

struct JpegDetails {
    int components = 0;
    // Progressive, or sequential in several scans: libjpeg then keeps every
    // coefficient of the whole picture until the last scan.
    bool buffered = false;
    bool progressive = false;
    qint64 coefficientBytes = 0;  // what those buffers take
    // The essential ranges without the progressive scans of AC coefficients.
    ByteRanges dcScans;
};

struct BmpDetails {
    int bitsPerPixel = 0;
    int compression = 0;
    bool topDown = false;
};

struct GifDetails {
    bool restoresPrevious = false;  // some frame is disposed of by restoring what was there
};

struct PnmDetails {
    int kind = 0;  // the digit after "P": 1..3 text, 4..6 binary
    int maxValue = 1;
};

struct WebpDetails {
    bool lossless = false;   // the first frame is VP8L
    bool alpha = false;      // the first frame has an alpha channel
    bool animated = false;   // frames are drawn onto a canvas of `size`
    QSize firstFrame;        // the first frame's own size
};

struct TiffDetails {
    int bitsPerSample = 0;
    int samplesPerPixel = 0;
    int photometric = 0;     // 0, 1 grey; 2 RGB; 3 palette; 5 CMYK; 6 YCbCr
    int compression = 1;
    bool tiled = false;
    qint64 largestPiece = 0;     // bytes of the largest strip or tile, decoded
    qint64 largestStored = 0;    // bytes of the largest strip or tile in the file
    qint64 decodedBytes = 0;     // all strips or tiles together, decoded
};

// SVG: checked as XML (bounded entity expansion, no reference outside the
// file); the size is what the drawing says of itself.
struct SvgDetails {
    qint64 nodes = 0;            // elements in the file
    qint64 elements = 0;         // elements drawn, each <use> counted with what it repeats
    qint64 embeddedBytes = 0;    // what decoding its embedded pictures takes
    bool needsRenderer = false;  // sound as XML, but this build cannot draw SVG
};

// What a walk through a picture file's structure found. The walk reads
// headers, lengths and counts only and allocates nothing that a header
// claims; it runs before any decoder sees the file.
struct PictureLayout {
    PictureFormat format = PictureFormat::Unknown;
    qint64 fileBytes = 0;  // the picture's bytes, the walked file
    // Every part the headers announce is in the file, every length and
    // offset stays inside it, every field has a value the decoders take.
    bool sound = false;
    QSize size;  // in pixels; a top-down bitmap's height is positive here
    // The parts of the file a decoder is given, in order: chunks and
    // segments that only describe the picture (texts, colour profiles,
    // comments, thumbnails) are left out, so no decoder allocates what they
    // claim.
    ByteRanges essentials;
    // Bytes made here that follow the essential ranges: the ending of a
    // file that the decoder is given only in part (a GIF after its first
    // frame, or after the data that fills it).
    QByteArray essentialsEnd;

    PngDetails png;
    JpegDetails jpeg;
    BmpDetails bmp;
    GifDetails gif;
    PnmDetails pnm;
    WebpDetails webp;
    TiffDetails tiff;
    SvgDetails svg;
    // A sound file that names something outside itself for the decoder to
    // load (an SVG's picture from another file or address): refused.
    QString externalReference;
};

// The format whose signature the file starts with.
PictureFormat SniffPictureFormat(const QByteArray& firstBytes);

// Walks the first `size` bytes of the device.
PictureLayout ReadPictureLayout(QIODevice& device, qint64 size);
PictureLayout ReadPictureLayout(const QByteArray& data);

// Whether the file's structure is sound, for files of one format: a JPEG
// reaches its end-of-image marker through whole segments; a BMP holds all
// the pixel rows (or run-length codes) its header announces; a PNG consists
// of whole chunks with correct checksums up to its IEND chunk.
bool JpegLooksComplete(const QByteArray& data);
bool BmpLooksComplete(const QByteArray& data);
bool PngLooksComplete(const QByteArray& data);

} // namespace tavrel
