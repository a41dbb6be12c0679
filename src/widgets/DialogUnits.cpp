// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/DialogUnits.h"

#include <QFontMetricsF>

#include <cmath>

namespace tavrel {

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The average over both alphabets, as the template engine measures it.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = metrics.horizontalAdvance(alphabet) / alphabet.size();
    m_baseY = metrics.height();
}

int DialogUnits::x(int units) const
{
    return int(std::lround(units * m_baseX / 4.0));
}

int DialogUnits::y(int units) const
{
    return int(std::lround(units * m_baseY / 8.0));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const
{
    // Both edges are converted so that neighbouring rectangles stay flush.
    const int l = x(left);
    const int t = y(top);
    return QRect(l, t, x(left + width) - l, y(top + height) - t);
}

QSize DialogUnits::size(int width, int height) const
{
    return QSize(x(width), y(height));
}

} // namespace tavrel
