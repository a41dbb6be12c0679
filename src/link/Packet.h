// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/HostColour.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>

namespace tavrel {

// Builds a packet from byte values.
inline QByteArray PacketBytes(std::initializer_list<quint8> bytes)
{
    QByteArray packet;
    packet.reserve(int(bytes.size()) + 2);
    for (quint8 b : bytes)
        packet.append(static_cast<char>(b));
    return packet;
}

// Appends a colour in the module's RGB565 form, high byte first.
inline void AppendColour(QByteArray& packet, HostColour colour)
{
    const quint16 v = HostToRgb565(colour);
    packet.append(static_cast<char>(v >> 8));
    packet.append(static_cast<char>(v & 0xFF));
}

// Text and file names on the line: each character's code reduced to its low
// seven bits, then a terminating 0. The text must have passed
// SevenBitTextProblem(), or a character could turn into that 0 early.
inline void AppendSevenBitText(QByteArray& packet, const QString& text)
{
    for (QChar c : text)
        packet.append(static_cast<char>(c.unicode() & 0x7F));
    packet.append('\0');
}

// A character whose code AND 0x7F is 0 (U+0000, U+0080, U+0100, U+3000,
// U+4E00, the low half of many emoji) becomes a 0 byte on the line: the
// module would end the text there and run the rest as commands. Returns the
// message that names the first such character and its position (characters
// counted from 1, an emoji as one), or an empty string when every character
// can go. Every other character keeps the seven-bit rule (é goes out as 105).
QString SevenBitTextProblem(const QString& text);

} // namespace tavrel
