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

// One row as blue, green, red triples from 32-bit pixels; alpha, if any, is
// not looked at.
void RowFromRgb32(const uchar* line, int width, char* row)
{
    const auto* pixels = reinterpret_cast<const QRgb*>(line);
    for (int x = 0; x < width; ++x) {
        *row++ = char(qBlue(pixels[x]));
        *row++ = char(qGreen(pixels[x]));
        *row++ = char(qRed(pixels[x]));
    }
}

void RowFromRgb888(const uchar* line, int width, char* row)
{
    for (int x = 0; x < width; ++x, line += 3) {
        *row++ = char(line[2]);
        *row++ = char(line[1]);
        *row++ = char(line[0]);
    }
}

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

    // 32-bit and 24-bit pictures are read in place; any other format is
    // made opaque RGB32 a strip of rows at a time, as OpaqueRgb32() would
    // make the whole picture.
    const QImage::Format format = picture.format();
    const bool direct = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_RGB888;
    const int stripRows = int(qBound<qint64>(1, kChunkBytes / (qint64(width) * 4), qint64(height)));
    QImage strip;
    int stripTop = height;

    const int rowsPerWrite = int(qBound<qint64>(1, kChunkBytes / rowBytes, qint64(height)));
    QByteArray chunk(int(rowBytes * rowsPerWrite), '\0');
    int rowsInChunk = 0;
    for (int y = height - 1; y >= 0; --y) {
        char* row = chunk.data() + rowBytes * rowsInChunk;
        if (format == QImage::Format_RGB888) {
            RowFromRgb888(picture.constScanLine(y), width, row);
        } else if (direct) {
            RowFromRgb32(picture.constScanLine(y), width, row);
        } else {
            if (y < stripTop) {
                stripTop = qMax(0, y - stripRows + 1);
                strip = OpaqueRgb32(picture.copy(0, stripTop, width, y - stripTop + 1));
                if (strip.isNull())
                    return false;
            }
            RowFromRgb32(strip.constScanLine(y - stripTop), width, row);
        }
        if (++rowsInChunk == rowsPerWrite || y == 0) {
            const qint64 bytes = rowBytes * rowsInChunk;
            if (out.write(chunk.constData(), bytes) != bytes)
                return false;
            rowsInChunk = 0;
        }
    }
    return true;
}

} // namespace tavrel
