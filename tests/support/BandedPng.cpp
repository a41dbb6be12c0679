// SPDX-License-Identifier: GPL-3.0-or-later
#include "BandedPng.h"

#include <QFile>
#include <QtEndian>

namespace tavrel::testing {

namespace {

// Deflate with the fixed Huffman codes: enough for rows that are literals
// followed by one long repeat.
class FixedDeflate {
public:
    void literal(int byte)
    {
        if (byte < 144)
            code(0x30 + byte, 8);
        else
            code(0x190 + byte - 144, 9);
    }

    // Repeats `length` (3 or more) bytes from `distance` back, distance 1..4.
    void repeat(int length, int distance)
    {
        static const int kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        while (length > 0) {
            int n = qMin(length, 258);
            if (length - n > 0 && length - n < 3)
                n -= 3;
            int index = 28;
            while (kBase[index] > n)
                --index;
            const int symbol = 257 + index;
            if (symbol < 280)
                code(symbol - 256, 7);
            else
                code(0xC0 + symbol - 280, 8);
            bits(quint32(n - kBase[index]), kExtra[index]);
            code(distance - 1, 5);
            length -= n;
        }
    }

    void start() { bits(0b011, 3); }  // final block, fixed codes
    QByteArray finish()
    {
        code(0, 7);  // end of block
        if (m_count > 0)
            m_out.append(char(m_pending));
        m_pending = 0;
        m_count = 0;
        return m_out;
    }

private:
    // Huffman codes go most significant bit first.
    void code(quint32 value, int length)
    {
        quint32 reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((value >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void bits(quint32 value, int length)
    {
        for (int i = 0; i < length; ++i) {
            m_pending |= ((value >> i) & 1u) << m_count;
            if (++m_count == 8) {
                m_out.append(char(m_pending));
                m_pending = 0;
                m_count = 0;
            }
        }
    }

    QByteArray m_out;
    quint32 m_pending = 0;
    int m_count = 0;
};

constexpr quint32 kAdlerBase = 65521;

quint32 Adler32(const QByteArray& bytes)
{
    quint32 a = 1;
    quint32 b = 0;
    for (char c : bytes) {
        a = (a + quint8(c)) % kAdlerBase;
        b = (b + a) % kAdlerBase;
    }
    return (b << 16) | a;
}

// The checksum of two pieces joined, from their checksums (as zlib's
// adler32_combine): identical rows cost one row's sum.
quint32 CombineAdler32(quint32 first, quint32 second, qint64 secondLength)
{
    const quint64 rem = quint64(secondLength % kAdlerBase);
    const quint64 a1 = first & 0xFFFF;
    const quint64 b1 = first >> 16;
    const quint64 a2 = second & 0xFFFF;
    const quint64 b2 = second >> 16;
    const quint64 a = (a1 + a2 + kAdlerBase - 1) % kAdlerBase;
    const quint64 b = (rem * a1 % kAdlerBase + b1 + b2 + kAdlerBase - rem) % kAdlerBase;
    return quint32((b << 16) | a);
}

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

QByteArray Chunk(const char* type, const QByteArray& data)
{
    QByteArray typed = QByteArray(type, 4) + data;
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    out += typed;
    QByteArray crc(4, '\0');
    qToBigEndian(Crc32(typed), crc.data());
    return out + crc;
}

} // namespace

QColor BandColourAt(int y, int height, const QList<QColor>& bands)
{
    return bands.at(int(qint64(y) * bands.size() / height));
}

QByteArray BandedPng(int width, int height, const QList<QColor>& bands)
{
    FixedDeflate deflate;
    deflate.start();
    quint32 adler = 1;
    const qint64 rowLength = 1 + qint64(width) * 3;
    for (int y = 0; y < height;) {
        const QColor colour = BandColourAt(y, height, bands);
        // Row: filter "none", then the colour over and over.
        QByteArray row(int(rowLength), '\0');
        for (int x = 0; x < width; ++x) {
            row[1 + 3 * x] = char(colour.red());
            row[2 + 3 * x] = char(colour.green());
            row[3 + 3 * x] = char(colour.blue());
        }
        const quint32 rowAdler = Adler32(row);
        for (; y < height && BandColourAt(y, height, bands) == colour; ++y) {
            deflate.literal(0);
            for (int i = 1; i <= qMin(3, width * 3); ++i)
                deflate.literal(quint8(row.at(i)));
            if (width > 1)
                deflate.repeat((width - 1) * 3, 3);
            adler = CombineAdler32(adler, rowAdler, rowLength);
        }
    }
    QByteArray zlib("\x78\x01", 2);
    zlib += deflate.finish();
    QByteArray trailer(4, '\0');
    qToBigEndian(adler, trailer.data());
    zlib += trailer;

    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", zlib)
        + Chunk("IEND", QByteArray());
}

bool WriteBandedPng(const QString& path, int width, int height, const QList<QColor>& bands)
{
    QFile file(path);
    const QByteArray bytes = BandedPng(width, height, bands);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace tavrel::testing
