// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP walk: a header Qt's reader takes, a palette no longer than the
// depth allows, and all the pixel rows (or run-length codes) the header
// announces.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <cstdint>

namespace tavrel {

namespace {

constexpr qint64 kFileHeaderBytes = 14;
constexpr int kCoreHeaderBytes = 12;  // OS/2 1.x: 16-bit sizes, three-byte palette entries

enum Compression { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

bool IsInfoHeaderSize(qint64 size)
{
    return size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Follows the run-length codes from `pos`: sound when they reach the
// end-of-bitmap code, or the end of the last row, before the data runs out,
// and when they paint no more than a few times the picture's pixels (codes
// that paint the same row over and over, or move nowhere, would be work
// without end).
bool RunLengthCodesComplete(LayoutReader& in, qint64 pos, qint64 rows, qint64 columns, bool fourBits)
{
    const qint64 maxPainted = 3 * rows * columns + rows + 65536;
    qint64 painted = 0;
    qint64 row = 0;
    for (;;) {
        // Every code is work, a move or a line's end too.
        if (++painted > maxPainted)
            return false;
        if (row >= rows)
            return true;
        uchar pair[2];
        if (!in.read(pos, reinterpret_cast<char*>(pair), 2))
            return false;
        const int count = pair[0];
        const int code = pair[1];
        pos += 2;
        if (count > 0) {
            painted += count;
            continue;  // a run of one value (or two alternating nibbles)
        }
        if (code == 0) {
            ++row;  // end of line
        } else if (code == 1) {
            return true;  // end of bitmap
        } else if (code == 2) {
            // A move right and down.
            if (!in.read(pos, reinterpret_cast<char*>(pair), 2))
                return false;
            row += pair[1];
            pos += 2;
        } else {
            // `code` pixels stored as they are, padded to a 16-bit boundary.
            painted += code;
            const qint64 bytes = fourBits ? (code + 1) / 2 : code;
            const qint64 padded = (bytes + 1) & ~qint64(1);
            if (!in.has(pos, padded))
                return false;
            pos += padded;
        }
    }
}

} // namespace

bool WalkBmp(LayoutReader& in, PictureLayout& layout)
{
    BmpDetails& bmp = layout.bmp;
    bool ok = true;
    const qint64 pixelOffset = in.le32(10, ok);
    const qint64 headerSize = in.le32(14, ok);
    qint64 width = 0;
    qint64 height = 0;
    int planes = 0;
    qint64 coloursUsed = 0;
    if (headerSize == kCoreHeaderBytes) {
        width = in.le16(18, ok);
        height = in.le16(20, ok);
        planes = in.le16(22, ok);
        bmp.bitsPerPixel = in.le16(24, ok);
    } else if (IsInfoHeaderSize(headerSize)) {
        width = qint32(in.le32(18, ok));
        height = qint32(in.le32(22, ok));
        planes = in.le16(26, ok);
        bmp.bitsPerPixel = in.le16(28, ok);
        bmp.compression = int(in.le32(30, ok));
        coloursUsed = in.le32(46, ok);
    } else {
        return false;
    }
    const int bits = bmp.bitsPerPixel;
    if (!ok || planes != 1 || width <= 0 || height == 0 || height == qint64(INT32_MIN))
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    switch (bmp.compression) {
    case kRgb:
        break;
    case kRle8:
        if (bits != 8)
            return false;
        break;
    case kRle4:
        if (bits != 4)
            return false;
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (bits != 16 && bits != 32)
            return false;
        break;
    default:
        // Embedded JPEG or PNG data and the rarer codings: no reader here.
        return false;
    }
    const bool runLength = bmp.compression == kRle8 || bmp.compression == kRle4;
    bmp.topDown = height < 0;
    // Run-length data is always stored bottom-up.
    if (bmp.topDown && runLength)
        return false;
    const qint64 rows = bmp.topDown ? -height : height;
    layout.size = QSize(int(qMin<qint64>(width, INT32_MAX)), int(qMin<qint64>(rows, INT32_MAX)));

    // The colour masks of a 40-byte header follow it; larger headers hold them.
    qint64 tableStart = kFileHeaderBytes + headerSize;
    if (headerSize == 40 && bmp.compression == kBitFields)
        tableStart += 12;
    else if (headerSize == 40 && bmp.compression == kAlphaBitFields)
        tableStart += 16;
    if (bits <= 8) {
        const qint64 maxColours = qint64(1) << bits;
        const qint64 colours = coloursUsed == 0 ? maxColours : coloursUsed;
        if (colours > maxColours)
            return false;
        const int entryBytes = headerSize == kCoreHeaderBytes ? 3 : 4;
        if (!in.has(tableStart, colours * entryBytes))
            return false;
    } else if (!in.has(0, tableStart)) {
        return false;
    }
    if (pixelOffset < kFileHeaderBytes + headerSize || pixelOffset >= in.size())
        return false;

    AppendRange(layout.essentials, 0, in.size());
    if (runLength)
        return RunLengthCodesComplete(in, pixelOffset, rows, width, bmp.compression == kRle4);
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return stride <= in.size() / rows && in.has(pixelOffset, stride * rows);
}

} // namespace tavrel
