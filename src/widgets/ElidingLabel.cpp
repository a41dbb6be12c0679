// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ElidingLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace tavrel {

ElidingLabel::ElidingLabel(QWidget* parent)
    : QLabel(parent)
{
    setWordWrap(false);
}

void ElidingLabel::setFullText(const QString& text, int tail, int firmEnd)
{
    m_tail = qBound(0, tail, int(text.size()));
    m_firmEnd = qBound(0, firmEnd, m_tail);
    setText(text);
    setToolTip(text);
    update();
}

QString ElidingLabel::elide(const QFontMetrics& metrics, const QString& text, int tail, int firmEnd, int width)
{
    const auto fits = [&](const QString& shown) { return metrics.horizontalAdvance(shown) <= width; };
    if (fits(text))
        return text;
    if (tail <= 0)
        return metrics.elidedText(text, Qt::ElideMiddle, width);
    const QString head = text.left(text.size() - tail);
    const QString kept = text.right(tail);
    // The part before the tail goes first, from its middle...
    for (int room = width - metrics.horizontalAdvance(kept); room > 0 && !head.isEmpty(); --room) {
        const QString shortHead = metrics.elidedText(head, Qt::ElideMiddle, room);
        if (shortHead.isEmpty())
            break;
        if (shortHead != head && fits(shortHead + kept))
            return shortHead + kept;
    }
    // ...then the tail's start, its firm end kept whole.
    const QString ellipsis(QChar(0x2026));
    const QString firm = kept.right(firmEnd);
    const QString soft = kept.left(kept.size() - firmEnd);
    for (int keep = int(soft.size()) - (head.isEmpty() ? 1 : 0); keep > 0; --keep) {
        const QString shown = ellipsis + soft.right(keep) + firm;
        if (fits(shown))
            return shown;
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

QString ElidingLabel::displayedText() const
{
    return elide(fontMetrics(), text(), m_tail, m_firmEnd, contentsRect().width());
}

void ElidingLabel::paintEvent(QPaintEvent* event)
{
    const QString shown = displayedText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

} // namespace tavrel
