#include "imaging/PictureFile.h"

#include "imaging/JpegReduced.h"
#include "imaging/PixelFormats.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <array>

namespace tavrel {

namespace {

// Bytes the reader may allocate for one decoded picture (megabytes); 64
// megapixels at four bytes each.
constexpr int kAllocationLimitMb = 256;

quint16 Be16(const QByteArray& data, qint64 at)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar*>(data.constData()) + at);
}

qint64 Le32(const QByteArray& data, qint64 at, bool isSigned)
{
    const quint32 v = qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) + at);
    return isSigned ? qint64(qint32(v)) : qint64(v);
}

quint16 Le16(const QByteArray& data, qint64 at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(data.constData()) + at);
}

quint32 Be32(const QByteArray& data, qint64 at)
{
    return qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) + at);
}

// CRC-32 as PNG chunks carry it (polynomial 0xEDB88320), eight bytes at a
// time: checking every chunk of a large photo then costs little next to
// decoding it.
quint32 Crc32(const char* bytes, qint64 size)
{
    using Tables = std::array<std::array<quint32, 256>, 8>;
    static const Tables tables = [] {
        Tables t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (quint32 n = 0; n < 256; ++n)
            for (size_t k = 1; k < 8; ++k)
                t[k][n] = t[0][t[k - 1][n] & 0xFFu] ^ (t[k - 1][n] >> 8);
        return t;
    }();
    const auto* p = reinterpret_cast<const uchar*>(bytes);
    quint32 crc = 0xFFFFFFFFu;
    for (; size >= 8; size -= 8, p += 8) {
        const quint32 low = crc ^ qFromLittleEndian<quint32>(p);
        const quint32 high = qFromLittleEndian<quint32>(p + 4);
        crc = tables[7][low & 0xFFu] ^ tables[6][(low >> 8) & 0xFFu] ^ tables[5][(low >> 16) & 0xFFu]
            ^ tables[4][low >> 24] ^ tables[3][high & 0xFFu] ^ tables[2][(high >> 8) & 0xFFu]
            ^ tables[1][(high >> 16) & 0xFFu] ^ tables[0][high >> 24];
    }
    for (; size > 0; --size, ++p)
        crc = tables[0][(crc ^ *p) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

// How to decode: all of it, the top-left part, or reduced to a size.
struct DecodeHint {
    QRect clip;
    QSize scaled;
    bool asStored = false;  // the reader's own format, not made RGB32
};

bool Decode(const QString& path, const DecodeHint& hint, QImage& picture)
{
    picture = QImage();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 fileSize = file.size();
    if (fileSize <= 0 || fileSize > kMaxPictureFileBytes)
        return false;
    const QByteArray data = file.readAll();
    if (data.size() != fileSize)
        return false;

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);

    // The header's size is checked before anything is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return false;
    const QByteArray format = reader.format();
    if (format == "jpeg" && !JpegLooksComplete(data))
        return false;
    if (format == "bmp" && !BmpLooksComplete(data))
        return false;
    if (format == "png" && !PngLooksComplete(data))
        return false;

    // Only JPEG decodes at a reduced size; other readers would decode in full
    // and scale with a filter of their own (through premultiplied alpha), so
    // the conversion scales them instead.
    if (hint.scaled.isValid() && format == "jpeg" && DecodeJpegReduced(data, hint.scaled, picture))
        return true;
    const QRect whole(QPoint(0, 0), size);
    if (hint.clip.isValid() && hint.clip != whole)
        reader.setClipRect(hint.clip & whole);
    if (hint.scaled.isValid() && format == "jpeg")
        reader.setScaledSize(hint.scaled);

    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull())
        return false;
    picture = hint.asStored ? std::move(decoded) : OpaqueRgb32(std::move(decoded));
    return !picture.isNull();
}

} // namespace

QString PictureOpenFailureText()
{
    return QStringLiteral("File not found or invalid format");
}

bool ReadPicture(const QString& path, QImage& picture)
{
    return Decode(path, DecodeHint(), picture);
}

bool ReadPictureAsStored(const QString& path, QImage& picture)
{
    DecodeHint hint;
    hint.asStored = true;
    return Decode(path, hint, picture);
}

bool ReadConvertedPicture(const QString& path, const ResizeRule& rule, QImage& converted)
{
    converted = QImage();
    DecodeHint hint;
    if (rule.mode == ResizeMode::NoResize)
        hint.clip = QRect(0, 0, kPictureMaxWidth, kPictureMaxHeight);
    else
        hint.scaled = ConvertedSize(QSize(), rule);
    QImage decoded;
    if (!Decode(path, hint, decoded))
        return false;
    converted = ConvertPicture(decoded, rule);
    return true;
}

bool JpegLooksComplete(const QByteArray& data)
{
    const qint64 n = data.size();
    const auto at = [&data](qint64 i) { return static_cast<quint8>(data.at(i)); };
    if (n < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return false;
    qint64 pos = 2;
    while (pos < n) {
        // Find the next marker, skipping fill bytes.
        if (at(pos) != 0xFF) {
            ++pos;
            continue;
        }
        while (pos < n && at(pos) == 0xFF)
            ++pos;
        if (pos >= n)
            return false;
        const quint8 marker = at(pos++);
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (pos + 2 > n)
            return false;
        const quint16 length = Be16(data, pos);
        if (length < 2 || pos + length > n)
            return false;
        pos += length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data runs to the next marker that is neither a
        // stuffed 0xFF00 nor a restart marker.
        for (;;) {
            const qsizetype ff = data.indexOf('\xFF', pos);
            if (ff < 0 || ff + 1 >= n)
                return false;
            const quint8 next = at(ff + 1);
            if (next == 0x00 || next == 0xFF || (next >= 0xD0 && next <= 0xD7)) {
                pos = ff + (next == 0xFF ? 1 : 2);
                continue;
            }
            pos = ff;
            break;
        }
    }
    return false;
}

bool PngLooksComplete(const QByteArray& data)
{
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    const qint64 n = data.size();
    if (n < 8 || !data.startsWith(QByteArray::fromRawData(kSignature, 8)))
        return false;
    qint64 pos = 8;
    bool first = true;
    while (pos + 12 <= n) {
        const qint64 length = Be32(data, pos);
        if (length > 0x7FFFFFFF || pos + 12 + length > n)
            return false;
        const char* type = data.constData() + pos + 4;
        if (first && qstrncmp(type, "IHDR", 4) != 0)
            return false;
        first = false;
        if (Crc32(type, 4 + length) != Be32(data, pos + 8 + length))
            return false;
        if (qstrncmp(type, "IEND", 4) == 0)
            return true;
        pos += 12 + length;
    }
    return false;
}

bool BmpLooksComplete(const QByteArray& data)
{
    const qint64 n = data.size();
    if (n < 26 || data.at(0) != 'B' || data.at(1) != 'M')
        return false;
    const qint64 pixelOffset = Le32(data, 10, false);
    const qint64 headerSize = Le32(data, 14, false);
    qint64 width = 0;
    qint64 height = 0;
    int bitsPerPixel = 0;
    qint64 compression = 0;
    if (headerSize == 12) {
        width = Le16(data, 18);
        height = Le16(data, 20);
        bitsPerPixel = Le16(data, 24);
    } else if (headerSize >= 40 && n >= 34) {
        width = Le32(data, 18, true);
        height = Le32(data, 22, true);
        bitsPerPixel = Le16(data, 28);
        compression = Le32(data, 30, false);
    } else {
        return false;
    }
    // Run-length and embedded JPEG/PNG data have no fixed size; their own
    // readers notice when they run short.
    constexpr qint64 kRgb = 0;
    constexpr qint64 kBitFields = 3;
    constexpr qint64 kAlphaBitFields = 6;
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
        return true;
    if (width <= 0 || height == 0 || bitsPerPixel <= 0 || bitsPerPixel > 64)
        return false;
    const qint64 rows = height < 0 ? -height : height;
    const qint64 stride = ((width * bitsPerPixel + 31) / 32) * 4;
    return pixelOffset + stride * rows <= n;
}

} // namespace tavrel
