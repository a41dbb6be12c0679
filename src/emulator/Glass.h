// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the glass of the emulated module shows, as opposed to what its RAM
// holds. The RAM is never changed by these settings; displayImage() applies
// them in this order:
//
// 1. Power off or display off: the glass is black (drawing still goes on
//    into RAM and shows again when both are on).
// 2. Scrolling: inside the scrolled rows (start row, row count, clipped to
//    the panel) the picture is shifted left by the horizontal offset and up
//    by the vertical offset, wrapping around within the 96 columns and
//    within the scrolled rows. Each tick of the scroll clock adds the
//    horizontal step (mod 96) and the vertical step (mod the scrolled rows)
//    to the offsets. Disabling scrolling puts the offsets back to 0.
// 3. Display mode (controller commands): normal, entire display on (every
//    pixel full white) or inverse (each RGB565 channel inverted).
// 4. Dimming: the dim window (a rectangle of the glass, one at a time) and,
//    after the controller's "display on in dim mode", the whole glass, at
//    half brightness.
// 5. Contrast 0..15: brightness scaled by (contrast + 1) / 16; 15 (the
//    power-on value) leaves the colours as they are.

#include "emulator/FrameBuffer.h"

#include <QImage>
#include <QRect>

namespace quennel {

enum class DisplayMode : quint8 { Normal, AllOn, Inverse };

struct ScrollState {
    bool enabled = false;
    quint8 speed = 1;      // 0 fastest .. 3 slowest
    quint8 horizontalStep = 0;
    quint8 startRow = 0;
    quint8 rowCount = 64;
    quint8 verticalStep = 1;
    int horizontalOffset = 0;
    int verticalOffset = 0;
};

struct GlassState {
    bool displayOn = true;
    bool powerOn = true;
    bool dimAll = false;
    quint8 contrast = 15;
    DisplayMode mode = DisplayMode::Normal;
    QRect dimWindow; // in RAM coordinates; empty when nothing is dimmed
    ScrollState scroll;
};

constexpr int kMaxContrast = 15;
constexpr int kSlowestScrollSpeed = 3;

// The glass picture for `frame` under `glass`, 96 x 64 RGB888.
QImage renderGlass(const FrameBuffer& frame, const GlassState& glass);

// The RAM rows that scroll (may be empty).
QRect scrollArea(const ScrollState& scroll);
// Starts or stops scrolling; stopping puts the offsets back to 0.
void setScrolling(ScrollState& scroll, bool enabled);
// One tick of the scroll clock; returns whether an offset changed.
bool advanceScroll(ScrollState& scroll);
// Milliseconds between ticks at a speed 0..3.
int scrollIntervalMs(quint8 speed);

} // namespace quennel
