// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/HostColour.h"

#include <QPalette>

#include <array>

namespace tavrel {

// Where each of the sixteen system colours of the colour palette comes from.
// On Windows the colour is the system's own (GetSysColor with the index
// below); elsewhere it is the palette colour of the given group and role,
// the closest thing Qt knows. docs/palette.md explains the choices.
struct SystemColourSource {
    const char* name;          // the cell's tooltip
    int windowsIndex;          // COLOR_… index for GetSysColor
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr int kSystemColourCount = 16;

const std::array<SystemColourSource, kSystemColourCount>& SystemColourTable();

// The sixteen colours in table order, read afresh from the platform (from
// the given palette where the platform has no colours of its own).
std::array<HostColour, kSystemColourCount> ReadSystemColours(const QPalette& palette);

// Whether text and lines drawn on this colour want the light variants of
// the program's own colours: true for the backgrounds of a dark desktop.
bool IsDarkBackground(const QColor& background);

} // namespace tavrel
