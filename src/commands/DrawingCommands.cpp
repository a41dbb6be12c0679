// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/DrawingCommands.h"

#include "commands/ChoiceFields.h"
#include "link/Bounds.h"
#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"

#include <QVector>

namespace tavrel {

namespace {

// Where one point of a dialog comes from and goes back to.
struct PointField {
    QString xName;
    QString yName;
    int slot;
};

QVector<PointField> NumberedPoints(int count)
{
    QVector<PointField> points;
    for (int i = 0; i < count; ++i)
        points.push_back({QStringLiteral("x%1").arg(i + 1), QStringLiteral("y%1").arg(i + 1), i});
    return points;
}

void AddPointFields(PanelSession& session, DialogRequest& request, const QVector<PointField>& points)
{
    for (const PointField& p : points) {
        request.fields.push_back(PositionalField(p.xName, session.m_lastX[size_t(p.slot)]));
        request.fields.push_back(PositionalField(p.yName, session.m_lastY[size_t(p.slot)]));
    }
}

// Checks every point of the answered dialog; only when all of them are on
// the panel are the typed texts remembered in their slots. On failure the
// bounds report is shown and nothing is remembered.
bool AcceptPoints(PanelSession& session, const DialogRequest& request, const QVector<PointField>& points)
{
    for (const PointField& p : points) {
        if (!PointInBounds(ParseDecimal(request.value(p.xName)), ParseDecimal(request.value(p.yName)))) {
            session.ReportBoundsFailure();
            return false;
        }
    }
    for (const PointField& p : points) {
        session.m_lastX[size_t(p.slot)] = request.value(p.xName);
        session.m_lastY[size_t(p.slot)] = request.value(p.yName);
    }
    return true;
}

void AppendPoint(QByteArray& packet, const DialogRequest& request, const PointField& p)
{
    packet.append(static_cast<char>(LowByte(ParseDecimal(request.value(p.xName)))));
    packet.append(static_cast<char>(LowByte(ParseDecimal(request.value(p.yName)))));
}

void AppendValue(QByteArray& packet, const DialogRequest& request, const QString& name)
{
    packet.append(static_cast<char>(LowByte(ParseDecimal(request.value(name)))));
}

CommandOutcome SendAndAcknowledge(PanelSession& session, const QByteArray& packet, const QString& label)
{
    const qint64 written = session.WritePacket(packet, label);
    session.ShowLog(FormatLogLine(label, packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

// Line, Rectangle and Triangle: numbered points from slots 0.., the points'
// bytes in order, then the foreground colour.
CommandOutcome NumberedPointShape(PanelSession& session, DialogKind kind, int pointCount, quint8 command,
                                  const QString& label)
{
    const QVector<PointField> points = NumberedPoints(pointCount);
    DialogRequest request{kind, {}};
    AddPointFields(session, request, points);
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    if (!AcceptPoints(session, request, points))
        return CommandOutcome::Refused;
    QByteArray packet = PacketBytes({command});
    for (const PointField& p : points)
        AppendPoint(packet, request, p);
    AppendColour(packet, session.host().foregroundColour());
    return SendAndAcknowledge(session, packet, label);
}

} // namespace

QString FormatPolygonLogLine(const QByteArray& packet, qint64 written)
{
    QString line = QStringLiteral("Draw Polygon: ");
    for (char b : packet)
        line += QString::number(static_cast<quint8>(b)) + QStringLiteral(", ");
    return line + QStringLiteral(": %1 bytes written").arg(written);
}

CommandOutcome DrawLine(PanelSession& session)
{
    return NumberedPointShape(session, DialogKind::Line, 2, 0x4C, QStringLiteral("Draw Line"));
}

CommandOutcome DrawRectangle(PanelSession& session)
{
    return NumberedPointShape(session, DialogKind::Line, 2, 0x72, QStringLiteral("Draw Rectangle"));
}

CommandOutcome DrawTriangle(PanelSession& session)
{
    return NumberedPointShape(session, DialogKind::Triangle, 3, 0x47, QStringLiteral("Draw Triangle"));
}

CommandOutcome DrawCircle(PanelSession& session)
{
    const QVector<PointField> centre = {{QStringLiteral("x"), QStringLiteral("y"), 0}};
    DialogRequest request{DialogKind::Circle, {}};
    AddPointFields(session, request, centre);
    request.fields.push_back(PositionalField(QStringLiteral("radius"), QStringLiteral("3")));
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    if (!AcceptPoints(session, request, centre))
        return CommandOutcome::Refused;
    QByteArray packet = PacketBytes({0x43});
    AppendPoint(packet, request, centre.first());
    AppendValue(packet, request, QStringLiteral("radius"));
    AppendColour(packet, session.host().foregroundColour());
    return SendAndAcknowledge(session, packet, QStringLiteral("Draw Circle"));
}

CommandOutcome DrawPolygon(PanelSession& session)
{
    const QVector<PointField> points = NumberedPoints(kCoordinateSlots);
    DialogRequest request{DialogKind::Polygon, {}};
    AddPointFields(session, request, points);
    request.fields.push_back(OptionField(QStringLiteral("vertices"), QStringLiteral("3"),
                                         {QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                                          QStringLiteral("6"), QStringLiteral("7")}));
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    // The list offers 3 to 7; a count outside it would read past the seven
    // points, so it is refused before anything else.
    int vertices = 0;
    if (!ReadChoice(session, request, QStringLiteral("vertices"), vertices))
        return CommandOutcome::Refused;
    // Rows past the vertex count are checked and remembered too.
    if (!AcceptPoints(session, request, points))
        return CommandOutcome::Refused;
    QByteArray packet = PacketBytes({0x67, LowByte(vertices)});
    for (int i = 0; i < vertices; ++i) {
        packet.append(static_cast<char>(LowByte(ParseDecimal(session.m_lastX[size_t(i)]))));
        packet.append(static_cast<char>(LowByte(ParseDecimal(session.m_lastY[size_t(i)]))));
    }
    AppendColour(packet, session.host().foregroundColour());
    const qint64 written = session.WritePacket(packet, QStringLiteral("Draw Polygon"));
    session.ShowLog(FormatPolygonLogLine(packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

CommandOutcome CopyArea(PanelSession& session)
{
    const PointField source{QStringLiteral("src-x"), QStringLiteral("src-y"), 0};
    const PointField destination{QStringLiteral("dst-x"), QStringLiteral("dst-y"), 1};
    // Fields in the order the dialog shows them: the source point with the
    // size under it, then the destination point.
    DialogRequest request{DialogKind::CopyArea,
                          {PositionalField(source.xName, session.m_lastX[0]), PositionalField(source.yName, session.m_lastY[0]),
                           PositionalField(QStringLiteral("width"), QStringLiteral("8")),
                           PositionalField(QStringLiteral("height"), QStringLiteral("8")),
                           PositionalField(destination.xName, session.m_lastX[1]),
                           PositionalField(destination.yName, session.m_lastY[1])}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    if (!AcceptPoints(session, request, {source, destination}))
        return CommandOutcome::Refused;
    QByteArray packet = PacketBytes({0x63});
    AppendPoint(packet, request, source);
    AppendPoint(packet, request, destination);
    AppendValue(packet, request, QStringLiteral("width"));
    AppendValue(packet, request, QStringLiteral("height"));
    AppendColour(packet, session.host().foregroundColour());
    return SendAndAcknowledge(session, packet, QStringLiteral("Copy Area"));
}

CommandOutcome ClearScreen(PanelSession& session)
{
    return SendAndAcknowledge(session, PacketBytes({0x45}), QStringLiteral("Erase Screen"));
}

CommandOutcome SetBackgroundColor(PanelSession& session)
{
    QByteArray packet = PacketBytes({0x42});
    AppendColour(packet, session.host().backgroundColour());
    return SendAndAcknowledge(session, packet, QStringLiteral("Set Background Color"));
}

CommandOutcome SetWireFrameMode(PanelSession& session)
{
    return SendAndAcknowledge(session, PacketBytes({0x70, 1}), QStringLiteral("Pen Size=1"));
}

CommandOutcome SetSolidMode(PanelSession& session)
{
    return SendAndAcknowledge(session, PacketBytes({0x70, 0}), QStringLiteral("Pen Size=0"));
}

} // namespace tavrel
