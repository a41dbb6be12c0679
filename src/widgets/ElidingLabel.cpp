// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ElidingLabel.h"

#include <QPainter>
#include <QStyle>

namespace tavrel {

ElidingLabel::ElidingLabel(QWidget* parent)
    : QLabel(parent)
{
    setWordWrap(false);
}

void ElidingLabel::setFullText(const QString& text)
{
    setText(text);
    setToolTip(text);
}

QString ElidingLabel::displayedText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
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
