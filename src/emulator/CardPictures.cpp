// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/CardPictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace quennel {

namespace {

// No bitmap the module can show is larger than this on either side; bigger
// claims in a header are refused before anything is allocated.
constexpr int kMaxBitmapSide = 4096;

void putLe16(QByteArray& out, int offset, quint16 v)
{
    qToLittleEndian(v, out.data() + offset);
}

void putLe32(QByteArray& out, int offset, quint32 v)
{
    qToLittleEndian(v, out.data() + offset);
}

// Whether an uncompressed bitmap holds every pixel row its header announces:
// Qt's reader would otherwise show the missing rows as whatever memory held.
// Run-length data says itself where it ends.
bool holdsItsRows(const QByteArray& bmp)
{
    if (bmp.size() < 30)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(bmp.constData());
    const qint64 offset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        bits = qFromLittleEndian<quint16>(p + 24);
    } else if (bmp.size() >= 34) {
        width = qFromLittleEndian<qint32>(p + 18);
        height = qAbs(qint64(qFromLittleEndian<qint32>(p + 22)));
        bits = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return false;
    }
    if (width <= 0 || width > kMaxBitmapSide || height <= 0 || height > kMaxBitmapSide || bits < 1 || bits > 32)
        return false;
    constexpr quint32 kRle8 = 1;
    constexpr quint32 kRle4 = 2;
    if (compression == kRle8 || compression == kRle4)
        return true;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return offset > 0 && offset + stride * height <= bmp.size();
}

} // namespace

bool readImageDataHeader(const QByteArray& file, ImageDataHeader& header)
{
    if (file.size() < 3)
        return false;
    header.width = quint8(file.at(0));
    header.height = quint8(file.at(1));
    header.depth = quint8(file.at(2));
    return header.width > 0 && header.height > 0 && (header.depth == 8 || header.depth == 16);
}

void drawImageFrame(Canvas& canvas, int x, int y, const ImageDataHeader& header, const char* pixels)
{
    const auto* p = reinterpret_cast<const quint8*>(pixels);
    const int bytesPerPixel = header.depth / 8;
    // Rows and columns past the panel are skipped, not walked through.
    const int rows = qMin(header.height, canvas.height() - y);
    const int columns = qMin(header.width, canvas.width() - x);
    for (int row = 0; row < rows; ++row) {
        const quint8* src = p + qint64(row) * header.width * bytesPerPixel;
        for (int column = 0; column < columns; ++column, src += bytesPerPixel) {
            const quint16 colour = header.depth == 16 ? quint16(src[0] | (src[1] << 8)) : rgb332ToRgb565(src[0]);
            canvas.plot(x + column, y + row, colour);
        }
    }
}

bool drawBitmap(Canvas& canvas, int x, int y, const QByteArray& bmp)
{
    QBuffer buffer;
    buffer.setData(bmp);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    // Only the bitmap reader: a file of another format must not reach the
    // reader Qt would guess for it.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // A top-down bitmap reports a negative height.
    const QSize size = reader.size();
    const int width = qAbs(size.width());
    const int height = qAbs(size.height());
    if (width == 0 || height == 0 || width > kMaxBitmapSide || height > kMaxBitmapSide || !holdsItsRows(bmp))
        return false;
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return false;
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const int rows = qMin(picture.height(), canvas.height() - y);
    const int columns = qMin(picture.width(), canvas.width() - x);
    for (int row = 0; row < rows; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(row));
        for (int column = 0; column < columns; ++column)
            canvas.plot(x + column, y + row, rgbToRgb565(line[column]));
    }
    return true;
}

QByteArray encodeBmp24(const QImage& source)
{
    const QImage picture = source.convertToFormat(QImage::Format_RGB888);
    const int width = picture.width();
    const int height = picture.height();
    const int stride = (width * 3 + 3) & ~3;
    const int headerSize = 14 + 40;
    const int imageSize = stride * height;
    QByteArray out(headerSize + imageSize, '\0');

    // BITMAPFILEHEADER
    out[0] = 'B';
    out[1] = 'M';
    putLe32(out, 2, quint32(out.size()));
    putLe32(out, 10, quint32(headerSize));
    // BITMAPINFOHEADER: positive height, so rows run bottom-up.
    putLe32(out, 14, 40);
    putLe32(out, 18, quint32(width));
    putLe32(out, 22, quint32(height));
    putLe16(out, 26, 1);
    putLe16(out, 28, 24);
    putLe32(out, 34, quint32(imageSize));
    putLe32(out, 38, 2835);  // 72 dots per inch
    putLe32(out, 42, 2835);

    for (int row = 0; row < height; ++row) {
        const uchar* src = picture.constScanLine(height - 1 - row);
        char* dst = out.data() + headerSize + row * stride;
        for (int column = 0; column < width; ++column) {
            dst[column * 3 + 0] = char(src[column * 3 + 2]);  // blue
            dst[column * 3 + 1] = char(src[column * 3 + 1]);  // green
            dst[column * 3 + 2] = char(src[column * 3 + 0]);  // red
        }
    }
    return out;
}

} // namespace quennel
