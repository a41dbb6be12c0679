// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/FittingScrollArea.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

namespace tavrel {

FittingScrollArea::FittingScrollArea(QWidget* parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
}

QSize FittingScrollArea::sizeHint() const
{
    const QWidget* content = widget();
    if (!content)
        return QScrollArea::sizeHint();
    return content->sizeHint().expandedTo(content->minimumSizeHint());
}

bool FittingScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

QSize FittingScrollArea::minimumSizeHint() const
{
    // Room for the scroll bars and a line of content.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int line = fontMetrics().height();
    return QSize(2 * bar + 4 * line, 2 * bar + line);
}

QSize FrameExtra(const QWidget* window)
{
    const QSize extra = window->frameGeometry().size() - window->size();
    if (window->isVisible() && (extra.width() > 0 || extra.height() > 0))
        return extra;
    // Not placed by the window system yet: a title bar and a thin border.
    const int border = 4;
    return QSize(2 * border, 2 * border + QFontMetrics(window->font()).height() * 2);
}

QSize SizeFittingScreen(const QWidget* window, const QSize& wanted)
{
    // A dialog opens over the window it belongs to, on that one's screen.
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen* screen = owner->screen();
    if (!screen)
        return wanted;
    const QSize room = screen->availableGeometry().size() - FrameExtra(window);
    return wanted.boundedTo(room.expandedTo(QSize(1, 1)));
}

} // namespace tavrel
