// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CXColourPicker.h"

#include "widgets/CXColourPopup.h"
#include "widgets/SystemColours.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>

namespace tavrel {

namespace {

QColor ToQColor(HostColour c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// The width of the frame a push button draws around its face.
constexpr int kFrameWidth = 2;

} // namespace

CXColourPicker::CXColourPicker(QWidget* parent)
    : QPushButton(parent)
{
    const QColor face = palette().color(QPalette::Button);
    m_enabledColour = MakeHostColour(face.red(), face.green(), face.blue());
    m_customColours.fill(kWhite);
    connect(this, &QPushButton::clicked, this, &CXColourPicker::openPopup);
}

void CXColourPicker::setColour(HostColour colour)
{
    m_colour = colour;
    m_enabledColour = colour;
    repaint();
}

QSize CXColourPicker::sizeHint() const
{
    const int h = fontMetrics().height() + 4 * (kFrameWidth + edge());
    return QSize(2 * h + arrowSize() + 4 * edge(), h);
}

int CXColourPicker::edge() const
{
    return 2;
}

int CXColourPicker::arrowSize() const
{
    const int thumb = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return thumb / 3 + 2;
}

QRect CXColourPicker::contentRect() const
{
    QRect r = rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth);
    if (isDown())
        r.translate(1, 1);
    return r;
}

QRect CXColourPicker::swatchRect() const
{
    if (!isEnabled())
        return QRect();
    const int e = edge();
    QRect r = contentRect().adjusted(e, e, -e, -e);
    // Room for the arrow, the separator and the gap before it.
    r.setRight(r.right() - (2 * e + 7 + e / 2) - (2 * e + 1));
    return r;
}

void CXColourPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);

    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    option.state &= ~QStyle::State_HasFocus;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    // Edges are worked out as in a rectangle whose right and bottom lie just
    // outside it; QRect's right() and bottom() are the last pixels inside.
    const QRect interior = contentRect();
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = interior.adjusted(0, 0, -1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

    const int e = edge();
    int left = interior.left() + e;
    int top = interior.top() + e;
    int right = interior.right() + 1 - e;
    int bottom = interior.bottom() + 1 - e;

    // The drop-down arrow: a stack of lines, each one pixel lower, one pixel
    // further right and two pixels shorter than the one above.
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    int x = right - 2 * e - 6;
    int y = (top + bottom) / 2 - 2;
    for (int length = arrowSize(); length > 0; length -= 2, ++x, ++y)
        painter.drawLine(x, y, x + length - 1, y);

    // The etched line between swatch and arrow.
    right -= 2 * e + 7 + e / 2;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(right - 2, top, right - 2, bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(right - 1, top, right - 1, bottom - 1);

    right -= 2 * e + 1;
    if (isEnabled() && right > left && bottom > top) {
        const QRect swatch(left, top, right - left, bottom - top);
        painter.fillRect(swatch, ToQColor(m_colour));
        painter.setPen(Qt::black);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        // On a dark button the black border would vanish, and a dark swatch
        // with it: a line in the button's text colour goes round it.
        if (IsDarkBackground(palette().color(QPalette::Button))) {
            painter.setPen(palette().color(QPalette::ButtonText));
            painter.drawRect(swatch.adjusted(-1, -1, 0, 0));
        }
    }
}

void CXColourPicker::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    if (isEnabled()) {
        m_colour = m_enabledColour;
    } else {
        m_enabledColour = m_colour;
        m_colour = kDisabledColour;
    }
    repaint();
}

CXColourPopup* CXColourPicker::popup() const
{
    return m_popup;
}

int CXColourPicker::controlId() const
{
    return property("controlId").toInt();
}

void CXColourPicker::openPopup()
{
    if (m_popup)
        return;
    const QPoint bottomLeft = mapToGlobal(QPoint(0, height()));
    m_popup = new CXColourPopup(m_colour, this, &m_customColours, bottomLeft);
    connect(m_popup, &CXColourPopup::colourPickAccepted, this,
            [this](HostColour colour, int, int) { popupAccepted(colour); });
    connect(m_popup, &CXColourPopup::colourPickCancelled, this,
            [this](HostColour colour, int, int) { popupCancelled(colour); });
    // The highlight moving (colourPickChanged) is not shown on the button.
    m_popup->show();
    emit colourPickOpened(m_colour, controlId());
}

void CXColourPicker::popupAccepted(HostColour colour)
{
    // The popup is closing and deletes itself; the next click opens a new one.
    m_popup = nullptr;
    const int id = controlId();
    emit colourPickClosed(colour, id);
    emit colourPickAccepted(colour, id);
    if (colour == m_colour)
        return;
    m_colour = colour;
    m_enabledColour = colour;
    repaint();
    emit colourChanged(colour, id);
}

void CXColourPicker::popupCancelled(HostColour colour)
{
    m_popup = nullptr;
    m_colour = colour;
    m_enabledColour = colour;
    repaint();
    const int id = controlId();
    emit colourPickClosed(colour, id);
    emit colourPickCancelled(colour, id);
}

} // namespace tavrel
