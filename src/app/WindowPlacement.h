// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

namespace tavrel {

// Where another window (the built-in emulator's display, the traffic
// history) goes beside the panel. All rectangles are frame rectangles in screen coordinates; the
// available rectangle is the panel's screen less task bars and docks.

struct WindowPlace {
    QPoint topLeft;
    // True when the window covers no part of the panel.
    bool clear = false;
};

// The first place the screen holds whole, gap pixels away from the panel:
// right of it, else below, else left, else above. When none does, the window
// goes over the panel's top-right corner, the part without buttons, pushed
// as far right and up as the screen allows so that it covers as little of
// the panel as it can.
WindowPlace PlaceBesidePanel(const QRect& panelFrame, const QSize& windowFrame, const QRect& available, int gap);

// The same with other windows already beside the panel, which the window
// must not cover either: the four sides of the panel first, then those of
// each other window in turn. `clear` is true when the window covers none of
// them; when there is no such place it goes where PlaceBesidePanel() would
// put it without the others.
WindowPlace PlaceBesideWindows(const QRect& panelFrame, const QVector<QRect>& others, const QSize& windowFrame,
                               const QRect& available, int gap);

// The panel's top-left after moving it left just far enough for the window
// to fit on its right, without leaving the screen. The panel's own top-left
// when it need not or cannot move to make that room.
QPoint PanelPositionMakingRoom(const QRect& panelFrame, const QSize& windowFrame, const QRect& available, int gap);

} // namespace tavrel
