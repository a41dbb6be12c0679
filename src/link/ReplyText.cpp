// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReplyText.h"

#include <QStringList>

namespace tavrel {

QString MakeInvalidResponseText(const QString& suffix)
{
    return ReplyLine(QStringLiteral("Invalid Response")) + suffix;
}

QString ReplyNote(const QString& replyLines)
{
    QStringList lines = replyLines.split(ReplyLine(QString()), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return lines.join(QStringLiteral(" / "));
}

QString InterpretAckReply(const QByteArray& received)
{
    if (received.size() < 1)
        return ReplyLine(QStringLiteral("No response!"));
    const quint8 b = static_cast<quint8>(received.at(0));
    if (b == kAck)
        return ReplyLine(QStringLiteral("Command Acknowledged"));
    if (b == kCommandError)
        return ReplyLine(QStringLiteral("Command Error"));
    const int asSigned = static_cast<qint8>(b);
    return MakeInvalidResponseText(QStringLiteral("(%1)").arg(asSigned));
}

ColourReply InterpretColourReply(const QByteArray& received)
{
    ColourReply reply;
    if (received.size() < 2) {
        reply.text = ReplyLine(QStringLiteral("Invalid color response!"));
        return reply;
    }
    const quint8 b0 = static_cast<quint8>(received.at(0));
    const quint8 b1 = static_cast<quint8>(received.at(1));
    reply.valid = true;
    reply.colour = Rgb565ToHost(quint16(b0 * 256 + b1));
    reply.text = ReplyLine(QStringLiteral("Foreground color set to 16-bit color response: %1, %2").arg(b0).arg(b1));
    return reply;
}

QString DeviceTypeText(quint8 type)
{
    switch (type) {
    case 0: return ReplyLine(QStringLiteral("Vexa-Oled"));
    case 1: return ReplyLine(QStringLiteral("Vexa-LCD"));
    case 2: return ReplyLine(QStringLiteral("Vexa-VGA"));
    default: return ReplyLine(QStringLiteral("Unknown Type"));
    }
}

QString InterpretDeviceInfoReply(const QByteArray& received)
{
    if (received.size() < 5)
        return ReplyLine(QStringLiteral("Invalid device info response!"));
    auto at = [&](int i) { return static_cast<quint8>(received.at(i)); };
    return DeviceTypeText(at(0))
        + QStringLiteral(", Hardware version: %1, Firmware version: %2, Horizontal Resolution: %3, Vertical Resolution: %4")
              .arg(at(1)).arg(at(2)).arg(BcdValue(at(3))).arg(BcdValue(at(4)));
}

} // namespace tavrel
