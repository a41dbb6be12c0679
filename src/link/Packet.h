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
// seven bits, then a terminating 0.
inline void AppendSevenBitText(QByteArray& packet, const QString& text)
{
    for (QChar c : text)
        packet.append(static_cast<char>(c.unicode() & 0x7F));
    packet.append('\0');
}

} // namespace tavrel
