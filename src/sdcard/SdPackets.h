// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tavrel {

// Every card command starts with this byte, then its command letter.
constexpr quint8 kSdHead = 0x40;

// A card file name is a DOS 8.3 name: eight characters, a point, three.
constexpr int kMaxFileNameLength = 12;
// Write to File and Read from File carry their count in one byte.
constexpr int kMaxSdDataBytes = 255;

// The caption of the panel's own message boxes.
inline QString AppTitle() { return QStringLiteral("Tavrel"); }

// The framework's messages for entries that a dialog refuses.
QString TooManyCharactersText(int limit);
inline QString NotAnIntegerText() { return QStringLiteral("Please enter an integer."); }

// Head and letter only (Close File, Load Norvel, YModem Session).
QByteArray SdPacket(char letter);
// Head, letter, the name with each character's code AND 0x7F, then 0.
QByteArray SdNamePacket(char letter, const QString& name);
// Head, letter, X, Y, then the name as above (Show Bitmap, Show Image).
QByteArray SdOriginNamePacket(char letter, quint8 x, quint8 y, const QString& name);
// Head, 'w', the count n, then n seven-bit character codes; no terminator.
// The caller keeps the text within kMaxSdDataBytes characters.
QByteArray SdWritePacket(const QString& text);

// Reads the leading decimal integer of a text the way a numeric dialog field
// is committed: leading blanks, an optional sign, at least one digit; the rest
// is ignored. Values past the 32-bit range are clamped. False when the text
// does not begin with a number.
bool ParseLeadingInteger(const QString& text, qint32& value);

} // namespace tavrel
