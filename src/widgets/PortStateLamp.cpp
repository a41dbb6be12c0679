// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/PortStateLamp.h"

#include <QPainter>

namespace tavrel {

PortStateLamp::PortStateLamp(QWidget* parent)
    : QWidget(parent)
{
    setOpen(false);
}

void PortStateLamp::setOpen(bool open)
{
    m_open = open;
    showState();
}

void PortStateLamp::setWaiting(bool waiting)
{
    m_waiting = waiting;
    showState();
}

void PortStateLamp::showState()
{
    QString state = tr("Port closed");
    if (m_open)
        state = tr("Port open");
    else if (m_waiting)
        state = tr("Port lost, waiting for it to come back");
    setToolTip(state);
    setAccessibleName(state);
    update();
}

QSize PortStateLamp::sizeHint() const
{
    const int side = fontMetrics().height() / 2 + 2;
    return QSize(side, side);
}

void PortStateLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    if (m_open) {
        painter.setPen(QPen(QColor(0x1e, 0x7a, 0x2e), 1));
        painter.setBrush(QColor(0x3c, 0xc8, 0x50));
    } else if (m_waiting) {
        painter.setPen(QPen(QColor(0xd0, 0x8a, 0x10), 2));
        painter.setBrush(Qt::NoBrush);
    } else {
        // A ring in the text's colour, softened: seen on light and dark
        // windows alike.
        QColor ring = palette().color(QPalette::WindowText);
        ring.setAlphaF(0.55);
        painter.setPen(QPen(ring, 1));
        painter.setBrush(Qt::NoBrush);
    }
    painter.drawEllipse(circle);
}

} // namespace tavrel
