// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF walk: the screen descriptor, colour tables, extensions and images
// with all their data sub-blocks, up to the trailer.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

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

} // namespace

bool WalkGif(LayoutReader& in, PictureLayout& layout)
{
    bool ok = true;
    const int screenWidth = in.le16(kHeaderBytes, ok);
    const int screenHeight = in.le16(kHeaderBytes + 2, ok);
    const int packed = in.u8(kHeaderBytes + 4, ok);
    if (!ok)
        return false;
    qint64 pos = kHeaderBytes + 7 + ColourTableBytes(packed);
    int frames = 0;
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
            // Graphic control: the way the frame is disposed of.
            if (label == 0xF9 && in.u8(pos + 2, ok) >= 1 && ((in.u8(pos + 3, ok) >> 2) & 0x07) == 3)
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
        pos = SkipSubBlocks(in, pos + 1);
        if (pos < 0)
            return false;
    }
    AppendRange(layout.essentials, 0, in.size());
    return frames > 0;
}

} // namespace tavrel
