// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tavrel {

constexpr int kPanelWidth = 96;
constexpr int kPanelHeight = 64;
constexpr quint32 kMaxX = kPanelWidth - 1;
constexpr quint32 kMaxY = kPanelHeight - 1;

// Coordinates are compared as unsigned numbers, so a negative entry fails
// just like one past the edge.
constexpr bool PointInBounds(qint32 x, qint32 y)
{
    return static_cast<quint32>(x) <= kMaxX && static_cast<quint32>(y) <= kMaxY;
}

} // namespace tavrel
