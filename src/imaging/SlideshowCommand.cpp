// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SlideshowCommand.h"

#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"

namespace tavrel {

QByteArray SlideshowPacket(const QString& name, const QString& xText, const QString& yText, const QString& delayText)
{
    const quint32 delay = static_cast<quint32>(ParseDecimal(delayText)) & 0xFFFFu;
    QByteArray packet = PacketBytes({0x40, 0x73, LowByte(ParseDecimal(xText)), LowByte(ParseDecimal(yText)),
                                     quint8(delay >> 8), quint8(delay & 0xFF)});
    AppendSevenBitText(packet, name);
    return packet;
}

CommandOutcome Slideshow(PanelSession& session)
{
    DialogRequest request{DialogKind::Slideshow,
                          {{QStringLiteral("name"), QString()},
                           {QStringLiteral("x"), QStringLiteral("0")},
                           {QStringLiteral("y"), QStringLiteral("0")},
                           {QStringLiteral("delay"), QStringLiteral("10")}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    if (!session.SevenBitTextSendable(request.value(QStringLiteral("name"))))
        return CommandOutcome::Refused;
    const QByteArray packet = SlideshowPacket(request.value(QStringLiteral("name")), request.value(QStringLiteral("x")),
                                              request.value(QStringLiteral("y")),
                                              request.value(QStringLiteral("delay")));
    const QString prefix = QStringLiteral("Show slideshow from SD data file: ");
    const qint64 written = session.WritePacket(packet, LogLabel(prefix));
    session.ShowLog(FormatPieceLogLine(prefix, packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

} // namespace tavrel
