// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PixelQuantiser.h"

#include "emulator/FrameBuffer.h"
#include "imaging/PictureConversion.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace tavrel {

namespace {

// One colour channel of a depth: where its bits sit in the code and the
// 8-bit value the module shows for each of its codes.
struct ChannelLevels {
    int shift = 0;
    int top = 0;        // the channel's largest code
    int shown[64] = {};  // shown value of each channel code
    quint8 nearest[256] = {};  // the channel code shown nearest to each 8-bit value (the lower on a tie)
};

struct DepthLevels {
    ChannelLevels channels[3];  // red, green, blue
};

int Component(QRgb colour, int channel)
{
    return channel == 0 ? qRed(colour) : channel == 1 ? qGreen(colour) : qBlue(colour);
}

DepthLevels MakeLevels(int depth)
{
    static const int bits16[3] = {5, 6, 5};
    static const int bits8[3] = {3, 3, 2};
    const int* bits = depth == kDepth8 ? bits8 : bits16;
    DepthLevels levels;
    int shift = 0;
    for (int channel = 2; channel >= 0; --channel) {
        ChannelLevels& c = levels.channels[channel];
        c.shift = shift;
        c.top = (1 << bits[channel]) - 1;
        shift += bits[channel];
        // The expansion widens each channel on its own, so the channel's
        // code alone gives its shown value.
        for (int code = 0; code <= c.top; ++code)
            c.shown[code] = Component(ShownColour(quint16(code << c.shift), depth), channel);
        for (int value = 0; value < 256; ++value) {
            int best = 0;
            for (int code = 1; code <= c.top; ++code)
                if (std::abs(value - c.shown[code]) < std::abs(value - c.shown[best]))
                    best = code;
            c.nearest[value] = quint8(best);
        }
    }
    return levels;
}

const DepthLevels& LevelsOf(int depth)
{
    static const DepthLevels levels16 = MakeLevels(kDepth16);
    static const DepthLevels levels8 = MakeLevels(kDepth8);
    return depth == kDepth8 ? levels8 : levels16;
}

void Truncate(const QImage& rgb, int depth, quint16* codes)
{
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x, line += 3)
            *codes++ = depth == kDepth8 ? PixelToRgb332(line[0], line[1], line[2])
                                        : PixelToRgb565(line[0], line[1], line[2]);
    }
}

// Floyd-Steinberg in serpentine order. Errors are kept in sixteenths of a
// level, for the row being quantised and the row below, with one spare
// pixel at either end for what falls off the picture's edges. The four
// shares are whole sixteenths; the last takes what division leaves, so no
// error is lost or made up on the way.
void Diffuse(const QImage& rgb, int depth, quint16* codes)
{
    const DepthLevels& levels = LevelsOf(depth);
    const int w = rgb.width();
    std::vector<int> here(size_t(w + 2) * 3, 0);
    std::vector<int> below(size_t(w + 2) * 3, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        const bool forward = (y % 2) == 0;
        const int step = forward ? 1 : -1;
        std::fill(below.begin(), below.end(), 0);
        quint16* rowCodes = codes + size_t(y) * size_t(w);
        for (int i = 0, x = forward ? 0 : w - 1; i < w; ++i, x += step) {
            // Index of this pixel's first channel in the error rows.
            const int at = (x + 1) * 3;
            const int ahead = at + step * 3;
            const int behind = at - step * 3;
            quint16 code = 0;
            for (int channel = 0; channel < 3; ++channel) {
                const ChannelLevels& c = levels.channels[channel];
                const int wanted = qBound(0, line[x * 3 + channel] * 16 + here[size_t(at + channel)], 255 * 16);
                const int chosen = c.nearest[(wanted + 8) / 16];
                const int error = wanted - c.shown[chosen] * 16;
                const int toAhead = error * 7 / 16;
                const int toBehindBelow = error * 3 / 16;
                const int toBelow = error * 5 / 16;
                here[size_t(ahead + channel)] += toAhead;
                below[size_t(behind + channel)] += toBehindBelow;
                below[size_t(at + channel)] += toBelow;
                below[size_t(ahead + channel)] += error - toAhead - toBehindBelow - toBelow;
                code = quint16(code | (chosen << c.shift));
            }
            rowCodes[x] = code;
        }
        here.swap(below);
    }
}

} // namespace

QRgb ShownColour(quint16 code, int depth)
{
    if (depth == kDepth8)
        return quennel::rgb565ToRgb(quennel::rgb332ToRgb565(quint8(code)));
    return quennel::rgb565ToRgb(code);
}

std::vector<quint16> QuantisePixels(const QImage& picture, const PixelEncoding& encoding)
{
    if (picture.isNull())
        return {};
    const QImage rgb = OpaqueRgb888(picture);
    std::vector<quint16> codes(size_t(rgb.width()) * size_t(rgb.height()));
    if (encoding.dithering == Dithering::FloydSteinberg)
        Diffuse(rgb, encoding.depth, codes.data());
    else
        Truncate(rgb, encoding.depth, codes.data());
    return codes;
}

QImage ModuleView(const QImage& picture, const PixelEncoding& encoding)
{
    if (picture.isNull())
        return QImage();
    const std::vector<quint16> codes = QuantisePixels(picture, encoding);
    const DepthLevels& levels = LevelsOf(encoding.depth);
    QImage view(picture.size(), QImage::Format_RGB888);
    const quint16* code = codes.data();
    for (int y = 0; y < view.height(); ++y) {
        uchar* line = view.scanLine(y);
        for (int x = 0; x < view.width(); ++x, ++code)
            for (int channel = 0; channel < 3; ++channel) {
                const ChannelLevels& c = levels.channels[channel];
                *line++ = uchar(c.shown[(*code >> c.shift) & c.top]);
            }
    }
    return view;
}

} // namespace tavrel
