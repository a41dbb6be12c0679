// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG walk: whole segments from the start-of-image marker to the
// end-of-image marker, one frame header before the first scan.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

namespace tavrel {

namespace {

// Far more than any real file has; beyond them a file is refused rather
// than walked (and decoded) piece by piece.
constexpr int kMaxSegments = 10000;
constexpr int kMaxScans = 1000;
// The 8 x 8 blocks all scans together may go through: each scan of a
// progressive file visits every block of its components, however little
// data it holds, so many scans over a large picture are work without end.
// Real files visit each block a handful of times.
constexpr qint64 kMaxScanBlocks = 64LL * 1024 * 1024;

struct Frame {
    bool seen = false;
    int components = 0;
    int id[4] = {};
    int h[4] = {};
    int v[4] = {};
    qint64 blocks[4] = {};  // 8 x 8 blocks of each component
    qint64 scanBlocks = 0;  // blocks visited by the scans so far
};

bool IsFrameHeader(quint8 marker)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsProgressive(quint8 marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Segments that only describe the picture (Exif, colour profiles,
// comments, thumbnails ...) go to no decoder. JFIF (APP0) and Adobe
// (APP14) stay: they say how the colours are encoded.
bool IsDescriptive(quint8 marker)
{
    return marker == 0xFE || (marker >= 0xE1 && marker <= 0xEF && marker != 0xEE);
}

qint64 RoundUp(qint64 value, qint64 step)
{
    return (value + step - 1) / step * step;
}

qint64 DivRoundUp(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

bool ReadFrame(LayoutReader& in, qint64 at, qint64 length, quint8 marker, Frame& frame, PictureLayout& layout)
{
    bool ok = true;
    const int precision = in.u8(at, ok);
    const int height = in.be16(at + 1, ok);
    const int width = in.be16(at + 3, ok);
    const int components = in.u8(at + 5, ok);
    if (!ok || frame.seen || (precision != 8 && precision != 12 && precision != 16) || width == 0 || height == 0)
        return false;
    // Grey, colour (YCbCr or RGB) or CMYK/YCCK; a height of 0 (set later by
    // a DNL marker) is not taken.
    if ((components != 1 && components != 3 && components != 4) || length != 8 + 3 * components)
        return false;
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        frame.id[c] = in.u8(at + 6 + 3 * c, ok);
        const int sampling = in.u8(at + 7 + 3 * c, ok);
        frame.h[c] = sampling >> 4;
        frame.v[c] = sampling & 0x0F;
        if (frame.h[c] < 1 || frame.h[c] > 4 || frame.v[c] < 1 || frame.v[c] > 4)
            return false;
        maxH = qMax(maxH, frame.h[c]);
        maxV = qMax(maxV, frame.v[c]);
    }
    if (!ok)
        return false;
    frame.seen = true;
    frame.components = components;
    layout.size = QSize(width, height);
    layout.jpeg.components = components;
    layout.jpeg.progressive = IsProgressive(marker);
    // What libjpeg allocates when it must keep the whole picture's
    // coefficients: 64 of two bytes per 8 x 8 block of every component.
    qint64 coefficients = 0;
    for (int c = 0; c < components; ++c) {
        const qint64 blocksWide = DivRoundUp(qint64(width) * frame.h[c], qint64(maxH) * 8);
        const qint64 blocksHigh = DivRoundUp(qint64(height) * frame.v[c], qint64(maxV) * 8);
        frame.blocks[c] = RoundUp(blocksWide, frame.h[c]) * RoundUp(blocksHigh, frame.v[c]);
        coefficients += frame.blocks[c] * 128;
    }
    layout.jpeg.coefficientBytes = coefficients;
    return true;
}

// The end of a scan's entropy-coded data: the next marker that is neither a
// stuffed 0xFF00, a fill byte nor a restart marker. -1 when the file ends
// first.
qint64 ScanEnd(LayoutReader& in, qint64 pos)
{
    for (;;) {
        const qint64 ff = in.find('\xFF', pos);
        bool ok = true;
        const quint8 next = in.u8(ff + 1, ok);
        if (ff < 0 || !ok)
            return -1;
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
            pos = ff + 2;
            continue;
        }
        if (next == 0xFF) {
            pos = ff + 1;
            continue;
        }
        return ff;
    }
}

} // namespace

bool WalkJpeg(LayoutReader& in, PictureLayout& layout)
{
    ByteRanges& kept = layout.essentials;
    ByteRanges& dcScans = layout.jpeg.dcScans;
    AppendRange(kept, 0, 2);
    AppendRange(dcScans, 0, 2);
    Frame frame;
    qint64 pos = 2;
    int segments = 0;
    int scans = 0;
    for (;;) {
        bool ok = true;
        if (in.u8(pos, ok) != 0xFF || !ok)
            return false;
        // Fill bytes before a marker.
        while (in.u8(pos + 1, ok) == 0xFF && ok)
            ++pos;
        const quint8 marker = in.u8(pos + 1, ok);
        if (!ok || marker == 0x00 || ++segments > kMaxSegments)
            return false;
        if (marker == 0xD9) {
            if (scans == 0)
                return false;
            AppendRange(kept, pos, 2);
            AppendRange(dcScans, pos, 2);
            return true;
        }
        if (marker == 0xD8)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            // Markers without a segment.
            AppendRange(kept, pos, 2);
            AppendRange(dcScans, pos, 2);
            pos += 2;
            continue;
        }
        const qint64 length = in.be16(pos + 2, ok);
        if (!ok || length < 2 || !in.has(pos + 2, length))
            return false;
        const qint64 body = pos + 4;
        qint64 end = pos + 2 + length;
        bool acScan = false;
        if (IsFrameHeader(marker)) {
            if (!ReadFrame(in, body, length, marker, frame, layout))
                return false;
        } else if (marker == 0xDA) {
            const int count = in.u8(body, ok);
            if (!ok || !frame.seen || count < 1 || count > frame.components || length != 6 + 2 * count
                || ++scans > kMaxScans)
                return false;
            // A first scan that holds only some of the components, or a
            // progressive frame: the whole picture's coefficients are kept.
            if (scans == 1 && (layout.jpeg.progressive || count < frame.components))
                layout.jpeg.buffered = true;
            for (int i = 0; i < count; ++i) {
                const int id = in.u8(body + 1 + 2 * i, ok);
                for (int c = 0; c < frame.components; ++c)
                    if (frame.id[c] == id) {
                        frame.scanBlocks += frame.blocks[c];
                        break;
                    }
            }
            if (frame.scanBlocks > kMaxScanBlocks)
                return false;
            const int spectralStart = in.u8(body + 1 + 2 * count, ok);
            acScan = layout.jpeg.progressive && spectralStart != 0;
            end = ScanEnd(in, end);
            if (end < 0 || !ok)
                return false;
        }
        if (!IsDescriptive(marker)) {
            AppendRange(kept, pos, end - pos);
            if (!acScan)
                AppendRange(dcScans, pos, end - pos);
        }
        pos = end;
    }
}

} // namespace tavrel
