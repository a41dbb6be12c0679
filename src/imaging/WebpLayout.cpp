// SPDX-License-Identifier: GPL-3.0-or-later
// The WebP walk: the RIFF container's chunks, each inside the file and the
// container, and the first frame's bitstream header (lossy VP8 or lossless
// VP8L), whose size must agree with the canvas or frame it is drawn in.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <cstring>

namespace tavrel {

namespace {

constexpr qint64 kRiffHeaderBytes = 12;
constexpr qint64 kChunkHeaderBytes = 8;
// More frames than any animation has, as for GIF.
constexpr int kMaxFrames = 100000;

bool IsFourCc(const char* fourCc, const char* name)
{
    return std::memcmp(fourCc, name, 4) == 0;
}

quint32 Le24(const uchar* p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16);
}

// The size in a VP8 or VP8L bitstream's header, `payload` bytes at `at`.
bool BitstreamSize(LayoutReader& in, qint64 at, qint64 payload, bool lossless, QSize& size)
{
    uchar header[10] = {};
    if (lossless) {
        // A signature byte, then 14 bits of width - 1, 14 of height - 1, the
        // alpha hint and a three-bit version that must be 0.
        if (payload < 5 || !in.read(at, reinterpret_cast<char*>(header), 5) || header[0] != 0x2F)
            return false;
        const quint32 bits = quint32(header[1]) | (quint32(header[2]) << 8) | (quint32(header[3]) << 16)
            | (quint32(header[4]) << 24);
        if ((bits >> 29) != 0)
            return false;
        size = QSize(int(bits & 0x3FFF) + 1, int((bits >> 14) & 0x3FFF) + 1);
        return true;
    }
    // A key frame: the frame tag, the start code 9D 01 2A, then the width
    // and height in 14 bits each (the top two bits scale, and are ignored).
    if (payload < 10 || !in.read(at, reinterpret_cast<char*>(header), 10))
        return false;
    const quint32 tag = Le24(header);
    const bool keyFrame = (tag & 1) == 0;
    const qint64 firstPartition = tag >> 5;
    if (!keyFrame || ((tag >> 1) & 7) > 3 || firstPartition > payload - 10)
        return false;
    if (header[3] != 0x9D || header[4] != 0x01 || header[5] != 0x2A)
        return false;
    size = QSize(int((header[6] | (header[7] << 8)) & 0x3FFF), int((header[8] | (header[9] << 8)) & 0x3FFF));
    return !size.isEmpty();
}

struct Chunk {
    char fourCc[4] = {};
    qint64 payload = 0;  // offset of the data
    qint64 length = 0;   // of the data, without the padding byte
    qint64 next = 0;     // offset of the next chunk
};

// The chunk at `pos`, which must lie within [pos, end).
bool ReadChunk(LayoutReader& in, qint64 pos, qint64 end, Chunk& chunk)
{
    bool ok = true;
    if (!in.read(pos, chunk.fourCc, 4))
        return false;
    chunk.length = in.le32(pos + 4, ok);
    chunk.payload = pos + kChunkHeaderBytes;
    chunk.next = chunk.payload + chunk.length + (chunk.length & 1);
    // A last chunk of odd length may lack its padding byte.
    return ok && chunk.payload + chunk.length <= end && in.has(chunk.payload, chunk.length);
}

// The frame data inside an ANMF chunk, or a still image's chunks after
// VP8X: an optional ALPH chunk, then VP8 or VP8L. Fills in the bitstream's
// size and kind.
bool ReadImageData(LayoutReader& in, qint64 pos, qint64 end, WebpDetails& webp, QSize& size)
{
    Chunk chunk;
    while (pos < end) {
        if (!ReadChunk(in, pos, end, chunk))
            return false;
        if (IsFourCc(chunk.fourCc, "ALPH")) {
            webp.alpha = true;
        } else if (IsFourCc(chunk.fourCc, "VP8 ") || IsFourCc(chunk.fourCc, "VP8L")) {
            webp.lossless = IsFourCc(chunk.fourCc, "VP8L");
            return BitstreamSize(in, chunk.payload, chunk.length, webp.lossless, size);
        } else if (IsFourCc(chunk.fourCc, "ANMF") || IsFourCc(chunk.fourCc, "VP8X")) {
            return false;
        }
        pos = chunk.next;
    }
    return false;
}

} // namespace

bool WalkWebp(LayoutReader& in, PictureLayout& layout)
{
    WebpDetails& webp = layout.webp;
    bool ok = true;
    // The container's length counts from after its own field; bytes after
    // it are not the picture's.
    const qint64 riffLength = in.le32(4, ok);
    const qint64 end = 8 + riffLength;
    if (!ok || riffLength < 4 + kChunkHeaderBytes || end > in.size())
        return false;
    Chunk first;
    if (!ReadChunk(in, kRiffHeaderBytes, end, first))
        return false;
    AppendRange(layout.essentials, 0, end);
    if (IsFourCc(first.fourCc, "VP8 ") || IsFourCc(first.fourCc, "VP8L")) {
        // A simple file: one frame, its size the picture's.
        webp.lossless = IsFourCc(first.fourCc, "VP8L");
        if (!BitstreamSize(in, first.payload, first.length, webp.lossless, layout.size))
            return false;
        webp.alpha = webp.lossless;
        webp.firstFrame = layout.size;
        return true;
    }
    if (!IsFourCc(first.fourCc, "VP8X") || first.length < 10)
        return false;
    uchar header[10] = {};
    if (!in.read(first.payload, reinterpret_cast<char*>(header), 10))
        return false;
    const qint64 canvasWidth = qint64(Le24(header + 4)) + 1;
    const qint64 canvasHeight = qint64(Le24(header + 7)) + 1;
    layout.size = QSize(int(canvasWidth), int(canvasHeight));
    webp.animated = (header[0] & 0x02) != 0;
    webp.alpha = (header[0] & 0x10) != 0;

    // The chunks after VP8X, up to the first frame; the rest (more frames,
    // metadata) must be whole chunks too.
    bool haveFrame = false;
    int frames = 0;
    for (qint64 pos = first.next; pos < end;) {
        Chunk chunk;
        if (!ReadChunk(in, pos, end, chunk))
            return false;
        if (IsFourCc(chunk.fourCc, "ANMF")) {
            if (!webp.animated || ++frames > kMaxFrames || chunk.length < 16)
                return false;
            if (!haveFrame) {
                uchar frame[16] = {};
                if (!in.read(chunk.payload, reinterpret_cast<char*>(frame), 16))
                    return false;
                const qint64 x = 2 * qint64(Le24(frame));
                const qint64 y = 2 * qint64(Le24(frame + 3));
                const qint64 width = qint64(Le24(frame + 6)) + 1;
                const qint64 height = qint64(Le24(frame + 9)) + 1;
                if (x + width > canvasWidth || y + height > canvasHeight)
                    return false;
                QSize bitstream;
                WebpDetails frameDetails;
                if (!ReadImageData(in, chunk.payload + 16, chunk.payload + chunk.length, frameDetails, bitstream)
                    || bitstream != QSize(int(width), int(height)))
                    return false;
                webp.lossless = frameDetails.lossless;
                webp.alpha = webp.alpha || frameDetails.alpha;
                webp.firstFrame = bitstream;
                haveFrame = true;
            }
        } else if (!webp.animated && !haveFrame
                   && (IsFourCc(chunk.fourCc, "ALPH") || IsFourCc(chunk.fourCc, "VP8 ")
                       || IsFourCc(chunk.fourCc, "VP8L"))) {
            QSize bitstream;
            if (!ReadImageData(in, pos, end, webp, bitstream) || bitstream != layout.size)
                return false;
            webp.firstFrame = bitstream;
            haveFrame = true;
            // ReadImageData went past the ALPH chunk; skip to after the
            // bitstream chunk.
            while (pos < end) {
                Chunk part;
                if (!ReadChunk(in, pos, end, part))
                    return false;
                pos = part.next;
                if (IsFourCc(part.fourCc, "VP8 ") || IsFourCc(part.fourCc, "VP8L"))
                    break;
            }
            continue;
        } else if (IsFourCc(chunk.fourCc, "VP8X")) {
            return false;
        }
        pos = chunk.next;
    }
    return haveFrame;
}

} // namespace tavrel
