#include "app/WindowPlacement.h"

#include <QtGlobal>

namespace tavrel {

namespace {

// Keeps a span of the given length inside [low, high], preferring `wanted`;
// a span longer than the room starts at low.
int Clamp(int wanted, int length, int low, int high)
{
    return qMax(low, qMin(wanted, high - length + 1));
}

} // namespace

WindowPlace PlaceBesidePanel(const QRect& panelFrame, const QSize& windowFrame, const QRect& available, int gap)
{
    const int w = windowFrame.width();
    const int h = windowFrame.height();
    const int alignedY = Clamp(panelFrame.top(), h, available.top(), available.bottom());
    const int alignedX = Clamp(panelFrame.left(), w, available.left(), available.right());
    const QPoint candidates[] = {
        {panelFrame.right() + 1 + gap, alignedY},   // right
        {alignedX, panelFrame.bottom() + 1 + gap},  // below
        {panelFrame.left() - gap - w, alignedY},    // left
        {alignedX, panelFrame.top() - gap - h},     // above
    };
    for (const QPoint& at : candidates) {
        const QRect window(at, windowFrame);
        if (available.contains(window) && !window.intersects(panelFrame))
            return {at, true};
    }
    const QPoint corner(Clamp(available.right() + 1 - w, w, available.left(), available.right()),
                        Clamp(available.top(), h, available.top(), available.bottom()));
    return {corner, !QRect(corner, windowFrame).intersects(panelFrame)};
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
