// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/UserCharacter.h"

#include "link/ParseDecimal.h"

namespace tavrel {

namespace {
constexpr QChar kSetCell = QLatin1Char('#');
constexpr QChar kClearCell = QLatin1Char('.');
} // namespace

QByteArray UserCharPacket(quint8 number, const UserCharRows& rows)
{
    QByteArray packet;
    packet.reserve(kUserCharPacketSize);
    packet.append(static_cast<char>(kAddUserCharCode));
    packet.append(static_cast<char>(number));
    for (quint8 row : rows)
        packet.append(static_cast<char>(row));
    return packet;
}

bool ParseUserCharRow(const QString& text, quint8& row)
{
    const QString trimmed = text.trimmed();
    bool picture = !trimmed.isEmpty();
    for (QChar c : trimmed)
        picture = picture && (c == kSetCell || c == kClearCell);
    if (!picture) {
        row = LowByte(ParseDecimal(text));
        return true;
    }
    if (trimmed.size() != kUserCharSize)
        return false;
    quint8 value = 0;
    for (int x = 0; x < kUserCharSize; ++x)
        if (trimmed.at(x) == kSetCell)
            value |= quint8(0x80u >> x);
    row = value;
    return true;
}

} // namespace tavrel
