// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tavrel {

// A colour as the panel's colour buttons hold it: 0x00BBGGRR, red in the low byte.
using HostColour = quint32;

constexpr HostColour MakeHostColour(int red, int green, int blue)
{
    return (HostColour(red & 0xFF)) | (HostColour(green & 0xFF) << 8) | (HostColour(blue & 0xFF) << 16);
}
constexpr int RedOf(HostColour c) { return int(c & 0xFF); }
constexpr int GreenOf(HostColour c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(HostColour c) { return int((c >> 16) & 0xFF); }

constexpr HostColour kWhite = 0x00FFFFFF;
constexpr HostColour kBlack = 0x00000000;

// RGB565 as the module takes it: red in bits 15..11, green 10..5, blue 4..0.
// The low bits of each channel are dropped, never rounded.
constexpr quint16 HostToRgb565(HostColour c)
{
    return quint16(((RedOf(c) & 0xF8) << 8) | ((GreenOf(c) & 0xFC) << 3) | (BlueOf(c) >> 3));
}

// The reverse used for a colour read back from the module: the dropped low
// bits stay zero (no scaling up to 255).
constexpr HostColour Rgb565ToHost(quint16 v)
{
    return MakeHostColour((v >> 8) & 0xF8, (v >> 3) & 0xFC, (v & 0x1F) << 3);
}

} // namespace tavrel
