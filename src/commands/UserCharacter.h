// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

namespace tavrel {

// A user-defined character: 8 × 8 cells, one byte per row with the top row
// first; in each row byte bit 7 is the leftmost cell and bit 0 the rightmost.
constexpr int kUserCharSize = 8;
constexpr int kUserCharPacketSize = 2 + kUserCharSize;
constexpr quint8 kAddUserCharCode = 0x41;

using UserCharRows = std::array<quint8, kUserCharSize>;

// The Add User Char packet: 0x41, the low 8 bits of the number, the rows.
QByteArray UserCharPacket(quint8 number, const UserCharRows& rows);

// One row of a character as the command line gives it: either a number
// (converted as every numeric field is, low 8 bits) or a picture of exactly
// eight cells, '#' for set and '.' for clear, leftmost cell first.
// A text made only of '#' and '.' that is not eight long is rejected.
bool ParseUserCharRow(const QString& text, quint8& row);

} // namespace tavrel
