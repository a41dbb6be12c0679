// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowPlacement.h"

#include <QtGlobal>

#include <array>

namespace tavrel {

namespace {

// Keeps a span of the given length inside [low, high], preferring `wanted`;
// a span longer than the room starts at low.
int Clamp(int wanted, int length, int low, int high)
{
    return qMax(low, qMin(wanted, high - length + 1));
}

// The four places beside `anchor`, gap pixels away: right, below, left,
// above, each aligned with the anchor's top or left edge as far as the
// screen allows.
std::array<QPoint, 4> PlacesAround(const QRect& anchor, const QSize& windowFrame, const QRect& available, int gap)
{
    const int w = windowFrame.width();
    const int h = windowFrame.height();
    const int alignedY = Clamp(anchor.top(), h, available.top(), available.bottom());
    const int alignedX = Clamp(anchor.left(), w, available.left(), available.right());
    return {{
        {anchor.right() + 1 + gap, alignedY},   // right
        {alignedX, anchor.bottom() + 1 + gap},  // below
        {anchor.left() - gap - w, alignedY},    // left
        {alignedX, anchor.top() - gap - h},     // above
    }};
}

} // namespace

WindowPlace PlaceBesidePanel(const QRect& panelFrame, const QSize& windowFrame, const QRect& available, int gap)
{
    for (const QPoint& at : PlacesAround(panelFrame, windowFrame, available, gap)) {
        const QRect window(at, windowFrame);
        if (available.contains(window) && !window.intersects(panelFrame))
            return {at, true};
    }
    const int w = windowFrame.width();
    const int h = windowFrame.height();
    const QPoint corner(Clamp(available.right() + 1 - w, w, available.left(), available.right()),
                        Clamp(available.top(), h, available.top(), available.bottom()));
    return {corner, !QRect(corner, windowFrame).intersects(panelFrame)};
}

WindowPlace PlaceBesideWindows(const QRect& panelFrame, const QVector<QRect>& others, const QSize& windowFrame,
                               const QRect& available, int gap)
{
    QVector<QRect> taken{panelFrame};
    taken += others;
    auto coversNone = [&](const QRect& window) {
        for (const QRect& other : taken)
            if (window.intersects(other))
                return false;
        return true;
    };
    for (const QRect& anchor : taken) {
        for (const QPoint& at : PlacesAround(anchor, windowFrame, available, gap)) {
            const QRect window(at, windowFrame);
            if (available.contains(window) && coversNone(window))
                return {at, true};
        }
    }
    WindowPlace place = PlaceBesidePanel(panelFrame, windowFrame, available, gap);
    place.clear = coversNone(QRect(place.topLeft, windowFrame));
    return place;
}

QPoint PanelPositionMakingRoom(const QRect& panelFrame, const QSize& windowFrame, const QRect& available, int gap)
{
    const int needed = panelFrame.right() + 1 + gap + windowFrame.width() - (available.right() + 1);
    const int room = panelFrame.left() - available.left();
    if (needed <= 0 || needed > room || windowFrame.height() > available.height())
        return panelFrame.topLeft();
    return panelFrame.topLeft() - QPoint(needed, 0);
}

} // namespace tavrel
