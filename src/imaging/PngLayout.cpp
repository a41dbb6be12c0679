// SPDX-License-Identifier: GPL-3.0-or-later
// The PNG walk: whole chunks with correct checksums from IHDR to IEND.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <QtEndian>

#include <array>
#include <cstring>

namespace tavrel {

namespace {

constexpr qint64 kSignatureBytes = 8;
constexpr qint64 kMaxChunkLength = 0x7FFFFFFF;

// CRC-32 as PNG chunks carry it (polynomial 0xEDB88320), eight bytes at a
// time: checking every chunk of a large photo then costs little next to
// decoding it.
class Crc32 {
public:
    void add(const char* bytes, qint64 size)
    {
        const Tables& tables = Table();
        const auto* p = reinterpret_cast<const uchar*>(bytes);
        quint32 crc = m_crc;
        for (; size >= 8; size -= 8, p += 8) {
            const quint32 low = crc ^ qFromLittleEndian<quint32>(p);
            const quint32 high = qFromLittleEndian<quint32>(p + 4);
            crc = tables[7][low & 0xFFu] ^ tables[6][(low >> 8) & 0xFFu] ^ tables[5][(low >> 16) & 0xFFu]
                ^ tables[4][low >> 24] ^ tables[3][high & 0xFFu] ^ tables[2][(high >> 8) & 0xFFu]
                ^ tables[1][(high >> 16) & 0xFFu] ^ tables[0][high >> 24];
        }
        for (; size > 0; --size, ++p)
            crc = tables[0][(crc ^ *p) & 0xFFu] ^ (crc >> 8);
        m_crc = crc;
    }
    quint32 value() const { return ~m_crc; }

private:
    using Tables = std::array<std::array<quint32, 256>, 8>;
    static const Tables& Table()
    {
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
        return tables;
    }
    quint32 m_crc = 0xFFFFFFFFu;
};

bool IsType(const char* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

bool ValidDepth(int colourType, int depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

bool ReadHeader(const char* data, PictureLayout& layout)
{
    const auto* p = reinterpret_cast<const uchar*>(data);
    const quint32 width = qFromBigEndian<quint32>(p);
    const quint32 height = qFromBigEndian<quint32>(p + 4);
    PngDetails& png = layout.png;
    png.bitDepth = p[8];
    png.colourType = p[9];
    png.interlaced = p[12] == 1;
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return false;
    if (!ValidDepth(png.colourType, png.bitDepth) || p[10] != 0 || p[11] != 0 || p[12] > 1)
        return false;
    layout.size = QSize(int(width), int(height));
    return true;
}

} // namespace

bool WalkPng(LayoutReader& in, PictureLayout& layout)
{
    ByteRanges& kept = layout.essentials;
    AppendRange(kept, 0, kSignatureBytes);
    qint64 pos = kSignatureBytes;
    bool seenHeader = false;
    bool seenPalette = false;
    bool inData = false;
    bool dataEnded = false;
    for (;;) {
        bool ok = true;
        const qint64 length = in.be32(pos, ok);
        char type[4] = {};
        if (!ok || !in.read(pos + 4, type, 4) || length > kMaxChunkLength || !in.has(pos + 8, length + 4))
            return false;
        for (const char c : type)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                return false;
        Crc32 crc;
        crc.add(type, 4);
        if (!in.forEachBlock(pos + 8, length, [&crc](const char* bytes, qint64 n) { crc.add(bytes, n); })
            || crc.value() != in.be32(pos + 8 + length, ok) || !ok)
            return false;

        const qint64 chunkBytes = 12 + length;
        const bool critical = type[0] >= 'A' && type[0] <= 'Z';
        if (!seenHeader) {
            char header[13];
            if (!IsType(type, "IHDR") || length != 13 || !in.read(pos + 8, header, 13) || !ReadHeader(header, layout))
                return false;
            seenHeader = true;
        } else if (IsType(type, "IHDR")) {
            return false;
        } else if (IsType(type, "PLTE")) {
            if (seenPalette || inData || length == 0 || length % 3 != 0 || length > 3 * 256)
                return false;
            seenPalette = true;
        } else if (IsType(type, "IDAT")) {
            // The image data is one run of IDAT chunks.
            if (dataEnded)
                return false;
            inData = true;
        } else if (IsType(type, "IEND")) {
            if (!inData || (layout.png.colourType == 3 && !seenPalette))
                return false;
            AppendRange(kept, pos, chunkBytes);
            return true;
        } else if (critical) {
            // A critical chunk no decoder here understands.
            return false;
        }
        if (inData && !IsType(type, "IDAT"))
            dataEnded = true;
        // Only what the pixels are made of goes to a decoder: the header,
        // the palette and its transparency, the image data.
        if (critical || IsType(type, "tRNS"))
            AppendRange(kept, pos, chunkBytes);
        pos += chunkBytes;
    }
}

} // namespace tavrel
