// SPDX-License-Identifier: GPL-3.0-or-later
// The walk for the portable bitmap, grey map and pixmap formats (PBM, PGM,
// PPM): the header's numbers, and for the binary kinds all the pixel data.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"

#include <cstdint>

namespace tavrel {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Reads the next decimal number of the header from `pos` on, skipping
// white space and comments ("#" to the end of the line). Leaves `pos` on
// the character after the number.
bool ReadNumber(LayoutReader& in, qint64& pos, qint64& value)
{
    char c = 0;
    for (;;) {
        if (!in.read(pos, &c, 1))
            return false;
        if (c == '#') {
            const qint64 lf = in.find('\n', pos);
            const qint64 cr = in.find('\r', pos);
            if (lf < 0 && cr < 0)
                return false;
            pos = (lf < 0 || (cr >= 0 && cr < lf)) ? cr : lf;
            continue;
        }
        if (!IsSpace(c))
            break;
        ++pos;
    }
    value = 0;
    int digits = 0;
    while (c >= '0' && c <= '9') {
        // Ten digits already say more than any limit here allows.
        if (++digits > 10)
            return false;
        value = value * 10 + (c - '0');
        ++pos;
        if (!in.read(pos, &c, 1))
            return digits > 0;
    }
    return digits > 0;
}

} // namespace

bool WalkPnm(LayoutReader& in, PictureLayout& layout)
{
    PnmDetails& pnm = layout.pnm;
    char magic[2] = {};
    if (!in.read(0, magic, 2))
        return false;
    pnm.kind = magic[1] - '0';
    qint64 pos = 2;
    qint64 width = 0;
    qint64 height = 0;
    qint64 maxValue = 1;
    const bool bitmap = pnm.kind == 1 || pnm.kind == 4;
    if (!ReadNumber(in, pos, width) || !ReadNumber(in, pos, height) || (!bitmap && !ReadNumber(in, pos, maxValue)))
        return false;
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX || maxValue < 1 || maxValue > 65535)
        return false;
    pnm.maxValue = int(maxValue);
    layout.size = QSize(int(width), int(height));
    AppendRange(layout.essentials, 0, in.size());
    if (pnm.kind <= 3)
        return true;  // text: its own reader finds out whether every number is there

    // Binary data starts after one white-space character.
    char c = 0;
    if (!in.read(pos, &c, 1) || !IsSpace(c))
        return false;
    ++pos;
    const qint64 sampleBytes = maxValue > 255 ? 2 : 1;
    qint64 rowBytes = 0;
    if (pnm.kind == 4)
        rowBytes = (width + 7) / 8;
    else if (pnm.kind == 5)
        rowBytes = width * sampleBytes;
    else
        rowBytes = 3 * width * sampleBytes;
    return rowBytes <= in.size() / height && in.has(pos, rowBytes * height);
}

} // namespace tavrel
