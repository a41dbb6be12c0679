// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/DisplayControlCommands.h"

#include "commands/ChoiceFields.h"
#include "link/Bounds.h"
#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"

#include <QRegularExpression>

namespace tavrel {

namespace {

CommandOutcome SendAndAcknowledge(PanelSession& session, const QByteArray& packet, const QString& label)
{
    const qint64 written = session.WritePacket(packet, label);
    session.ShowLog(FormatLogLine(label, packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

quint8 FieldByte(const DialogRequest& request, const QString& name)
{
    return LowByte(ParseDecimal(request.value(name)));
}

// The five text fields of Scroll Control, in the order of their radio
// buttons 1..5; radio k sends sub-command k + 1.
const QString kScrollTextFields[] = {
    QStringLiteral("speed"),     QStringLiteral("horizontal-step"), QStringLiteral("start-row"),
    QStringLiteral("row-count"), QStringLiteral("vertical-step"),
};

} // namespace

QString ContrastEntryProblem(const QString& text, int* contrast)
{
    // A whole number: optional blanks, an optional sign, digits, optional blanks.
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*([+-]?)(\\d+)\\s*$"));
    const QRegularExpressionMatch match = wholeNumber.match(text);
    if (!match.hasMatch())
        return QStringLiteral("Please enter an integer.");
    // Leading zeros aside, more than a few digits is out of range anyway;
    // looking at the digits avoids any overflow.
    QString digits = match.captured(2);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    const bool negative = match.captured(1) == QLatin1String("-") && digits != QLatin1String("0");
    const int value = digits.size() <= 3 ? digits.toInt() : kMaxContrast + 1;
    if (negative || value < kMinContrast || value > kMaxContrast)
        return QStringLiteral("Please enter an integer between %1 and %2.").arg(kMinContrast).arg(kMaxContrast);
    if (contrast)
        *contrast = value;
    return QString();
}

CommandOutcome GetDeviceInfo(PanelSession& session)
{
    DialogRequest request{DialogKind::RepeatDeviceInfo, {CheckField(QStringLiteral("repeat"), QStringLiteral("0"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    bool repeat = false;
    if (!ReadCheck(session, request, QStringLiteral("repeat"), repeat))
        return CommandOutcome::Refused;
    const QByteArray packet = PacketBytes({0x56, quint8(repeat ? 1 : 0)});
    session.PurgeInput();
    const qint64 written = session.WritePacket(packet, QStringLiteral("Get Info"));
    session.ShowLog(FormatLogLine(QStringLiteral("Get Info"), packet, written));
    session.ReadDeviceInfoReply();
    return CommandOutcome::Sent;
}

CommandOutcome OledControlFunctions(PanelSession& session)
{
    // Fields in the order of the dialog: the function's radio buttons, the
    // display check box, the contrast and the power check box. The dialog
    // opens the same way every time.
    DialogRequest request{DialogKind::OledControl,
                          {OptionField(QStringLiteral("function"), QStringLiteral("0"),
                                       {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}),
                           CheckField(QStringLiteral("display-off"), QStringLiteral("0")),
                           PositionalField(QStringLiteral("contrast"), QStringLiteral("0")),
                           CheckField(QStringLiteral("power-off"), QStringLiteral("0"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    int function = 0;
    bool displayOff = false;
    bool powerOff = false;
    if (!ReadChoice(session, request, QStringLiteral("function"), function)
        || !ReadCheck(session, request, QStringLiteral("display-off"), displayOff)
        || !ReadCheck(session, request, QStringLiteral("power-off"), powerOff))
        return CommandOutcome::Refused;
    // The panel's dialog does not close on a bad contrast; an answer that
    // bypasses it (the command line) gets the same message and is refused.
    int contrast = 0;
    const QString problem = ContrastEntryProblem(request.value(QStringLiteral("contrast")), &contrast);
    if (!problem.isEmpty()) {
        session.host().showMessage(problem, ApplicationCaption());
        return CommandOutcome::Refused;
    }
    quint8 value = 0;
    switch (function) {
    case 0: value = displayOff ? 0 : 1; break;
    case 1: value = quint8(contrast); break;
    default: value = powerOff ? 0 : 1; break;
    }
    return SendAndAcknowledge(session, PacketBytes({0x59, quint8(function), value}), QStringLiteral("Oled Control"));
}

CommandOutcome RotateDisplay(PanelSession& session)
{
    DialogRequest request{DialogKind::RotateDisplay,
                          {OptionField(QStringLiteral("orientation"), QStringLiteral("0"),
                                       {QStringLiteral("0"), QStringLiteral("1")})}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    // Portrait (2) is not offered by the dialog.
    int orientation = 0;
    if (!ReadChoice(session, request, QStringLiteral("orientation"), orientation))
        return CommandOutcome::Refused;
    return SendAndAcknowledge(session, PacketBytes({0x24, 0x46, quint8(orientation)}), QStringLiteral("Rotate Display"));
}

CommandOutcome DimArea(PanelSession& session)
{
    DialogRequest request{DialogKind::DimArea,
                          {PositionalField(QStringLiteral("x"), session.m_lastX[0]),
                           PositionalField(QStringLiteral("y"), session.m_lastY[0]),
                           PositionalField(QStringLiteral("width"), QStringLiteral("1")),
                           PositionalField(QStringLiteral("height"), QStringLiteral("1"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    qint32 x = 0;
    qint32 y = 0;
    if (!session.AcceptSlotZeroPoint(request.value(QStringLiteral("x")), request.value(QStringLiteral("y")), x, y))
        return CommandOutcome::Refused;
    const QByteArray packet = PacketBytes({0x24, 0x44, LowByte(x), LowByte(y), FieldByte(request, QStringLiteral("width")),
                                           FieldByte(request, QStringLiteral("height"))});
    return SendAndAcknowledge(session, packet, QStringLiteral("Dim Area"));
}

CommandOutcome ScrollControl(PanelSession& session)
{
    DialogRequest request{DialogKind::Scroll,
                          {OptionField(QStringLiteral("function"), QStringLiteral("0"),
                                       {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                                        QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}),
                           CheckField(QStringLiteral("enable"), QStringLiteral("1")),
                           PositionalField(kScrollTextFields[0], QStringLiteral("1")),
                           PositionalField(kScrollTextFields[1], QStringLiteral("0")),
                           PositionalField(kScrollTextFields[2], QStringLiteral("0")),
                           PositionalField(kScrollTextFields[3], QStringLiteral("64")),
                           PositionalField(kScrollTextFields[4], QStringLiteral("1"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    int function = 0;
    bool enable = false;
    if (!ReadChoice(session, request, QStringLiteral("function"), function)
        || !ReadCheck(session, request, QStringLiteral("enable"), enable))
        return CommandOutcome::Refused;
    // Only the field of the chosen setting is read; sub-command 1 is unused.
    const QByteArray packet = function == 0
        ? PacketBytes({0x24, 0x53, 0, quint8(enable ? 1 : 0)})
        : PacketBytes({0x24, 0x53, quint8(function + 1), FieldByte(request, kScrollTextFields[function - 1])});
    return SendAndAcknowledge(session, packet, QStringLiteral("Scroll Control"));
}

CommandOutcome WriteCommand(PanelSession& session)
{
    DialogRequest request{DialogKind::WriteCommand, {PositionalField(QStringLiteral("command"), QStringLiteral("167"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    const QByteArray packet = PacketBytes({0x24, 0x57, FieldByte(request, QStringLiteral("command"))});
    return SendAndAcknowledge(session, packet, QStringLiteral("Write Command"));
}

} // namespace tavrel
