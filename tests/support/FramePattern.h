// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small pictures of the emulator as text, one string per row, for golden
// comparisons such as {"..#..", ".###."}.

#include "emulator/Emulator.h"

#include <QImage>
#include <QMap>
#include <QRect>
#include <QStringList>

namespace tavrel::testing {

// The RAM pixels of `area`: '.' for black (0), '#' for any other colour, or
// the character `legend` gives a colour ('?' for a colour it lacks).
inline QStringList FramePattern(const quennel::Emulator& emulator, const QRect& area,
                                const QMap<quint16, QChar>& legend = {})
{
    QStringList rows;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QString row;
        for (int x = area.left(); x <= area.right(); ++x) {
            const quint16 c = emulator.pixel(x, y);
            if (!legend.isEmpty())
                row += legend.value(c, QLatin1Char('?'));
            else
                row += c == 0 ? QLatin1Char('.') : QLatin1Char('#');
        }
        rows << row;
    }
    return rows;
}

// The same for the glass picture: '.' for black, '#' for anything else, or
// the legend's character for an exact RGB colour.
inline QStringList GlassPattern(const QImage& image, const QRect& area, const QMap<QRgb, QChar>& legend = {})
{
    QStringList rows;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QString row;
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xFF000000u;
            if (!legend.isEmpty())
                row += legend.value(c, QLatin1Char('?'));
            else
                row += c == qRgb(0, 0, 0) ? QLatin1Char('.') : QLatin1Char('#');
        }
        rows << row;
    }
    return rows;
}

// A pattern shifted into place: `rows` drawn at (left, top) of an otherwise
// blank `area`, for checking that nothing else was touched.
inline QStringList PlacedPattern(const QRect& area, int left, int top, const QStringList& rows)
{
    QStringList out;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QString row(area.width(), QLatin1Char('.'));
        const int r = y - top;
        if (r >= 0 && r < rows.size()) {
            for (int i = 0; i < rows[r].size(); ++i) {
                const int x = left + i - area.left();
                if (x >= 0 && x < row.size())
                    row[x] = rows[r][i];
            }
        }
        out << row;
    }
    return out;
}

} // namespace tavrel::testing
