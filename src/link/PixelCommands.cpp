// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PixelCommands.h"

#include "link/Bounds.h"
#include "link/HostColour.h"
#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"

namespace tavrel {

namespace {

struct Point {
    qint32 x = 0;
    qint32 y = 0;
};

// Runs the pixel dialog on slot 0 and checks the point. On success the typed
// texts are remembered and the point returned; otherwise the outcome says why.
CommandOutcome AskPixelPoint(PanelSession& session, Point& point)
{
    DialogRequest request{DialogKind::Pixel,
                          {{QStringLiteral("x"), session.m_lastX[0]}, {QStringLiteral("y"), session.m_lastY[0]}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    if (!session.AcceptSlotZeroPoint(request.value(QStringLiteral("x")), request.value(QStringLiteral("y")), point.x,
                                     point.y))
        return CommandOutcome::Refused;
    return CommandOutcome::Sent;
}

} // namespace

CommandOutcome SetPixel(PanelSession& session)
{
    Point p;
    const CommandOutcome asked = AskPixelPoint(session, p);
    if (asked != CommandOutcome::Sent)
        return asked;
    QByteArray packet = PacketBytes({0x50, LowByte(p.x), LowByte(p.y)});
    AppendColour(packet, session.host().foregroundColour());
    session.PurgeInput();
    const qint64 written = session.WritePacket(packet, QStringLiteral("Set Pixel"));
    session.ShowLog(FormatLogLine(QStringLiteral("Set Pixel"), packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

CommandOutcome ReadPixel(PanelSession& session)
{
    Point p;
    const CommandOutcome asked = AskPixelPoint(session, p);
    if (asked != CommandOutcome::Sent)
        return asked;
    const QByteArray packet = PacketBytes({0x52, LowByte(p.x), LowByte(p.y)});
    session.PurgeInput();
    const qint64 written = session.WritePacket(packet, QStringLiteral("Read Pixel"));
    session.ShowLog(FormatLogLine(QStringLiteral("Read Pixel"), packet, written));
    session.ReadColourReply();
    return CommandOutcome::Sent;
}

} // namespace tavrel
