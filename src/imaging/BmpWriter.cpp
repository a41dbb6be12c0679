// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/BmpWriter.h"

#include "imaging/PictureConversion.h"

#include <QByteArray>
#include <QIODevice>
#include <QtEndian>

#include <limits>

namespace tavrel {

namespace {

constexpr int kHeaderBytes = 14 + 40;
// Qt's BMP writer puts 72 dots per inch where the picture has no resolution.
constexpr int kDefaultDotsPerMeter = 2834;
// Bytes of rows converted or collected at a time.
constexpr qint64 kChunkBytes = 1 << 20;

void Put16(QByteArray& out, int at, quint16 value)
{
    qToLittleEndian(value, out.data() + at);
}

void Put32(QByteArray& out, int at, quint32 value)
{
    qToLittleEndian(value, out.data() + at);
}

QByteArray BmpHeader(const QImage& picture, qint64 rowBytes)
{
    QByteArray header(kHeaderBytes, '\0');
    const auto imageBytes = quint32(rowBytes * picture.height());
    header[0] = 'B';
    header[1] = 'M';
    Put32(header, 2, kHeaderBytes + imageBytes);
    Put32(header, 10, kHeaderBytes);
    Put32(header, 14, 40);
    Put32(header, 18, quint32(picture.width()));
    Put32(header, 22, quint32(picture.height()));
    Put16(header, 26, 1);   // planes
    Put16(header, 28, 24);  // bits per pixel
    Put32(header, 30, 0);   // no compression
    Put32(header, 34, imageBytes);
    Put32(header, 38, quint32(picture.dotsPerMeterX() ? picture.dotsPerMeterX() : kDefaultDotsPerMeter));
    Put32(header, 42, quint32(picture.dotsPerMeterY() ? picture.dotsPerMeterY() : kDefaultDotsPerMeter));
    // No colour table.
    return header;
}

// Blue, green, red triples from 32-bit pixels, appended to `out`; alpha,
// if any, is not looked at.
void AppendFromRgb32(QByteArray& out, const uchar* line, int count)
{
    const qsizetype at = out.size();
    out.resize(at + qsizetype(count) * 3);
    char* bgr = out.data() + at;
    const auto* pixels = reinterpret_cast<const QRgb*>(line);
    for (int x = 0; x < count; ++x) {
        *bgr++ = char(qBlue(pixels[x]));
        *bgr++ = char(qGreen(pixels[x]));
        *bgr++ = char(qRed(pixels[x]));
    }
}

void AppendFromRgb888(QByteArray& out, const uchar* line, int count)
{
    const qsizetype at = out.size();
    out.resize(at + qsizetype(count) * 3);
    char* bgr = out.data() + at;
    for (int x = 0; x < count; ++x, line += 3) {
        *bgr++ = char(line[2]);
        *bgr++ = char(line[1]);
        *bgr++ = char(line[0]);
    }
}

// The pixels of a picture of a format other than RGB32, ARGB32 and RGB888,
// made opaque RGB32 a block at a time, as OpaqueRgb32() would make the
// whole picture.
class ConvertedBlocks {
public:
    explicit ConvertedBlocks(const QImage& picture)
        : m_picture(picture)
    {
    }

    // Row y from column x on; the block holding it is converted when
    // first asked for. Null when the conversion fails.
    const uchar* at(int x, int y, int count)
    {
        if (m_block.isNull() || x != m_left || y < m_top || y >= m_top + m_block.height()) {
            const int rows = int(qBound<qint64>(1, kChunkBytes / (qint64(count) * 4), qint64(y) + 1));
            m_left = x;
            m_top = y - rows + 1;
            m_block = OpaqueRgb32(m_picture.copy(x, m_top, count, rows));
            if (m_block.isNull())
                return nullptr;
        }
        return m_block.constScanLine(y - m_top);
    }

private:
    const QImage& m_picture;
    QImage m_block;
    int m_left = 0;
    int m_top = 0;
};

} // namespace

bool WriteBmp24(QIODevice& out, const QImage& picture)
{
    if (picture.isNull())
        return false;
    const int width = picture.width();
    const int height = picture.height();
    const qint64 rowBytes = (qint64(width) * 24 + 31) / 32 * 4;
    if (kHeaderBytes + rowBytes * height > std::numeric_limits<qint32>::max())
        return false;
    if (out.write(BmpHeader(picture, rowBytes)) != kHeaderBytes)
        return false;

    // Rows bottom to top, each in pieces of at most a chunk, collected and
    // written a chunk at a time: however the picture is shaped, nothing of
    // its own size is made beside it.
    const QImage::Format format = picture.format();
    const int bytesPerPixel = format == QImage::Format_RGB888 ? 3 : 4;
    const bool direct = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_RGB888;
    const int piecePixels = int(kChunkBytes / 4);
    const QByteArray padding(int(rowBytes - qint64(width) * 3), '\0');
    ConvertedBlocks converted(picture);
    QByteArray chunk;
    chunk.reserve(int(kChunkBytes) + piecePixels * 3 + 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; x += piecePixels) {
            const int count = qMin(piecePixels, width - x);
            if (direct) {
                const uchar* line = picture.constScanLine(y) + qint64(x) * bytesPerPixel;
                if (format == QImage::Format_RGB888)
                    AppendFromRgb888(chunk, line, count);
                else
                    AppendFromRgb32(chunk, line, count);
            } else {
                const uchar* line = converted.at(x, y, count);
                if (!line)
                    return false;
                AppendFromRgb32(chunk, line, count);
            }
            if (x + count == width)
                chunk.append(padding);
            if (chunk.size() >= kChunkBytes || y == 0) {
                if (out.write(chunk) != chunk.size())
                    return false;
                chunk.resize(0);  // keeps the capacity
            }
        }
    }
    return true;
}

} // namespace tavrel
