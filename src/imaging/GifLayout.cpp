// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF walk: the screen descriptor, colour tables, extensions and images
// with all their data sub-blocks, up to the trailer. The first image's
// compressed data is followed code by code (without making pixels) to the
// point where it has filled the frame, and the decoder is given the file
// only up to there: however far the data would go on expanding, decoding
// ends with the frame.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <array>

namespace tavrel {

namespace {

constexpr qint64 kHeaderBytes = 6;
// More frames than any animation has; beyond it a file is refused rather
// than walked frame by frame.
constexpr int kMaxFrames = 100000;

// Skips a run of data sub-blocks (a length byte, that many bytes) up to
// the empty one that ends it; -1 when the file ends first.
qint64 SkipSubBlocks(LayoutReader& in, qint64 pos)
{
    for (;;) {
        bool ok = true;
        const int length = in.u8(pos, ok);
        if (!ok)
            return -1;
        ++pos;
        if (length == 0)
            return pos;
        if (!in.has(pos, length))
            return -1;
        pos += length;
    }
}

qint64 ColourTableBytes(int packed)
{
    return (packed & 0x80) ? 3 * (qint64(2) << (packed & 0x07)) : 0;
}

// Follows the LZW codes of an image's data sub-blocks from `pos` (the first
// length byte) and counts the pixels they make. Returns the end of the
// sub-block in which the codes have filled `pixels` pixels, ended, turned
// invalid or done nothing but clear the table for too long; -1 when the
// data runs out first (it then makes no more than the frame's pixels).
qint64 EndOfNeededCodes(LayoutReader& in, qint64 pos, int minimumCodeSize, qint64 pixels)
{
    constexpr int kMaxCodes = 4096;
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    // The length of the string each code stands for.
    std::array<quint16, kMaxCodes> lengths;
    lengths.fill(1);
    int codeBits = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    qint64 made = 0;
    qint64 clears = 0;
    quint32 pending = 0;
    int pendingBits = 0;
    char block[255];
    for (;;) {
        bool ok = true;
        const int length = in.u8(pos, ok);
        if (!ok || length == 0 || !in.read(pos + 1, block, length))
            return -1;
        pos += 1 + length;
        for (int i = 0; i < length; ++i) {
            pending |= quint32(quint8(block[i])) << pendingBits;
            pendingBits += 8;
            while (pendingBits >= codeBits) {
                const int code = int(pending & ((1u << codeBits) - 1));
                pending >>= codeBits;
                pendingBits -= codeBits;
                if (code == clear) {
                    codeBits = minimumCodeSize + 1;
                    next = clear + 2;
                    previous = -1;
                    // Encoders clear at most once per code they write.
                    if (++clears > 2 * made + 16)
                        return pos;
                    continue;
                }
                if (code == end)
                    return pos;
                if (previous < 0) {
                    if (code > clear)
                        return pos;
                    made += 1;
                } else {
                    if (code > next || (code == next && next >= kMaxCodes))
                        return pos;
                    if (next < kMaxCodes) {
                        lengths[size_t(next)] = quint16(lengths[size_t(previous)] + 1);
                        ++next;
                        if (next == (1 << codeBits) && codeBits < 12)
                            ++codeBits;
                    }
                    made += lengths[size_t(code)];
                }
                previous = code;
                if (made >= pixels)
                    return pos;
            }
        }
    }
}

} // namespace

bool WalkGif(LayoutReader& in, PictureLayout& layout)
{
    bool ok = true;
    const int screenWidth = in.le16(kHeaderBytes, ok);
    const int screenHeight = in.le16(kHeaderBytes + 2, ok);
    const int packed = in.u8(kHeaderBytes + 4, ok);
    if (!ok)
        return false;
    if (screenWidth > 0 && screenHeight > 0)
        layout.size = QSize(screenWidth, screenHeight);
    qint64 pos = kHeaderBytes + 7 + ColourTableBytes(packed);
    int frames = 0;
    // Where the decoder's part of the file ends: after the first image.
    qint64 firstImageEnd = -1;
    qint64 codesEnd = -1;
    for (;;) {
        const int introducer = in.u8(pos, ok);
        if (!ok)
            // A file that stops after a whole frame, without its trailer,
            // is taken as browsers take it.
            break;
        if (introducer == 0x3B)
            break;
        if (introducer == 0x21) {
            const int label = in.u8(pos + 1, ok);
            if (!ok)
                return false;
            // Graphic control: the way the first frame is disposed of.
            if (frames == 0 && label == 0xF9 && in.u8(pos + 2, ok) >= 1
                && ((in.u8(pos + 3, ok) >> 2) & 0x07) == 3)
                layout.gif.restoresPrevious = true;
            pos = SkipSubBlocks(in, pos + 2);
            if (pos < 0 || !ok)
                return false;
            continue;
        }
        if (introducer != 0x2C || ++frames > kMaxFrames)
            return false;
        const int width = in.le16(pos + 5, ok);
        const int height = in.le16(pos + 7, ok);
        const int framePacked = in.u8(pos + 9, ok);
        if (!ok || width == 0 || height == 0)
            return false;
        // A screen of no size takes the first frame's.
        if (frames == 1)
            layout.size = screenWidth > 0 && screenHeight > 0 ? QSize(screenWidth, screenHeight) : QSize(width, height);
        pos += 10 + ColourTableBytes(framePacked);
        const int codeSize = in.u8(pos, ok);
        if (!ok || codeSize < 1 || codeSize > 11)
            return false;
        if (frames == 1)
            codesEnd = EndOfNeededCodes(in, pos + 1, codeSize, qint64(width) * height);
        pos = SkipSubBlocks(in, pos + 1);
        if (pos < 0)
            return false;
        if (frames == 1)
            firstImageEnd = pos;
    }
    if (frames == 0)
        return false;
    // The first frame is all that is decoded: the file up to its end, or
    // up to the sub-block where its codes had done their work, then an
    // ending made here.
    if (codesEnd >= 0 && codesEnd < firstImageEnd) {
        AppendRange(layout.essentials, 0, codesEnd);
        layout.essentialsEnd = QByteArray("\x00\x3B", 2);
    } else {
        AppendRange(layout.essentials, 0, firstImageEnd);
        layout.essentialsEnd = QByteArray("\x3B", 1);
    }
    return true;
}

} // namespace tavrel
