// SPDX-License-Identifier: GPL-3.0-or-later
// The TIFF walk (classic and BigTIFF): the first image directory, every
// value it points to inside the file, the fields that say how the pixels
// are stored, and every strip or tile of the first page inside the file.
// Later pages are not decoded and not walked.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <QPair>
#include <QVector>

#include <cstdint>

namespace tavrel {

namespace {

// More fields than any real directory has.
constexpr qint64 kMaxEntries = 1000;
// More strips or tiles than a picture within the pixel limit needs at one
// row per strip.
constexpr qint64 kMaxPieces = 1 << 20;
// What one picture's strips or tiles may hold decoded, a quarter of it.
constexpr qint64 kMaxDecodedBytes = 256LL * 1024 * 1024;

enum Tag {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kPlanarConfig = 284,
    kColorMap = 320,
    kTileWidth = 322,
    kTileLength = 323,
    kTileOffsets = 324,
    kTileByteCounts = 325,
    kSampleFormat = 339,
};

int TypeBytes(int type)
{
    switch (type) {
    case 1: case 2: case 6: case 7:
        return 1;
    case 3: case 8:
        return 2;
    case 4: case 9: case 11: case 13:
        return 4;
    case 5: case 10: case 12: case 16: case 17: case 18:
        return 8;
    default:
        return 0;
    }
}

struct Entry {
    int type = 0;
    qint64 count = 0;
    qint64 at = 0;  // where the values are: inside the entry or at its offset
};

class TiffReader {
public:
    TiffReader(LayoutReader& in, bool bigEndian, bool big)
        : m_in(in), m_bigEndian(bigEndian), m_big(big) {}

    bool big() const { return m_big; }
    quint16 u16(qint64 at, bool& ok) { return m_bigEndian ? m_in.be16(at, ok) : m_in.le16(at, ok); }
    quint32 u32(qint64 at, bool& ok) { return m_bigEndian ? m_in.be32(at, ok) : m_in.le32(at, ok); }
    quint64 u64(qint64 at, bool& ok)
    {
        const quint64 first = u32(at, ok);
        const quint64 second = u32(at + 4, ok);
        return m_bigEndian ? (first << 32) | second : (second << 32) | first;
    }
    quint64 offset(qint64 at, bool& ok) { return m_big ? u64(at, ok) : u32(at, ok); }

    // Value i of an entry, as an unsigned integer (BYTE, SHORT, LONG, LONG8).
    bool value(const Entry& entry, qint64 i, quint64& out)
    {
        bool ok = i < entry.count;
        const qint64 at = entry.at + i * TypeBytes(entry.type);
        switch (entry.type) {
        case 1:
            out = m_in.u8(at, ok);
            break;
        case 3:
            out = u16(at, ok);
            break;
        case 4:
        case 13:
            out = u32(at, ok);
            break;
        case 16:
        case 18:
            out = u64(at, ok);
            break;
        default:
            return false;
        }
        return ok;
    }

private:
    LayoutReader& m_in;
    bool m_bigEndian;
    bool m_big;
};

struct Directory {
    QVector<QPair<int, Entry>> entries;
    const Entry* find(int tag) const
    {
        for (const auto& e : entries)
            if (e.first == tag)
                return &e.second;
        return nullptr;
    }
};

bool ReadDirectory(LayoutReader& in, TiffReader& tiff, qint64 at, Directory& directory)
{
    bool ok = true;
    const qint64 countBytes = tiff.big() ? 8 : 2;
    const qint64 entryBytes = tiff.big() ? 20 : 12;
    const qint64 inlineBytes = tiff.big() ? 8 : 4;
    const quint64 count = tiff.big() ? tiff.u64(at, ok) : tiff.u16(at, ok);
    if (!ok || count == 0 || count > quint64(kMaxEntries) || !in.has(at + countBytes, qint64(count) * entryBytes))
        return false;
    for (qint64 i = 0; i < qint64(count); ++i) {
        const qint64 pos = at + countBytes + i * entryBytes;
        const int tag = tiff.u16(pos, ok);
        Entry entry;
        entry.type = tiff.u16(pos + 2, ok);
        const quint64 values = tiff.big() ? tiff.u64(pos + 4, ok) : tiff.u32(pos + 4, ok);
        const qint64 valueField = pos + (tiff.big() ? 12 : 8);
        if (!ok)
            return false;
        const int typeBytes = TypeBytes(entry.type);
        // An entry of a type this walk does not know is skipped, as
        // libtiff skips it; its values are never read.
        if (typeBytes == 0)
            continue;
        if (values > quint64(in.size()))
            return false;
        entry.count = qint64(values);
        const qint64 bytes = entry.count * typeBytes;
        if (bytes <= inlineBytes) {
            entry.at = valueField;
        } else {
            const quint64 offset = tiff.offset(valueField, ok);
            // Every value a field points to lies inside the file.
            if (!ok || offset > quint64(in.size()) || !in.has(qint64(offset), bytes))
                return false;
            entry.at = qint64(offset);
        }
        directory.entries.append({tag, entry});
    }
    return true;
}

// A field of one value (or several equal ones, as BitsPerSample may be).
bool Single(TiffReader& tiff, const Directory& directory, int tag, quint64 fallback, quint64& out)
{
    const Entry* entry = directory.find(tag);
    if (!entry) {
        out = fallback;
        return true;
    }
    if (entry->count < 1 || !tiff.value(*entry, 0, out))
        return false;
    for (qint64 i = 1; i < entry->count; ++i) {
        quint64 other = 0;
        if (!tiff.value(*entry, i, other) || other != out)
            return false;
    }
    return true;
}

bool CompressionKnown(quint64 compression, int bits)
{
    switch (compression) {
    case 1:      // none
    case 5:      // LZW
    case 8:      // Deflate
    case 32946:  // Deflate (old code)
    case 32773:  // PackBits
        return true;
    case 2:      // CCITT modified Huffman
    case 3:      // CCITT group 3
    case 4:      // CCITT group 4
        return bits == 1;
    default:
        // JPEG and the rarer codings: not every reader of this format has them.
        return false;
    }
}

qint64 DivRoundUp(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

} // namespace

bool WalkTiff(LayoutReader& in, PictureLayout& layout)
{
    TiffDetails& details = layout.tiff;
    char order[2] = {};
    bool ok = in.read(0, order, 2);
    const bool bigEndian = order[0] == 'M';
    TiffReader probe(in, bigEndian, false);
    const int magic = probe.u16(2, ok);
    if (!ok || (magic != 42 && magic != 43))
        return false;
    TiffReader tiff(in, bigEndian, magic == 43);
    qint64 first = 0;
    if (tiff.big()) {
        if (tiff.u16(4, ok) != 8 || tiff.u16(6, ok) != 0)
            return false;
        first = qint64(qMin<quint64>(tiff.u64(8, ok), quint64(INT64_MAX)));
    } else {
        first = tiff.u32(4, ok);
    }
    if (!ok || first < 8 || first >= in.size())
        return false;
    Directory directory;
    if (!ReadDirectory(in, tiff, first, directory))
        return false;

    quint64 width = 0, height = 0, bits = 0, samples = 0, compression = 0, photometric = 0, planar = 0,
            sampleFormat = 0;
    if (!Single(tiff, directory, kImageWidth, 0, width) || !Single(tiff, directory, kImageLength, 0, height))
        return false;
    if (width == 0 || height == 0 || width > quint64(INT32_MAX) || height > quint64(INT32_MAX))
        return false;
    layout.size = QSize(int(width), int(height));
    if (!Single(tiff, directory, kBitsPerSample, 1, bits) || !Single(tiff, directory, kSamplesPerPixel, 1, samples)
        || !Single(tiff, directory, kCompression, 1, compression)
        || !Single(tiff, directory, kPhotometric, 1, photometric)
        || !Single(tiff, directory, kPlanarConfig, 1, planar)
        || !Single(tiff, directory, kSampleFormat, 1, sampleFormat))
        return false;
    if (!directory.find(kPhotometric) && samples >= 3)
        photometric = 2;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
        return false;
    if (samples < 1 || samples > 8 || (planar != 1 && planar != 2) || sampleFormat != 1)
        return false;
    if (!CompressionKnown(compression, int(bits)))
        return false;
    switch (photometric) {
    case 0:
    case 1:
        break;
    case 2:
        if (samples < 3)
            return false;
        break;
    case 3: {
        const Entry* map = directory.find(kColorMap);
        if (samples != 1 || bits > 8 || !map || map->type != 3 || map->count != 3 * (qint64(1) << bits))
            return false;
        break;
    }
    case 5:
        if (samples < 4 || bits != 8)
            return false;
        break;
    default:
        return false;
    }
    details.bitsPerSample = int(bits);
    details.samplesPerPixel = int(samples);
    details.photometric = int(photometric);
    details.compression = int(compression);

    // The strips or tiles of the first page.
    const Entry* offsets = nullptr;
    const Entry* counts = nullptr;
    qint64 across = 1;
    qint64 down = 0;
    qint64 pieceWidth = qint64(width);
    qint64 pieceRows = 0;
    details.tiled = directory.find(kTileWidth) != nullptr;
    if (details.tiled) {
        quint64 tileWidth = 0, tileLength = 0;
        if (!Single(tiff, directory, kTileWidth, 0, tileWidth) || !Single(tiff, directory, kTileLength, 0, tileLength)
            || tileWidth == 0 || tileLength == 0 || tileWidth % 16 != 0 || tileLength % 16 != 0
            || tileWidth > 65536 || tileLength > 65536)
            return false;
        offsets = directory.find(kTileOffsets);
        counts = directory.find(kTileByteCounts);
        across = DivRoundUp(qint64(width), qint64(tileWidth));
        down = DivRoundUp(qint64(height), qint64(tileLength));
        pieceWidth = qint64(tileWidth);
        pieceRows = qint64(tileLength);
    } else {
        quint64 rowsPerStrip = 0;
        if (!Single(tiff, directory, kRowsPerStrip, height, rowsPerStrip) || rowsPerStrip == 0)
            return false;
        offsets = directory.find(kStripOffsets);
        counts = directory.find(kStripByteCounts);
        pieceRows = qint64(qMin(rowsPerStrip, height));
        down = DivRoundUp(qint64(height), pieceRows);
    }
    const qint64 planes = planar == 2 ? qint64(samples) : 1;
    const qint64 pieces = across * down * planes;
    if (!offsets || !counts || pieces > kMaxPieces || offsets->count != pieces || counts->count != pieces)
        return false;
    const qint64 samplesInPiece = planar == 2 ? 1 : qint64(samples);
    const qint64 rowBytes = DivRoundUp(pieceWidth * samplesInPiece * qint64(bits), 8);
    details.largestPiece = rowBytes * pieceRows;
    details.decodedBytes = details.largestPiece * pieces;
    // Strips or tiles that together hold far more than the picture (tiles
    // much larger than it): decoding them would be work without end.
    if (details.decodedBytes > 4 * kMaxDecodedBytes)
        return false;
    for (qint64 i = 0; i < pieces; ++i) {
        quint64 offset = 0;
        quint64 length = 0;
        if (!tiff.value(*offsets, i, offset) || !tiff.value(*counts, i, length))
            return false;
        // Each strip or tile lies inside the file.
        if (length == 0 || offset > quint64(in.size()) || !in.has(qint64(offset), qint64(length)))
            return false;
        details.largestStored = qMax(details.largestStored, qint64(length));
    }
    AppendRange(layout.essentials, 0, in.size());
    return true;
}

} // namespace tavrel
