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
