// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture files made byte by byte, so that every field can be given any
// value, including values no encoder writes; and a corpus of hostile files
// made from them (truncations, lying headers, random damage) with fixed
// seeds.

#include <QByteArray>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QVector>

namespace tavrel::testing {

// Deterministic pseudo-random numbers (xorshift32): the same seed gives the
// same corpus on every machine.
class Random {
public:
    explicit Random(quint32 seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    quint32 next();
    int below(int n) { return n > 0 ? int(next() % quint32(n)) : 0; }

private:
    quint32 m_state;
};

// The colour every generated picture has at (x, y): all pixels differ
// within 64 x 64, so that crops, orders and row directions show.
QRgb PatternPixel(int x, int y);

// A PNG chunk: length, type, data, CRC.
QByteArray PngChunk(const QByteArray& type, const QByteArray& data);
quint32 PngCrc(const QByteArray& bytes);
// The PNG with its first chunk of that type replaced by `chunk`.
QByteArray ReplacedChunk(const QByteArray& png, const QByteArray& type, const QByteArray& chunk);

struct PngOptions {
    int width = 16;
    int height = 12;
    int bitDepth = 8;
    int colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool interlaced = false;
    bool transparency = false;       // a tRNS chunk (palette, grey and RGB only)
    QVector<QByteArray> extraChunks;  // whole chunks, placed after IHDR
    bool zeroPixels = false;          // all samples 0: compresses to almost nothing
};
QByteArray MakePng(const PngOptions& shape);
// A small sound PNG whose header claims another size (its data does not
// match it, which only a decoder would notice).
QByteArray PngClaiming(QSize size);

struct BmpOptions {
    int width = 13;
    int height = 7;
    int bitsPerPixel = 24;
    bool topDown = false;
    bool runLength = false;  // RLE8 for 8 bits, RLE4 for 4 bits
    int headerSize = 40;     // 12 (OS/2), 40, 108 or 124
};
QByteArray MakeBmp(const BmpOptions& shape);

struct GifOptions {
    int screenWidth = 10;
    int screenHeight = 8;
    int frames = 1;
    QSize frameSize;  // empty: the screen's
    bool transparency = false;
    int disposal = 0;
    bool trailer = true;
};
QByteArray MakeGif(const GifOptions& shape);

// Qt's writer, at the given quality; grey writes an 8-bit grey JPEG.
QByteArray MakeJpeg(QSize size, bool progressive, bool grey = false, int quality = 90);
// A CMYK JPEG as Adobe's programs write it (inverted, with the Adobe
// marker), made with libjpeg; empty when the tests are built without it.
QByteArray MakeCmykJpeg(QSize size);
bool CanMakeCmykJpeg();

// PBM, PGM or PPM of the given kind (1..6).
QByteArray MakePnm(int kind, int width, int height, int maxValue = 255);

// WebP by Qt's writer: lossless (at quality 100) or lossy, with the pattern
// in alpha too when `alpha`.
QByteArray MakeWebp(QSize size, bool lossless, bool alpha = false);
// An animated WebP: a `frame`-sized first frame at (2, 2) of a canvas, then
// a second frame, around the bitstream of a still made by Qt's writer.
QByteArray MakeAnimatedWebp(QSize canvas, QSize frame);

struct TiffOptions {
    int width = 13;
    int height = 7;
    int bitsPerSample = 8;  // 1, 8 or 16
    int samples = 3;        // 1 grey or palette, 3 RGB
    int photometric = 2;    // 1 grey, 2 RGB, 3 palette
    bool tiled = false;     // 16 x 16 tiles instead of strips
    int rowsPerStrip = 2;
    int compression = 1;    // 1 none, 5 LZW (one literal code per byte), 8 Deflate
    bool bigEndian = false;
};
QByteArray MakeTiff(const TiffOptions& shape);
// The colour MakeTiff's picture has at (x, y) as a decoder shows it.
QRgb TiffPixel(const TiffOptions& shape, int x, int y);

// An SVG drawing of `size` whose body is `body` (a red rectangle over the
// top-left quarter and a blue one over the rest of the top half, when empty).
QByteArray MakeSvg(QSize size, const QByteArray& body = QByteArray());

// Decompression bombs: a few hundred kilobytes to a few megabytes of data
// that expand to far more than the picture holding them (1 x 1 pixels)
// needs. `megabytes` is roughly what the data expands to.
QByteArray GifLzwBomb(int megabytes);
QByteArray PngIdatBomb(int megabytes);
QByteArray TiffBomb(int compression, int megabytes);

// One file of the hostile corpus and what must come of it.
struct PictureCase {
    enum class Expect {
        Picture,  // a sound file: it decodes, at `size`
        Refused,  // a file that must not decode
        Either,   // damaged at random: a picture or a clear refusal
    };
    QString name;
    QByteArray bytes;
    Expect expect = Expect::Either;
    QSize size;
};

// Sound files of every format and kind, each cut at many points, files
// with lying headers, and `mutantsPerFile` randomly damaged copies of each
// sound file, all from `seed`. Every case is small; the whole corpus
// decodes in well under a second.
QVector<PictureCase> HostilePictureCorpus(quint32 seed, int mutantsPerFile);

} // namespace tavrel::testing
