// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureBytes.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#ifdef TAVREL_TEST_HAVE_LIBJPEG
#include <cstdio>
#include <jpeglib.h>
#include <vector>
#endif

namespace tavrel::testing {

namespace {

void Be16(QByteArray& out, int v)
{
    out.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
}

void Be32(QByteArray& out, quint32 v)
{
    Be16(out, int(v >> 16));
    Be16(out, int(v & 0xFFFF));
}

void Le16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void Le32(QByteArray& out, quint32 v)
{
    Le16(out, int(v & 0xFFFF));
    Le16(out, int(v >> 16));
}

void PutLe32(QByteArray& bytes, int at, quint32 v)
{
    qToLittleEndian(v, bytes.data() + at);
}

int Grey(QRgb c)
{
    return (qRed(c) + qGreen(c) + qBlue(c)) / 3;
}

// Packs samples of `bits` bits (1, 2, 4, 8 or 16) into bytes, big-endian
// and most significant bit first, as PNG and the portable formats store them.
class BitPacker {
public:
    explicit BitPacker(int bits) : m_bits(bits) {}
    void add(int sample)
    {
        if (m_bits == 16) {
            Be16(m_bytes, sample);
            return;
        }
        m_pending = (m_pending << m_bits) | (sample & ((1 << m_bits) - 1));
        m_count += m_bits;
        if (m_count == 8) {
            m_bytes.append(char(m_pending));
            m_pending = 0;
            m_count = 0;
        }
    }
    QByteArray finish()
    {
        if (m_count > 0)
            m_bytes.append(char(m_pending << (8 - m_count)));
        m_pending = 0;
        m_count = 0;
        QByteArray out;
        out.swap(m_bytes);
        return out;
    }

private:
    int m_bits;
    int m_pending = 0;
    int m_count = 0;
    QByteArray m_bytes;
};

// One scan line of the PNG's samples for the given pixels of row y.
QByteArray PngRow(const PngOptions& shape, int y, int x0, int dx)
{
    BitPacker row(shape.bitDepth);
    const int maxSample = (1 << shape.bitDepth) - 1;
    for (int x = x0; x < shape.width; x += dx) {
        const QRgb c = PatternPixel(x, y);
        const int low = (x * 37 + y * 11) & 0xFF;  // what 16 bits add below 8
        auto sample = [&](int v8) {
            if (shape.zeroPixels)
                return 0;
            if (shape.bitDepth == 16)
                return (v8 << 8) | low;
            return v8 * maxSample / 255;
        };
        const int alpha = (x * 40 + y * 20) & 0xFF;
        switch (shape.colourType) {
        case 0:
            row.add(sample(Grey(c)));
            break;
        case 2:
            row.add(sample(qRed(c)));
            row.add(sample(qGreen(c)));
            row.add(sample(qBlue(c)));
            break;
        case 3:
            row.add(shape.zeroPixels ? 0 : (x + 3 * y) % qMin(256, 1 << shape.bitDepth));
            break;
        case 4:
            row.add(sample(Grey(c)));
            row.add(sample(alpha));
            break;
        case 6:
            row.add(sample(qRed(c)));
            row.add(sample(qGreen(c)));
            row.add(sample(qBlue(c)));
            row.add(sample(alpha));
            break;
        }
    }
    return QByteArray(1, '\0') + row.finish();  // filter type 0
}

QByteArray ZlibStream(const QByteArray& raw)
{
    // qCompress puts the uncompressed length in front of the zlib stream.
    return qCompress(raw).mid(4);
}

} // namespace

quint32 Random::next()
{
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

QRgb PatternPixel(int x, int y)
{
    return qRgb((x * 4 + y) & 0xFF, (y * 4 + x / 16) & 0xFF, (x * 7 + y * 13 + 50) & 0xFF);
}

quint32 PngCrc(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray chunk;
    Be32(chunk, quint32(data.size()));
    chunk += type + data;
    Be32(chunk, PngCrc(type + data));
    return chunk;
}

QByteArray MakePng(const PngOptions& shape)
{
    QByteArray header;
    Be32(header, quint32(shape.width));
    Be32(header, quint32(shape.height));
    header.append(char(shape.bitDepth)).append(char(shape.colourType)).append('\0').append('\0');
    header.append(char(shape.interlaced ? 1 : 0));

    QByteArray raw;
    if (shape.zeroPixels && !shape.interlaced) {
        const qint64 bitsPerRow = qint64(shape.width) * shape.bitDepth
            * (shape.colourType == 2 ? 3 : shape.colourType == 6 ? 4 : shape.colourType == 4 ? 2 : 1);
        raw = QByteArray(int((1 + (bitsPerRow + 7) / 8) * shape.height), '\0');
    } else if (shape.interlaced) {
        // Adam7: the starting column and row, and the steps, of each pass.
        static const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : passes) {
            if (p[0] >= shape.width || p[1] >= shape.height)
                continue;
            for (int y = p[1]; y < shape.height; y += p[3])
                raw += PngRow(shape, y, p[0], p[2]);
        }
    } else {
        for (int y = 0; y < shape.height; ++y)
            raw += PngRow(shape, y, 0, 1);
    }

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += PngChunk("IHDR", header);
    for (const QByteArray& chunk : shape.extraChunks)
        png += chunk;
    const int entries = qMin(256, 1 << qMin(shape.bitDepth, 8));
    if (shape.colourType == 3) {
        QByteArray palette;
        for (int i = 0; i < entries; ++i) {
            const QRgb c = PatternPixel(i * 5, i * 3);
            palette.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
        png += PngChunk("PLTE", palette);
    }
    if (shape.transparency) {
        QByteArray trns;
        if (shape.colourType == 3) {
            for (int i = 0; i < entries; ++i)
                trns.append(char((i * 17) & 0xFF));
        } else if (shape.colourType == 0) {
            Be16(trns, 0);
        } else {
            Be16(trns, 0);
            Be16(trns, 0);
            Be16(trns, 0);
        }
        png += PngChunk("tRNS", trns);
    }
    png += PngChunk("IDAT", ZlibStream(raw));
    png += PngChunk("IEND", QByteArray());
    return png;
}

QByteArray PngClaiming(QSize size)
{
    QByteArray png = MakePng(PngOptions());
    QByteArray header;
    Be32(header, quint32(size.width()));
    Be32(header, quint32(size.height()));
    header.append(char(8)).append(char(2)).append(QByteArray(3, '\0'));
    png.replace(8, 25, PngChunk("IHDR", header));
    return png;
}

QByteArray MakeBmp(const BmpOptions& shape)
{
    const int bits = shape.bitsPerPixel;
    const int colours = bits <= 8 ? (1 << bits) : 0;
    const bool core = shape.headerSize == 12;
    const int entryBytes = core ? 3 : 4;
    const int stride = ((shape.width * bits + 31) / 32) * 4;

    QByteArray pixels;
    for (int row = 0; row < shape.height; ++row) {
        const int y = shape.topDown ? row : shape.height - 1 - row;
        if (shape.runLength) {
            // Every pixel a run of one, then the end of the line.
            for (int x = 0; x < shape.width; ++x) {
                const int index = (x + 2 * y) % colours;
                pixels.append('\1').append(char(bits == 4 ? index << 4 : index));
            }
            pixels.append('\0').append('\0');
            continue;
        }
        QByteArray line;
        BitPacker packed(qMin(bits, 8));
        for (int x = 0; x < shape.width; ++x) {
            const QRgb c = PatternPixel(x, y);
            if (bits <= 8) {
                packed.add((x + 2 * y) % colours);
            } else if (bits == 16) {
                Le16(line, ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
            } else {
                line.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
                if (bits == 32)
                    line.append('\0');
            }
        }
        if (bits <= 8)
            line = packed.finish();
        line.resize(stride, '\0');
        pixels += line;
    }
    if (shape.runLength)
        pixels.append('\0').append('\1');

    QByteArray info;
    Le32(info, quint32(shape.headerSize));
    if (core) {
        Le16(info, shape.width);
        Le16(info, shape.height);
        Le16(info, 1);
        Le16(info, bits);
    } else {
        Le32(info, quint32(shape.width));
        Le32(info, quint32(shape.topDown ? -shape.height : shape.height));
        Le16(info, 1);
        Le16(info, bits);
        Le32(info, shape.runLength ? (bits == 8 ? 1 : 2) : 0);
        Le32(info, quint32(pixels.size()));
        Le32(info, 2835);
        Le32(info, 2835);
        Le32(info, 0);  // colours used: all
        Le32(info, 0);
        info.resize(shape.headerSize, '\0');
    }
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        const QRgb c = PatternPixel(i * 5, i * 3);
        palette.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (entryBytes == 4)
            palette.append('\0');
    }
    const int offset = 14 + info.size() + palette.size();
    QByteArray bmp("BM");
    Le32(bmp, quint32(offset + pixels.size()));
    Le32(bmp, 0);
    Le32(bmp, quint32(offset));
    return bmp + info + palette + pixels;
}

QByteArray MakeGif(const GifOptions& shape)
{
    constexpr int kCodeSize = 4;  // 16 colours
    constexpr int kClear = 1 << kCodeSize;
    constexpr int kEnd = kClear + 1;
    QByteArray gif("GIF89a");
    Le16(gif, shape.screenWidth);
    Le16(gif, shape.screenHeight);
    gif.append(char(0x80 | (kCodeSize - 1))).append('\0').append('\0');
    for (int i = 0; i < 16; ++i) {
        const QRgb c = PatternPixel(i * 9, i * 4);
        gif.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    const QSize frame = shape.frameSize.isEmpty() ? QSize(shape.screenWidth, shape.screenHeight) : shape.frameSize;
    for (int f = 0; f < shape.frames; ++f) {
        if (shape.transparency || shape.disposal) {
            gif.append("\x21\xF9\x04", 3);
            gif.append(char((shape.disposal << 2) | (shape.transparency ? 1 : 0)));
            gif.append("\x0A\x00\x03\x00", 4);  // 0.1 s; colour 3 transparent
        }
        gif.append('\x2C');
        Le16(gif, 0);
        Le16(gif, 0);
        Le16(gif, frame.width());
        Le16(gif, frame.height());
        gif.append('\0');
        gif.append(char(kCodeSize));
        // Every pixel as a code of its own after a clear code, so that the
        // codes keep one width: simple, and valid for every decoder.
        QByteArray data;
        quint32 pending = 0;
        int pendingBits = 0;
        auto put = [&](int code) {
            pending |= quint32(code) << pendingBits;
            pendingBits += kCodeSize + 1;
            while (pendingBits >= 8) {
                data.append(char(pending & 0xFF));
                pending >>= 8;
                pendingBits -= 8;
            }
        };
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                put(kClear);
                put((x + y + f) % 16);
            }
        put(kEnd);
        if (pendingBits > 0)
            data.append(char(pending & 0xFF));
        for (int at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            gif.append(char(block.size())).append(block);
        }
        gif.append('\0');
    }
    if (shape.trailer)
        gif.append('\x3B');
    return gif;
}

QByteArray MakeJpeg(QSize size, bool progressive, bool grey, int quality)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, PatternPixel(x, y));
    if (grey)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

#ifdef TAVREL_TEST_HAVE_LIBJPEG

bool CanMakeCmykJpeg()
{
    return true;
}

QByteArray MakeCmykJpeg(QSize size)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* memory = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &memory, &length);
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(size.width()) * 4);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = PatternPixel(x, y);
            row[size_t(x) * 4 + 0] = uchar(qRed(c));
            row[size_t(x) * 4 + 1] = uchar(qGreen(c));
            row[size_t(x) * 4 + 2] = uchar(qBlue(c));
            row[size_t(x) * 4 + 3] = uchar(255 - ((x * 3) & 0x7F));
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(memory), int(length));
    jpeg_destroy_compress(&info);
    free(memory);
    return bytes;
}

#else

bool CanMakeCmykJpeg()
{
    return false;
}

QByteArray MakeCmykJpeg(QSize)
{
    return QByteArray();
}

#endif

QByteArray MakePnm(int kind, int width, int height, int maxValue)
{
    const bool bitmap = kind == 1 || kind == 4;
    QByteArray pnm = "P" + QByteArray::number(kind) + "\n# made by the tests\n" + QByteArray::number(width) + " "
        + QByteArray::number(height) + "\n";
    if (!bitmap)
        pnm += QByteArray::number(maxValue) + "\n";
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    for (int y = 0; y < height; ++y) {
        BitPacker packed(1);
        for (int x = 0; x < width; ++x) {
            const QRgb c = PatternPixel(x, y);
            const int samples[3] = {qRed(c), qGreen(c), qBlue(c)};
            for (int i = 0; i < channels; ++i) {
                const int v8 = channels == 1 ? Grey(c) : samples[i];
                const int value = bitmap ? (v8 > 127 ? 1 : 0) : v8 * maxValue / 255;
                if (kind <= 3) {
                    pnm += QByteArray::number(value) + (x + 1 == width && i + 1 == channels ? "\n" : " ");
                } else if (kind == 4) {
                    packed.add(value);
                } else if (maxValue > 255) {
                    Be16(pnm, value);
                } else {
                    pnm.append(char(value));
                }
            }
        }
        if (kind == 4)
            pnm += packed.finish();
    }
    return pnm;
}

QByteArray ReplacedChunk(const QByteArray& png, const QByteArray& type, const QByteArray& chunk)
{
    const int at = png.indexOf(type) - 4;
    const int length = int(qFromBigEndian<quint32>(png.constData() + at));
    QByteArray out = png;
    out.replace(at, 12 + length, chunk);
    return out;
}

namespace {

using Expect = PictureCase::Expect;

// Rewrites the CRC of every PNG chunk whose length still fits the file, so
// that damage inside a chunk reaches the decoder instead of the checksum.
QByteArray WithFixedPngCrcs(QByteArray png)
{
    qint64 pos = 8;
    while (pos + 12 <= png.size()) {
        const qint64 length = qFromBigEndian<quint32>(png.constData() + pos);
        if (length > png.size() - pos - 12)
            break;
        const quint32 crc = PngCrc(png.mid(int(pos + 4), int(4 + length)));
        qToBigEndian(crc, png.data() + pos + 8 + length);
        pos += 12 + length;
    }
    return png;
}

QByteArray Mutated(const QByteArray& original, Random& random)
{
    QByteArray bytes = original;
    const int edits = 1 + random.below(4);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const int at = random.below(int(bytes.size()));
        switch (random.below(6)) {
        case 0:
            bytes[at] = char(bytes.at(at) ^ (1 << random.below(8)));
            break;
        case 1:
            bytes[at] = random.below(2) ? '\0' : '\xFF';
            break;
        case 2:
            bytes.insert(at, QByteArray(1 + random.below(8), char(random.next())));
            break;
        case 3:
            bytes.remove(at, 1 + random.below(16));
            break;
        case 4:
            bytes.insert(at, bytes.mid(random.below(int(bytes.size())), 1 + random.below(32)));
            break;
        default: {
            // A large number where a size or count may be.
            QByteArray big(4, '\0');
            qToBigEndian(quint32(random.next() | 0x00010000u), big.data());
            bytes.replace(at, qMin(4, int(bytes.size()) - at), big);
            break;
        }
        }
    }
    return bytes;
}

// Cut points spread over the whole file, the first bytes and the last ones.
QVector<int> CutPoints(int size)
{
    QVector<int> cuts;
    for (int cut : {0, 1, 2, 3, 5, 8, 13, 21, 33, 54, size / 4, size / 3, size / 2, 2 * size / 3, 3 * size / 4,
                    size - 13, size - 5, size - 2, size - 1})
        if (cut >= 0 && cut < size && !cuts.contains(cut))
            cuts << cut;
    return cuts;
}

void Add(QVector<PictureCase>& cases, const QString& name, const QByteArray& bytes, Expect expect,
         QSize size = QSize())
{
    PictureCase c;
    c.name = name;
    c.bytes = bytes;
    c.expect = expect;
    c.size = size;
    cases << c;
}

// The first segment with this marker, from its 0xFF.
int JpegSegment(const QByteArray& jpeg, quint8 marker)
{
    int pos = 2;
    while (pos + 4 <= jpeg.size() && quint8(jpeg.at(pos)) == 0xFF) {
        if (quint8(jpeg.at(pos + 1)) == marker)
            return pos;
        pos += 2 + qFromBigEndian<quint16>(jpeg.constData() + pos + 2);
    }
    return -1;
}

struct Sound {
    QString name;
    QByteArray bytes;
    QSize size;
    bool textFormat = false;  // PBM/PGM/PPM in text: a cut may still read
    int spareEnd = 0;         // bytes at the end without which the picture is still whole
};

QVector<Sound> SoundFiles()
{
    QVector<Sound> sound;
    auto png = [&sound](const QString& name, PngOptions shape) {
        sound << Sound{name, MakePng(shape), QSize(shape.width, shape.height)};
    };
    struct Kind {
        const char* name;
        int colourType;
        int depth;
        bool transparency;
    };
    for (const Kind& k : {Kind{"rgb8", 2, 8, false}, Kind{"rgb8 trns", 2, 8, true}, Kind{"rgba8", 6, 8, false},
                          Kind{"grey1", 0, 1, false}, Kind{"grey4", 0, 4, false}, Kind{"grey8", 0, 8, false},
                          Kind{"grey8 trns", 0, 8, true}, Kind{"grey16", 0, 16, false}, Kind{"ga8", 4, 8, false},
                          Kind{"ga16", 4, 16, false}, Kind{"rgb16", 2, 16, false}, Kind{"rgba16", 6, 16, false},
                          Kind{"palette1", 3, 1, false}, Kind{"palette4", 3, 4, false},
                          Kind{"palette8", 3, 8, false}, Kind{"palette8 trns", 3, 8, true}}) {
        PngOptions shape;
        shape.colourType = k.colourType;
        shape.bitDepth = k.depth;
        shape.transparency = k.transparency;
        png(QStringLiteral("png %1").arg(k.name), shape);
        shape.interlaced = true;
        shape.width = 11;
        shape.height = 9;
        png(QStringLiteral("png %1 interlaced").arg(k.name), shape);
    }
    {
        PngOptions shape;
        shape.width = 130;  // wider and taller than the panel
        shape.height = 70;
        png("png 130x70", shape);
        shape.extraChunks = {PngChunk("tEXt", "Comment\0made by the tests"),
                            PngChunk("zTXt", QByteArray("Bomb\0\0", 6) + ZlibStream(QByteArray(8 << 20, 'a'))),
                            PngChunk("iCCP", QByteArray("Profile\0\0", 9) + ZlibStream(QByteArray(4 << 20, '\0'))),
                            PngChunk("prVt", QByteArray(70000, 'p'))};
        png("png with texts, a profile and a private chunk", shape);
    }
    sound << Sound{"jpeg baseline", MakeJpeg(QSize(120, 80), false), QSize(120, 80)};
    sound << Sound{"jpeg progressive", MakeJpeg(QSize(120, 80), true), QSize(120, 80)};
    sound << Sound{"jpeg grey", MakeJpeg(QSize(50, 30), false, true), QSize(50, 30)};
    sound << Sound{"jpeg grey progressive", MakeJpeg(QSize(50, 30), true, true), QSize(50, 30)};
    if (CanMakeCmykJpeg())
        sound << Sound{"jpeg cmyk", MakeCmykJpeg(QSize(40, 24)), QSize(40, 24)};
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (bool topDown : {false, true}) {
            BmpOptions shape;
            shape.bitsPerPixel = bits;
            shape.topDown = topDown;
            sound << Sound{QStringLiteral("bmp %1 bits %2").arg(bits).arg(topDown ? "top-down" : "bottom-up"),
                           MakeBmp(shape), QSize(shape.width, shape.height)};
        }
    }
    for (int bits : {4, 8}) {
        BmpOptions shape;
        shape.bitsPerPixel = bits;
        shape.runLength = true;
        // The end-of-bitmap code after the last line's end.
        sound << Sound{QStringLiteral("bmp rle%1").arg(bits), MakeBmp(shape), QSize(shape.width, shape.height), false,
                       2};
    }
    for (int header : {12, 108, 124}) {
        BmpOptions shape;
        shape.headerSize = header;
        shape.bitsPerPixel = header == 12 ? 8 : 24;
        sound << Sound{QStringLiteral("bmp header %1").arg(header), MakeBmp(shape), QSize(shape.width, shape.height)};
    }
    {
        GifOptions shape;
        // The trailer.
        sound << Sound{"gif", MakeGif(shape), QSize(10, 8), false, 1};
        shape.transparency = true;
        shape.frames = 3;
        shape.disposal = 3;
        sound << Sound{"gif animated", MakeGif(shape), QSize(10, 8), false, 1};
        GifOptions noScreen;
        noScreen.screenWidth = 0;
        noScreen.screenHeight = 0;
        noScreen.frameSize = QSize(6, 5);
        sound << Sound{"gif without a screen size", MakeGif(noScreen), QSize(6, 5), false, 1};
    }
    for (int kind = 1; kind <= 6; ++kind)
        sound << Sound{QStringLiteral("pnm P%1").arg(kind), MakePnm(kind, 9, 7), QSize(9, 7), kind <= 3};
    sound << Sound{"pnm P5 16-bit", MakePnm(5, 9, 7, 65535), QSize(9, 7)};
    sound << Sound{"pnm P6 16-bit", MakePnm(6, 9, 7, 1000), QSize(9, 7)};
    return sound;
}

void AddLyingHeaders(QVector<PictureCase>& cases)
{
    const QByteArray png = MakePng(PngOptions());
    auto header = [](quint32 w, quint32 h, int depth, int colourType) {
        QByteArray ihdr;
        Be32(ihdr, w);
        Be32(ihdr, h);
        ihdr.append(char(depth)).append(char(colourType)).append(QByteArray(3, '\0'));
        return PngChunk("IHDR", ihdr);
    };
    Add(cases, "png claims 100000x100000", ReplacedChunk(png, "IHDR", header(100000, 100000, 8, 2)), Expect::Refused);
    Add(cases, "png claims 0 columns", ReplacedChunk(png, "IHDR", header(0, 12, 8, 2)), Expect::Refused);
    Add(cases, "png 16-bit palette", ReplacedChunk(png, "IHDR", header(16, 12, 16, 3)), Expect::Refused);
    Add(cases, "png colour type 5", ReplacedChunk(png, "IHDR", header(16, 12, 8, 5)), Expect::Refused);
    for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP"}) {
        // A chunk claiming two gigabytes in a file of a few hundred bytes.
        QByteArray lie = png;
        QByteArray chunk;
        Be32(chunk, 0x7FFFFFF0u);
        chunk += QByteArray(type) + "Comment" + QByteArray(1, '\0') + "hello" + QByteArray(4, '\0');
        lie.insert(33, chunk);
        Add(cases, QStringLiteral("png %1 claims 2 GB").arg(type), lie, Expect::Refused);
    }
    {
        PngOptions shape;
        shape.colourType = 3;
        QByteArray lie = MakePng(shape);
        lie = ReplacedChunk(lie, "PLTE", PngChunk("PLTE", QByteArray(3 * 300, '\x40')));
        Add(cases, "png palette of 300 colours", lie, Expect::Refused);
        shape.bitDepth = 8;
        QByteArray noPalette = MakePng(shape);
        const int at = noPalette.indexOf("PLTE") - 4;
        noPalette.remove(at, 12 + int(qFromBigEndian<quint32>(noPalette.constData() + at)));
        Add(cases, "png palette missing", noPalette, Expect::Refused);
    }
    {
        QByteArray bad = png;
        bad[bad.indexOf("IDAT") + 6] = char(bad.at(bad.indexOf("IDAT") + 6) ^ 0x10);
        Add(cases, "png wrong checksum", bad, Expect::Refused);
        QByteArray critical = png;
        critical.insert(33, PngChunk("ABCD", "x"));
        Add(cases, "png unknown critical chunk", critical, Expect::Refused);
        QByteArray twoData = png;
        twoData.insert(twoData.indexOf("IEND") - 4, PngChunk("tEXt", "a\0b") + PngChunk("IDAT", "x"));
        Add(cases, "png image data split by another chunk", twoData, Expect::Refused);
        Add(cases, "png garbage image data",
            ReplacedChunk(png, "IDAT", PngChunk("IDAT", QByteArray(300, '\x5A'))), Expect::Refused);
        Add(cases, "png too little image data",
            ReplacedChunk(png, "IDAT", PngChunk("IDAT", ZlibStream(QByteArray(20, '\0')))), Expect::Refused);
    }

    const QByteArray jpeg = MakeJpeg(QSize(40, 24), false);
    const int sof = JpegSegment(jpeg, 0xC0);
    {
        QByteArray huge = jpeg;
        qToBigEndian<quint16>(65535, huge.data() + sof + 5);
        qToBigEndian<quint16>(65535, huge.data() + sof + 7);
        Add(cases, "jpeg claims 65535x65535", huge, Expect::Refused);
        QByteArray zero = jpeg;
        qToBigEndian<quint16>(0, zero.data() + sof + 7);
        Add(cases, "jpeg claims 0 columns", zero, Expect::Refused);
        QByteArray longSegment = jpeg;
        qToBigEndian<quint16>(0xFFF0, longSegment.data() + JpegSegment(jpeg, 0xDB) + 2);
        Add(cases, "jpeg segment longer than the file", longSegment, Expect::Refused);
        QByteArray noFrame = jpeg;
        noFrame.remove(sof, 2 + qFromBigEndian<quint16>(jpeg.constData() + sof + 2));
        Add(cases, "jpeg without a frame header", noFrame, Expect::Refused);
        // Progressive, 8000 x 8000, three full-size components: its
        // coefficients alone would take 384 MB.
        QByteArray coefficients = MakeJpeg(QSize(16, 16), true);
        const int progressive = JpegSegment(coefficients, 0xC2);
        qToBigEndian<quint16>(8000, coefficients.data() + progressive + 5);
        qToBigEndian<quint16>(8000, coefficients.data() + progressive + 7);
        for (int c = 0; c < 3; ++c)
            coefficients[progressive + 11 + 3 * c] = '\x11';
        Add(cases, "jpeg progressive 8000x8000 with tiny scans", coefficients, Expect::Refused);
        QByteArray comments = jpeg;
        QByteArray many;
        for (int i = 0; i < 10001; ++i)
            many.append("\xFF\xFE\x00\x02", 4);
        comments.insert(2, many);
        Add(cases, "jpeg with 10001 comments", comments, Expect::Refused);
        QByteArray big = jpeg;
        QByteArray comment("\xFF\xFE\xFF\xFF", 4);
        comment += QByteArray(0xFFFD, 'c');
        big.insert(2, comment + comment + comment);
        Add(cases, "jpeg with three 64 KB comments", big, Expect::Picture, QSize(40, 24));
    }

    const QByteArray bmp = MakeBmp(BmpOptions());
    auto bmpWith = [&bmp](int at, quint32 value) {
        QByteArray lie = bmp;
        PutLe32(lie, at, value);
        return lie;
    };
    Add(cases, "bmp claims 100000x100000", bmpWith(22, 100000), Expect::Refused);
    Add(cases, "bmp negative width", bmpWith(18, quint32(-13)), Expect::Refused);
    Add(cases, "bmp height INT_MIN", bmpWith(22, 0x80000000u), Expect::Refused);
    Add(cases, "bmp pixels past the end", bmpWith(10, 100000), Expect::Refused);
    Add(cases, "bmp pixels inside the header", bmpWith(10, 20), Expect::Refused);
    Add(cases, "bmp header size 77", bmpWith(14, 77), Expect::Refused);
    Add(cases, "bmp embedded jpeg", bmpWith(30, 4), Expect::Refused);
    {
        QByteArray bits = bmp;
        qToLittleEndian<quint16>(7, bits.data() + 28);
        Add(cases, "bmp 7 bits per pixel", bits, Expect::Refused);
        BmpOptions shape;
        shape.bitsPerPixel = 8;
        QByteArray palette = MakeBmp(shape);
        PutLe32(palette, 46, 1000);
        Add(cases, "bmp palette of 1000 colours", palette, Expect::Refused);
        PutLe32(palette, 46, 0x7FFFFFFF);
        Add(cases, "bmp palette of 2^31 colours", palette, Expect::Refused);
        shape.runLength = true;
        QByteArray rle = MakeBmp(shape);
        PutLe32(rle, 22, quint32(-7));
        Add(cases, "bmp run-length top-down", rle, Expect::Refused);
        // Runs that go past the row, a move past the picture.
        QByteArray wild = MakeBmp(shape);
        const int data = int(qFromLittleEndian<quint32>(wild.constData() + 10));
        wild.replace(data, 6, QByteArray("\xFF\x01\x00\x02\xFF\xFF", 6));
        Add(cases, "bmp run-length runs past the edges", wild, Expect::Either);
    }

    GifOptions gifOptions;
    {
        gifOptions.screenWidth = 65535;
        gifOptions.screenHeight = 65535;
        gifOptions.frameSize = QSize(2, 2);
        Add(cases, "gif screen 65535x65535", MakeGif(gifOptions), Expect::Refused);
        gifOptions = GifOptions();
        gifOptions.frameSize = QSize(3000, 3000);
        QByteArray frame = MakeGif(GifOptions());
        const int descriptor = frame.indexOf('\x2C', 6 + 7 + 48);
        qToLittleEndian<quint16>(3000, frame.data() + descriptor + 5);
        qToLittleEndian<quint16>(3000, frame.data() + descriptor + 7);
        Add(cases, "gif frame far larger than its screen", frame, Expect::Either);
        QByteArray zero = MakeGif(GifOptions());
        qToLittleEndian<quint16>(0, zero.data() + descriptor + 5);
        Add(cases, "gif frame of no pixels", zero, Expect::Refused);
        QByteArray codes = MakeGif(GifOptions());
        codes[descriptor + 10] = 12;
        Add(cases, "gif code size 12", codes, Expect::Refused);
        QByteArray block = MakeGif(GifOptions());
        block.insert(descriptor, '\x77');
        Add(cases, "gif unknown block", block, Expect::Refused);
        Add(cases, "gif without frames", QByteArray("GIF89a\x0A\x00\x08\x00\x00\x00\x00\x3B", 14), Expect::Refused);
    }

    Add(cases, "pnm claims 0 columns", "P6\n0 7\n255\n", Expect::Refused);
    Add(cases, "pnm maximum 0", "P5\n3 2\n0\n\1\2\3\4\5\6", Expect::Refused);
    Add(cases, "pnm maximum 70000", "P5\n3 2\n70000\n\1\2\3\4\5\6", Expect::Refused);
    Add(cases, "pnm claims 100000x100000", "P6\n100000 100000\n255\n\1\2\3", Expect::Refused);
    Add(cases, "pnm claims 12-digit width", "P5\n123456789012 1\n255\n\1", Expect::Refused);
    Add(cases, "pnm short data", "P5\n3 2\n255\n\1\2\3", Expect::Refused);
    Add(cases, "pnm text with letters", "P2\n2 2\n255\n1 x 3 4\n", Expect::Either);

    // Formats this program does not read, whatever Qt has readers for.
    Add(cases, "ico", QByteArray("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14) + QByteArray(80, '\0'), Expect::Refused);
    Add(cases, "xpm", "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n", Expect::Refused);
    Add(cases, "xbm", "#define x_width 1\n#define x_height 1\nstatic char x_bits[] = {0x01};\n", Expect::Refused);
    Add(cases, "svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>", Expect::Refused);
    Add(cases, "tiff", QByteArray("II*\0\x08\0\0\0", 8) + QByteArray(64, '\0'), Expect::Refused);
    Add(cases, "empty", QByteArray(), Expect::Refused);
}

} // namespace

QVector<PictureCase> HostilePictureCorpus(quint32 seed, int mutantsPerFile)
{
    QVector<PictureCase> cases;
    Random random(seed);
    for (const Sound& sound : SoundFiles()) {
        Add(cases, sound.name, sound.bytes, Expect::Picture, sound.size);
        for (int cut : CutPoints(int(sound.bytes.size()))) {
            // A GIF without its trailer, or a text file short of some
            // numbers, may still give a picture.
            const bool mayRead = sound.textFormat || cut >= sound.bytes.size() - sound.spareEnd;
            Add(cases, QStringLiteral("%1 cut at %2").arg(sound.name).arg(cut), sound.bytes.left(cut),
                mayRead ? Expect::Either : Expect::Refused);
        }
        const bool png = sound.bytes.startsWith("\x89PNG");
        for (int m = 0; m < mutantsPerFile; ++m) {
            QByteArray mutant = Mutated(sound.bytes, random);
            if (png && random.below(4) != 0)
                mutant = WithFixedPngCrcs(mutant);
            Add(cases, QStringLiteral("%1 mutant %2").arg(sound.name).arg(m), mutant, Expect::Either);
        }
    }
    AddLyingHeaders(cases);
    return cases;
}

} // namespace tavrel::testing
