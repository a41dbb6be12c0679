// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/SdPackets.h"

#include "link/Packet.h"

#include <limits>

namespace tavrel {

QString TooManyCharactersText(int limit)
{
    return QStringLiteral("Please enter no more than %1 characters.").arg(limit);
}

QByteArray SdPacket(char letter)
{
    QByteArray packet;
    packet.append(static_cast<char>(kSdHead));
    packet.append(letter);
    return packet;
}

QByteArray SdNamePacket(char letter, const QString& name)
{
    QByteArray packet = SdPacket(letter);
    AppendSevenBitText(packet, name);
    return packet;
}

QByteArray SdOriginNamePacket(char letter, quint8 x, quint8 y, const QString& name)
{
    QByteArray packet = SdPacket(letter);
    packet.append(static_cast<char>(x));
    packet.append(static_cast<char>(y));
    AppendSevenBitText(packet, name);
    return packet;
}

QByteArray SdWritePacket(const QString& text)
{
    QByteArray packet = SdPacket('w');
    packet.append(static_cast<char>(text.size() & 0xFF));
    for (QChar c : text)
        packet.append(static_cast<char>(c.unicode() & 0x7F));
    return packet;
}

bool ParseLeadingInteger(const QString& text, qint32& value)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    const int firstDigit = i;
    qint64 magnitude = 0;
    constexpr qint64 kCap = qint64(std::numeric_limits<qint32>::max()) + 1;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        magnitude = qMin(kCap, magnitude * 10 + (text.at(i).unicode() - '0'));
        ++i;
    }
    if (i == firstDigit)
        return false;
    const qint64 signedValue = negative ? -magnitude : magnitude;
    constexpr qint64 kLowest = std::numeric_limits<qint32>::min();
    constexpr qint64 kHighest = std::numeric_limits<qint32>::max();
    value = qint32(qBound(kLowest, signedValue, kHighest));
    return true;
}

} // namespace tavrel
