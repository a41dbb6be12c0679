// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tavrel {

// Converts dialog units into pixels for a font, the way dialog templates are
// measured: a horizontal unit is a quarter of the font's average character
// width, a vertical unit an eighth of its height. Layouts written in dialog
// units therefore grow with the user's font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;

    double baseX() const { return m_baseX; }
    double baseY() const { return m_baseY; }

private:
    double m_baseX = 0;
    double m_baseY = 0;
};

} // namespace tavrel
