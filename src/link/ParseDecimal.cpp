// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ParseDecimal.h"

#include <limits>

namespace tavrel {

qint32 ParseDecimal(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range so
    // that arbitrarily long digit runs cannot overflow.
    const qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    while (i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (text.at(i).unicode() - '0');
        ++i;
    }
    if (negative) {
        return magnitude >= limit ? std::numeric_limits<qint32>::min() : static_cast<qint32>(-magnitude);
    }
    return magnitude >= limit ? std::numeric_limits<qint32>::max() : static_cast<qint32>(magnitude);
}

} // namespace tavrel
