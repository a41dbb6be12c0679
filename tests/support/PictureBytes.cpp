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

// Packs variable-width codes, least significant bit first (GIF) or most
// significant first (TIFF).
class CodeWriter {
public:
    explicit CodeWriter(bool msbFirst) : m_msbFirst(msbFirst) {}
    void put(int code, int width)
    {
        if (m_msbFirst) {
            m_pending = (m_pending << width) | quint64(code);
            m_bits += width;
            while (m_bits >= 8) {
                m_bytes.append(char((m_pending >> (m_bits - 8)) & 0xFF));
                m_bits -= 8;
            }
            m_pending &= (quint64(1) << m_bits) - 1;
        } else {
            m_pending |= quint64(code) << m_bits;
            m_bits += width;
            while (m_bits >= 8) {
                m_bytes.append(char(m_pending & 0xFF));
                m_pending >>= 8;
                m_bits -= 8;
            }
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.append(char(m_msbFirst ? (m_pending << (8 - m_bits)) & 0xFF : m_pending & 0xFF));
        m_bits = 0;
        m_pending = 0;
        return m_bytes;
    }

private:
    bool m_msbFirst;
    quint64 m_pending = 0;
    int m_bits = 0;
    QByteArray m_bytes;
};

// LZW codes for a long run of byte 0: after each clear, the symbol and then
// each newest table entry in turn, every one a string one longer than the
// last, until the table is full. `tiff` follows TIFF's variant (codes most
// significant bit first, each width one code early, the table two short).
QByteArray LzwRunOfZeros(qint64 cycles, int minimumCodeSize, bool tiff)
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    const int tableEnd = tiff ? 4093 : 4096;
    CodeWriter out(tiff);
    int width = minimumCodeSize + 1;
    int next = clear + 2;
    auto added = [&] {
        ++next;
        if (next >= (1 << width) - (tiff ? 1 : 0) && width < 12)
            ++width;
    };
    for (qint64 c = 0; c < cycles; ++c) {
        out.put(clear, width);
        width = minimumCodeSize + 1;
        next = clear + 2;
        out.put(0, width);
        for (int code = clear + 2; next < tableEnd; ++code) {
            out.put(code, width);
            added();
        }
    }
    out.put(end, width);
    return out.finish();
}

qint64 LzwCyclesFor(int megabytes)
{
    return qMax<qint64>(1, qint64(megabytes) * 1024 * 1024 / (7 * 1024 * 1024));
}

} // namespace

QByteArray MakeWebp(QSize size, bool lossless, bool alpha)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = PatternPixel(x, y);
            image.setPixel(x, y, alpha ? qRgba(qRed(c), qGreen(c), qBlue(c), 255 - ((x * 9) & 0x7F)) : c);
        }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "webp");
    writer.setQuality(lossless ? 100 : 80);
    writer.write(image);
    return bytes;
}

QByteArray MakeAnimatedWebp(QSize canvas, QSize frame)
{
    // The still's bitstream chunk ("VP8L" or "VP8 ", with its header).
    const QByteArray still = MakeWebp(frame, true);
    const QByteArray bitstream = still.mid(12);
    auto le24 = [](QByteArray& out, int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)).append(char((v >> 16) & 0xFF)); };
    auto chunk = [](const QByteArray& fourCc, const QByteArray& data) {
        QByteArray out = fourCc;
        Le32(out, quint32(data.size()));
        out += data;
        if (data.size() % 2)
            out.append('\0');
        return out;
    };
    QByteArray header;
    header.append(char(0x02 | 0x10)).append(QByteArray(3, '\0'));
    le24(header, canvas.width() - 1);
    le24(header, canvas.height() - 1);
    QByteArray animation;
    Le32(animation, 0xFF000000u);
    Le16(animation, 0);
    QByteArray body = chunk("VP8X", header) + chunk("ANIM", animation);
    for (int f = 0; f < 2; ++f) {
        QByteArray frameHeader;
        le24(frameHeader, 1);  // x / 2
        le24(frameHeader, 1);  // y / 2
        le24(frameHeader, frame.width() - 1);
        le24(frameHeader, frame.height() - 1);
        le24(frameHeader, 100);
        frameHeader.append('\0');
        body += chunk("ANMF", frameHeader + bitstream);
    }
    QByteArray riff("RIFF");
    Le32(riff, quint32(4 + body.size()));
    return riff + "WEBP" + body;
}

QRgb TiffPixel(const TiffOptions& shape, int x, int y)
{
    const QRgb c = PatternPixel(x, y);
    if (shape.photometric == 3)
        return PatternPixel(((x + 2 * y) % 256) * 5, ((x + 2 * y) % 256) * 3);
    if (shape.photometric == 1) {
        if (shape.bitsPerSample == 1)
            return Grey(c) > 127 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        return qRgb(Grey(c), Grey(c), Grey(c));
    }
    return c;
}

QByteArray MakeTiff(const TiffOptions& shape)
{
    const bool big = shape.bigEndian;
    auto u16 = [big](QByteArray& out, int v) { big ? Be16(out, v) : Le16(out, v); };
    auto u32 = [big](QByteArray& out, quint32 v) { big ? Be32(out, v) : Le32(out, v); };
    const int pieceWidth = shape.tiled ? 16 : shape.width;
    const int pieceRows = shape.tiled ? 16 : shape.rowsPerStrip;
    const int across = shape.tiled ? (shape.width + 15) / 16 : 1;
    const int down = (shape.height + pieceRows - 1) / pieceRows;
    QVector<QByteArray> pieces;
    for (int py = 0; py < down; ++py)
        for (int px = 0; px < across; ++px) {
            QByteArray raw;
            for (int y = py * pieceRows; y < (py + 1) * pieceRows && (shape.tiled || y < shape.height); ++y) {
                BitPacker row(shape.bitsPerSample == 1 ? 1 : 8);
                QByteArray wide;
                for (int x = px * pieceWidth; x < (px + 1) * pieceWidth; ++x) {
                    const bool inside = x < shape.width && y < shape.height;
                    const QRgb c = inside ? PatternPixel(x, y) : 0;
                    int samples[3] = {qRed(c), qGreen(c), qBlue(c)};
                    if (shape.photometric == 1)
                        samples[0] = Grey(c);
                    if (shape.photometric == 3)
                        samples[0] = inside ? (x + 2 * y) % 256 : 0;
                    for (int i = 0; i < shape.samples; ++i) {
                        if (shape.bitsPerSample == 1)
                            row.add(samples[0] > 127 ? 1 : 0);
                        else if (shape.bitsPerSample == 16)
                            u16(wide, samples[i] * 257);
                        else
                            row.add(samples[i]);
                    }
                }
                raw += shape.bitsPerSample == 16 ? wide : row.finish();
            }
            if (shape.compression == 8) {
                raw = ZlibStream(raw);
            } else if (shape.compression == 5) {
                // Each byte a code of its own, the table cleared before it
                // would widen the codes.
                CodeWriter codes(true);
                for (int i = 0; i < raw.size(); ++i) {
                    if (i % 200 == 0)
                        codes.put(256, 9);
                    codes.put(quint8(raw.at(i)), 9);
                }
                codes.put(257, 9);
                raw = codes.finish();
            }
            pieces << raw;
        }

    QByteArray file(big ? "MM" : "II");
    u16(file, 42);
    u32(file, 8);
    QVector<quint32> offsets;
    for (const QByteArray& piece : pieces) {
        offsets << quint32(file.size());
        file += piece;
        if (file.size() % 2)
            file.append('\0');
    }
    // Values longer than four bytes go after the directory.
    struct Field {
        int tag;
        int type;
        QVector<quint32> values;
    };
    QVector<Field> fields;
    fields.append({256, 4, {quint32(shape.width)}});
    fields.append({257, 4, {quint32(shape.height)}});
    fields.append({258, 3, QVector<quint32>(shape.samples, quint32(shape.bitsPerSample))});
    fields.append({259, 3, {quint32(shape.compression)}});
    fields.append({262, 3, {quint32(shape.photometric)}});
    if (!shape.tiled)
        fields.append({273, 4, offsets});
    fields.append({277, 3, {quint32(shape.samples)}});
    if (!shape.tiled)
        fields.append({278, 4, {quint32(shape.rowsPerStrip)}});
    QVector<quint32> counts;
    for (const QByteArray& piece : pieces)
        counts << quint32(piece.size());
    if (!shape.tiled)
        fields.append({279, 4, counts});
    if (shape.photometric == 3) {
        QVector<quint32> map(3 * 256);
        for (int i = 0; i < 256; ++i) {
            const QRgb c = PatternPixel(i * 5, i * 3);
            map[i] = quint32(qRed(c) * 257);
            map[256 + i] = quint32(qGreen(c) * 257);
            map[512 + i] = quint32(qBlue(c) * 257);
        }
        fields.append({320, 3, map});
    }
    if (shape.tiled) {
        fields.append({322, 3, {16}});
        fields.append({323, 3, {16}});
        fields.append({324, 4, offsets});
        fields.append({325, 4, counts});
    }
    const quint32 directory = quint32(file.size());
    quint32 extra = directory + 2 + 12 * quint32(fields.size()) + 4;
    QByteArray entries;
    QByteArray values;
    for (const Field& field : fields) {
        u16(entries, field.tag);
        u16(entries, field.type);
        u32(entries, quint32(field.values.size()));
        QByteArray data;
        for (const quint32 v : field.values)
            field.type == 3 ? u16(data, int(v)) : u32(data, v);
        if (data.size() <= 4) {
            if (field.type == 3 && field.values.size() == 1 && big)
                data.append(QByteArray(2, '\0'));  // a short sits in the field's first bytes
            entries += data.leftJustified(4, '\0');
        } else {
            u32(entries, extra + quint32(values.size()));
            values += data;
        }
    }
    u16(file, int(fields.size()));
    file += entries;
    u32(file, 0);
    file += values;
    // The directory's offset.
    QByteArray first;
    u32(first, directory);
    file.replace(4, 4, first);
    return file;
}

QByteArray MakeSvg(QSize size, const QByteArray& body)
{
    const QByteArray w = QByteArray::number(size.width());
    const QByteArray h = QByteArray::number(size.height());
    const QByteArray drawing = body.isEmpty()
        ? "<rect x=\"0\" y=\"0\" width=\"" + QByteArray::number(size.width() / 2) + "\" height=\""
            + QByteArray::number(size.height() / 2) + "\" fill=\"#ff0000\"/><rect x=\""
            + QByteArray::number(size.width() / 2) + "\" y=\"0\" width=\"" + QByteArray::number(size.width() / 2)
            + "\" height=\"" + QByteArray::number(size.height() / 2) + "\" fill=\"#0000ff\"/>"
        : body;
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
        + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">" + drawing + "</svg>\n";
}

QByteArray GifLzwBomb(int megabytes)
{
    GifOptions shape;
    shape.screenWidth = 1;
    shape.screenHeight = 1;
    QByteArray gif = MakeGif(shape);
    // The frame's data replaced by the run, with a code size of 2.
    const int descriptor = int(gif.indexOf('\x2C', 6 + 7 + 48));
    const QByteArray codes = LzwRunOfZeros(LzwCyclesFor(megabytes), 2, false);
    QByteArray data(1, char(2));
    for (int at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        data.append(char(block.size())).append(block);
    }
    data.append('\0');
    return gif.left(descriptor + 10) + data + "\x3B";
}

QByteArray PngIdatBomb(int megabytes)
{
    PngOptions shape;
    shape.width = 1;
    shape.height = 1;
    shape.colourType = 0;
    QByteArray png = MakePng(shape);
    return ReplacedChunk(png, "IDAT", PngChunk("IDAT", ZlibStream(QByteArray(megabytes * 1024 * 1024, '\0'))));
}

QByteArray TiffBomb(int compression, int megabytes)
{
    TiffOptions shape;
    shape.width = 1;
    shape.height = 1;
    shape.samples = 1;
    shape.photometric = 1;
    shape.rowsPerStrip = 1;
    QByteArray tiff = MakeTiff(shape);
    const QByteArray data = compression == 5 ? LzwRunOfZeros(LzwCyclesFor(megabytes), 8, true)
                                             : ZlibStream(QByteArray(megabytes * 1024 * 1024, '\0'));
    // The one strip (a byte at offset 8) moved to the end, compressed.
    const int at = tiff.size();
    tiff += data;
    const QByteArray le = [&] { QByteArray out; Le32(out, quint32(at)); return out; }();
    const QByteArray count = [&] { QByteArray out; Le32(out, quint32(data.size())); return out; }();
    // Entries: find tags 273 and 279 and 259 in the directory.
    const int directory = int(qFromLittleEndian<quint32>(tiff.constData() + 4));
    const int entries = qFromLittleEndian<quint16>(tiff.constData() + directory);
    for (int i = 0; i < entries; ++i) {
        const int entry = directory + 2 + 12 * i;
        const int tag = qFromLittleEndian<quint16>(tiff.constData() + entry);
        if (tag == 259) {
            qToLittleEndian<quint16>(quint16(compression), tiff.data() + entry + 8);
        } else if (tag == 273) {
            tiff.replace(entry + 8, 4, le);
        } else if (tag == 279) {
            tiff.replace(entry + 8, 4, count);
        }
    }
    return tiff;
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
    sound << Sound{"webp lossy", MakeWebp(QSize(20, 14), false), QSize(20, 14)};
    sound << Sound{"webp lossless", MakeWebp(QSize(20, 14), true), QSize(20, 14)};
    sound << Sound{"webp lossy with alpha", MakeWebp(QSize(20, 14), false, true), QSize(20, 14)};
    sound << Sound{"webp lossless with alpha", MakeWebp(QSize(20, 14), true, true), QSize(20, 14)};
    sound << Sound{"webp animated", MakeAnimatedWebp(QSize(20, 16), QSize(10, 8)), QSize(20, 16)};
    {
        struct Kind {
            const char* name;
            int bits;
            int samples;
            int photometric;
            bool tiled;
            int compression;
            bool bigEndian;
        };
        for (const Kind& k : {Kind{"rgb8", 8, 3, 2, false, 1, false}, Kind{"rgb8 lzw", 8, 3, 2, false, 5, false},
                              Kind{"rgb8 deflate", 8, 3, 2, false, 8, false}, Kind{"rgb8 big-endian", 8, 3, 2, false, 1, true},
                              Kind{"rgb16 tiled", 16, 3, 2, true, 8, false}, Kind{"grey8 tiled", 8, 1, 1, true, 1, false},
                              Kind{"grey16", 16, 1, 1, false, 5, false}, Kind{"grey1", 1, 1, 1, false, 8, false},
                              Kind{"palette8", 8, 1, 3, false, 1, false}}) {
            TiffOptions shape;
            shape.bitsPerSample = k.bits;
            shape.samples = k.samples;
            shape.photometric = k.photometric;
            shape.tiled = k.tiled;
            shape.compression = k.compression;
            shape.bigEndian = k.bigEndian;
            if (k.tiled) {
                // Four tiles, the right and bottom ones in part outside.
                shape.width = 20;
                shape.height = 18;
            }
            sound << Sound{QStringLiteral("tiff %1").arg(k.name), MakeTiff(shape), QSize(shape.width, shape.height)};
        }
    }
    // The line break after the drawing.
    sound << Sound{"svg", MakeSvg(QSize(40, 30)), QSize(40, 30), false, 1};
    sound << Sound{"pnm P5 16-bit", MakePnm(5, 9, 7, 65535), QSize(9, 7)};
    sound << Sound{"pnm P6 16-bit", MakePnm(6, 9, 7, 1000), QSize(9, 7)};
    return sound;
}

// WebP, TIFF and SVG that lie, refer outside themselves or expand without
// end; and the decompression bombs of every format that compresses, each
// small enough for the corpus, which must decode as fast as the picture
// they hold.
void AddNewFormatLies(QVector<PictureCase>& cases)
{
    auto putLe32 = [](QByteArray bytes, int at, quint32 value) {
        qToLittleEndian(value, bytes.data() + at);
        return bytes;
    };
    const QByteArray webp = MakeWebp(QSize(20, 14), true);
    Add(cases, "webp container longer than the file", putLe32(webp, 4, quint32(webp.size() + 100)), Expect::Refused);
    Add(cases, "webp bitstream chunk longer than the file", putLe32(webp, 16, 0x7FFFFFF0u), Expect::Refused);
    {
        // A still whose VP8X canvas claims 16384 x 16384 (the bitstream is 20 x 14).
        QByteArray huge = MakeAnimatedWebp(QSize(20, 16), QSize(10, 8));
        huge[20] = '\x10';  // not animated: a still with a canvas
        huge.replace(24, 6, QByteArray("\xFF\x3F\x00\xFF\x3F\x00", 6));
        Add(cases, "webp VP8X canvas of 16384x16384", huge, Expect::Refused);
        QByteArray outside = MakeAnimatedWebp(QSize(20, 16), QSize(10, 8));
        outside.replace(24, 6, QByteArray("\x04\x00\x00\x04\x00\x00", 6));  // a 5 x 5 canvas
        Add(cases, "webp frame outside its canvas", outside, Expect::Refused);
    }

    TiffOptions shape;
    const QByteArray tiff = MakeTiff(shape);
    const int directory = int(qFromLittleEndian<quint32>(tiff.constData() + 4));
    auto withEntry = [&](int tag, quint32 value) {
        QByteArray lie = tiff;
        const int entries = qFromLittleEndian<quint16>(lie.constData() + directory);
        for (int i = 0; i < entries; ++i) {
            const int entry = directory + 2 + 12 * i;
            if (qFromLittleEndian<quint16>(lie.constData() + entry) == tag) {
                if (qFromLittleEndian<quint32>(lie.constData() + entry + 4) == 1)
                    qToLittleEndian(value, lie.data() + entry + 8);
                else
                    qToLittleEndian(value, lie.data() + qFromLittleEndian<quint32>(lie.constData() + entry + 8));
            }
        }
        return lie;
    };
    Add(cases, "tiff strip offset past the end", withEntry(273, 0x7FFFFFF0u), Expect::Refused);
    Add(cases, "tiff strip longer than the file", withEntry(279, 0x7FFFFFF0u), Expect::Refused);
    Add(cases, "tiff claims 2^31 columns", withEntry(256, 0x80000000u), Expect::Refused);
    Add(cases, "tiff claims 2147483647x7", withEntry(256, 0x7FFFFFFFu), Expect::Refused);
    Add(cases, "tiff claims 100000 rows", withEntry(257, 100000), Expect::Refused);
    Add(cases, "tiff JPEG compression", withEntry(259, 7), Expect::Refused);
    Add(cases, "tiff 3 bits per sample", withEntry(258, 3), Expect::Refused);
    Add(cases, "tiff directory past the end", putLe32(tiff, 4, 0x7FFFFFF0u), Expect::Refused);
    {
        QByteArray entries = tiff;
        qToLittleEndian<quint16>(60000, entries.data() + directory);
        Add(cases, "tiff directory of 60000 fields", entries, Expect::Refused);
        TiffOptions tiled;
        tiled.tiled = true;
        tiled.width = 16;
        tiled.height = 16;
        QByteArray bigTiles = MakeTiff(tiled);
        const int at = int(qFromLittleEndian<quint32>(bigTiles.constData() + 4));
        const int count = qFromLittleEndian<quint16>(bigTiles.constData() + at);
        for (int i = 0; i < count; ++i) {
            const int entry = at + 2 + 12 * i;
            const int tag = qFromLittleEndian<quint16>(bigTiles.constData() + entry);
            if (tag == 322 || tag == 323)
                qToLittleEndian<quint16>(65536 - 16, bigTiles.data() + entry + 8);
        }
        Add(cases, "tiff tiles of 65520x65520 for 16x16 pixels", bigTiles, Expect::Refused);
    }

    Add(cases, "svg picture from a file",
        MakeSvg(QSize(20, 20), "<image xlink:href=\"/etc/hostname\" width=\"20\" height=\"20\"/>"), Expect::Refused);
    Add(cases, "svg picture from an address",
        MakeSvg(QSize(20, 20), "<image href=\"http://127.0.0.1:9/x.png\" width=\"20\" height=\"20\"/>"),
        Expect::Refused);
    Add(cases, "svg with an embedded gif",
        MakeSvg(QSize(20, 20), "<image xlink:href=\"data:image/gif;base64," + MakeGif(GifOptions()).toBase64()
                                   + "\" width=\"20\" height=\"20\"/>"),
        Expect::Refused);
    Add(cases, "svg with an embedded png",
        MakeSvg(QSize(20, 20), "<image xlink:href=\"data:image/png;base64," + MakePng(PngOptions()).toBase64()
                                   + "\" width=\"20\" height=\"20\"/>"),
        Expect::Picture, QSize(20, 20));
    {
        QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [\n<!ENTITY lol0 \"lol\">\n";
        for (int i = 1; i < 10; ++i)
            laughs += "<!ENTITY lol" + QByteArray::number(i) + " \""
                + QByteArray("&lol" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
        laughs += "]>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><desc>&lol9;</desc></svg>\n";
        Add(cases, "svg billion laughs", laughs, Expect::Refused);
        const QByteArray quadratic = "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY a \"" + QByteArray(4000, 'x')
            + "\">]>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><desc>"
            + QByteArray("&a;").repeated(20000) + "</desc></svg>\n";
        Add(cases, "svg one entity used 20000 times", quadratic, Expect::Refused);
        QByteArray repeats = "<defs><rect id=\"a0\" width=\"9\" height=\"9\" fill=\"red\"/>";
        for (int i = 1; i < 9; ++i)
            repeats += "<g id=\"a" + QByteArray::number(i) + "\">"
                + QByteArray("<use xlink:href=\"#a" + QByteArray::number(i - 1) + "\"/>").repeated(10) + "</g>";
        repeats += "</defs><use xlink:href=\"#a8\"/>";
        Add(cases, "svg repeats of repeats (10^8 shapes)", MakeSvg(QSize(20, 20), repeats), Expect::Refused);
        Add(cases, "svg that repeats itself",
            MakeSvg(QSize(20, 20), "<g id=\"a\"><use xlink:href=\"#a\"/></g>"), Expect::Refused);
        Add(cases, "svg nested 5000 deep",
            MakeSvg(QSize(20, 20), QByteArray("<g>").repeated(5000) + QByteArray("</g>").repeated(5000)),
            Expect::Refused);
        Add(cases, "svg claims 100000x100000", MakeSvg(QSize(100000, 100000)), Expect::Refused);
        Add(cases, "svg root is not svg", "<?xml version=\"1.0\"?><html><svg/></html>", Expect::Refused);
    }

    // Each expands a hundred-fold beyond the single pixel it holds; the
    // pixel is all that is decoded.
    Add(cases, "gif LZW bomb", GifLzwBomb(64), Expect::Picture, QSize(1, 1));
    Add(cases, "png IDAT bomb", PngIdatBomb(16), Expect::Picture, QSize(1, 1));
    Add(cases, "tiff LZW bomb", TiffBomb(5, 64), Expect::Picture, QSize(1, 1));
    Add(cases, "tiff deflate bomb", TiffBomb(8, 16), Expect::Picture, QSize(1, 1));
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
        // Runs that paint the first row a hundred thousand times over.
        QByteArray repainted = MakeBmp(shape);
        repainted.insert(int(qFromLittleEndian<quint32>(repainted.constData() + 10)),
                         QByteArray("\xFF\x01", 2).repeated(100000));
        Add(cases, "bmp run-length codes that paint one row 100000 times", repainted, Expect::Refused);
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

    AddNewFormatLies(cases);

    // Formats this program does not read, whatever Qt has readers for.
    Add(cases, "ico", QByteArray("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14) + QByteArray(80, '\0'), Expect::Refused);
    Add(cases, "xpm", "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n", Expect::Refused);
    Add(cases, "xbm", "#define x_width 1\n#define x_height 1\nstatic char x_bits[] = {0x01};\n", Expect::Refused);
    Add(cases, "svgz", QByteArray("\x1F\x8B\x08\0", 4) + QByteArray(40, '\0'), Expect::Refused);
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
