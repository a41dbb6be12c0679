// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tavrel {

// Converts a field text the way every numeric entry of the panel is read:
// leading white space, one optional sign, then decimal digits up to the first
// other character. No digits gives 0; values past the 32-bit range clamp.
// "12abc" -> 12, "abc" -> 0, "-1" -> -1.
qint32 ParseDecimal(const QString& text);

// Low eight bits of a parsed value, as every one-byte packet field carries it.
inline quint8 LowByte(qint32 value) { return static_cast<quint8>(static_cast<quint32>(value) & 0xFFu); }

} // namespace tavrel
