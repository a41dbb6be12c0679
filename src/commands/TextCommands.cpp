// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/TextCommands.h"

#include <QStringList>

#include "commands/ChoiceFields.h"
#include "commands/UserCharacter.h"
#include "commands/script/CommandGrammar.h"
#include "link/Bounds.h"
#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"

namespace tavrel {

QString TextField::Row(int y)
{
    return QStringLiteral("row%1").arg(y);
}

namespace {

const QString kMessageCaption = QStringLiteral("Tavrel");

DialogField Text(QLatin1String name, const QString& value)
{
    return PositionalField(name, value);
}

// A point of slot 0 as typed and as parsed.
struct TypedPoint {
    QString xText;
    QString yText;
    qint32 x = 0;
    qint32 y = 0;
};

TypedPoint PointOf(const DialogRequest& request)
{
    TypedPoint p;
    p.xText = request.value(TextField::kX);
    p.yText = request.value(TextField::kY);
    p.x = ParseDecimal(p.xText);
    p.y = ParseDecimal(p.yText);
    return p;
}

void Remember(PanelSession& session, const TypedPoint& p)
{
    session.m_lastX[0] = p.xText;
    session.m_lastY[0] = p.yText;
}

// Ends a command before anything is sent: a message box, then a status text
// in place of the log line.
CommandOutcome Refuse(PanelSession& session, const QString& message, const QString& status)
{
    session.host().showMessage(message, kMessageCaption);
    session.host().setStatusText(status);
    return CommandOutcome::Refused;
}

CommandOutcome RefuseBounds(PanelSession& session)
{
    session.ReportBoundsFailure();
    return CommandOutcome::Refused;
}

// Writes the packet, puts its fixed-form log line into the status window and
// reads the acknowledgement.
CommandOutcome SendFixed(PanelSession& session, const QByteArray& packet, const QString& label)
{
    const qint64 written = session.WritePacket(packet, label);
    session.ShowLog(FormatLogLine(label, packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

// The same for the string and button packets, whose log line is built in
// pieces of "%u, " with a line break every fifteen bytes.
CommandOutcome SendPieces(PanelSession& session, const QByteArray& packet, const QString& prefix)
{
    const qint64 written = session.WritePacket(packet, LogLabel(prefix));
    session.ShowLog(FormatPieceLogLine(prefix, packet, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

// A line break typed in the dialog's text box arrives as CR LF and goes out
// as 13, 10; a bare LF (from the command line, say) is sent the same way.
QString WithCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            out += QLatin1Char('\r');
        out += text.at(i);
    }
    return out;
}

// The text must fit the 300-byte packet buffer behind its head with the
// terminating 0; a longer one is refused whole rather than cut or overrun.
bool TextFits(PanelSession& session, const QString& text, int headBytes)
{
    const int limit = MaxTextLength(headBytes);
    if (text.size() <= limit)
        return true;
    QString message = QStringLiteral("The text is too long: at most %1 characters fit into one packet, this text has %2")
                          .arg(limit)
                          .arg(text.size());
    if (text.contains(QLatin1Char('\n')))
        message += QStringLiteral(" (a line break counts as two)");
    Refuse(session, message + QStringLiteral(". Nothing was sent."), QStringLiteral("Text too long: nothing sent."));
    return false;
}

// The font of a string or button request; the panel always passes its own
// current font, the command line may give any text.
bool FontOf(PanelSession& session, const DialogRequest& request, quint8& font)
{
    int number = 0;
    if (!ReadChoice(session, request, TextField::kFont, number))
        return false;
    font = quint8(number);
    return true;
}

} // namespace

CommandOutcome SendSetFont(PanelSession& session, int font)
{
    // The choice is kept whatever the module answers.
    session.m_fontIndex = font;
    return SendFixed(session, PacketBytes({0x46, LowByte(font)}), QStringLiteral("Set Font"));
}

CommandOutcome SendSetFontMode(PanelSession& session, int mode)
{
    return SendFixed(session, PacketBytes({0x4F, LowByte(mode)}), QStringLiteral("Set Font Mode"));
}

CommandOutcome PrintCharacter(PanelSession& session)
{
    DialogRequest request{DialogKind::TextCharacter,
                          {Text(TextField::kX, session.m_lastX[0]), Text(TextField::kY, session.m_lastY[0]),
                           Text(TextField::kCharacter, QStringLiteral("R")),
                           CheckField(TextField::kFormatted, QStringLiteral("0"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    bool formatted = false;
    if (!ReadCheck(session, request, TextField::kFormatted, formatted))
        return CommandOutcome::Refused;
    const TypedPoint p = PointOf(request);
    const QString character = request.value(TextField::kCharacter);
    // Only the first character counts; an empty field sends 0.
    const quint8 code = character.isEmpty() ? 0 : quint8(character.at(0).unicode() & 0x7F);
    // Checked also in formatted mode, where x and y are column and row.
    if (!PointInBounds(p.x, p.y))
        return RefuseBounds(session);
    // A character whose code goes out as 0 is refused as in a text (an
    // empty field is the 0 the user asked for).
    if (!character.isEmpty() && code == 0) {
        const bool pair = character.size() > 1 && character.at(0).isHighSurrogate() && character.at(1).isLowSurrogate();
        if (!session.SevenBitTextSendable(character.left(pair ? 2 : 1)))
            return CommandOutcome::Refused;
    }
    Remember(session, p);
    QByteArray packet = PacketBytes({quint8(formatted ? 0x54 : 0x74), code, LowByte(p.x), LowByte(p.y)});
    AppendColour(packet, session.host().foregroundColour());
    return SendFixed(session, packet, QStringLiteral("Text Character"));
}

namespace {

// What the Print String and Text Button dialogs share: a point, the size
// factors, one check box, the text and the font.
struct TextBoxEntry {
    TypedPoint p;
    quint8 width = 0;
    quint8 height = 0;
    bool checked = false;
    QString text;
    quint8 font = 0;
};

// Runs one of those two dialogs, which differ only in their kind and in the
// check box `checkName`, and refuses a point off the screen, an unknown font
// and a text too long for a packet whose head takes `headWhenChecked` or
// `headWhenClear` bytes, or one with a character that cannot go on the line.
// The point is remembered once all of that passed.
// Returns false, with the outcome in `stopped`, when nothing is to be sent.
bool EnterTextBox(PanelSession& session, DialogKind kind, QLatin1String checkName, int headWhenChecked,
                  int headWhenClear, TextBoxEntry& entry, CommandOutcome& stopped)
{
    DialogRequest request{kind,
                          {Text(TextField::kX, session.m_lastX[0]), Text(TextField::kY, session.m_lastY[0]),
                           Text(TextField::kWidth, QStringLiteral("1")), Text(TextField::kHeight, QStringLiteral("1")),
                           CheckField(checkName, QStringLiteral("0")),
                           Text(TextField::kText, QStringLiteral("Enter Text Here.")),
                           OptionField(TextField::kFont, QString::number(session.m_fontIndex), FontChoices())}};
    if (!session.host().runDialog(request)) {
        stopped = CommandOutcome::Cancelled;
        return false;
    }
    entry.p = PointOf(request);
    entry.width = LowByte(ParseDecimal(request.value(TextField::kWidth)));
    entry.height = LowByte(ParseDecimal(request.value(TextField::kHeight)));
    if (!ReadCheck(session, request, checkName, entry.checked)) {
        stopped = CommandOutcome::Refused;
        return false;
    }
    entry.text = WithCrLf(request.value(TextField::kText));
    if (!PointInBounds(entry.p.x, entry.p.y)) {
        stopped = RefuseBounds(session);
        return false;
    }
    if (!FontOf(session, request, entry.font)
        || !TextFits(session, entry.text, entry.checked ? headWhenChecked : headWhenClear)
        || !session.SevenBitTextSendable(request.value(TextField::kText))) {
        stopped = CommandOutcome::Refused;
        return false;
    }
    Remember(session, entry.p);
    return true;
}

} // namespace

CommandOutcome PrintTextString(PanelSession& session)
{
    TextBoxEntry entry;
    CommandOutcome stopped = CommandOutcome::Refused;
    if (!EnterTextBox(session, DialogKind::PrintText, TextField::kFormatted, kFormattedStringHead, kFreeStringHead,
                      entry, stopped))
        return stopped;
    const bool formatted = entry.checked;

    QByteArray packet =
        PacketBytes({quint8(formatted ? 0x73 : 0x53), LowByte(entry.p.x), LowByte(entry.p.y), entry.font});
    AppendColour(packet, session.host().foregroundColour());
    // The size factors apply to free text only and are not sent otherwise.
    if (!formatted) {
        packet.append(static_cast<char>(entry.width));
        packet.append(static_cast<char>(entry.height));
    }
    AppendSevenBitText(packet, entry.text);
    return SendPieces(session, packet, QStringLiteral("Print String: "));
}

CommandOutcome TextButton(PanelSession& session)
{
    TextBoxEntry entry;
    CommandOutcome stopped = CommandOutcome::Refused;
    if (!EnterTextBox(session, DialogKind::TextButton, TextField::kButtonDown, kTextButtonHead, kTextButtonHead, entry,
                      stopped))
        return stopped;
    const bool down = entry.checked;

    // State 1 draws the button up (released), 0 down (pressed).
    QByteArray packet = PacketBytes({0x62, quint8(down ? 0 : 1), LowByte(entry.p.x), LowByte(entry.p.y)});
    AppendColour(packet, session.host().backgroundColour());
    packet.append(static_cast<char>(entry.font));
    AppendColour(packet, session.host().foregroundColour());
    packet.append(static_cast<char>(entry.width));
    packet.append(static_cast<char>(entry.height));
    AppendSevenBitText(packet, entry.text);
    return SendPieces(session, packet, QStringLiteral("Text Button: "));
}

CommandOutcome AddUserChar(PanelSession& session)
{
    // The editor opens blank every time: number empty, all rows clear.
    DialogRequest request{DialogKind::UserCharacter, {Text(TextField::kNumber, QString())}};
    for (int y = 0; y < kUserCharSize; ++y)
        request.fields.push_back(DialogField{TextField::Row(y), QStringLiteral("0"), true});
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;

    // The command line may also give the whole picture as one argument of
    // eight lines; it then stands for all eight rows.
    QStringList rowTexts;
    for (int y = 0; y < kUserCharSize; ++y)
        rowTexts << request.value(TextField::Row(y));
    if (rowTexts.first().contains(QLatin1Char('\n'))) {
        rowTexts = rowTexts.first().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& line : rowTexts)
            line = line.trimmed();
        rowTexts.removeAll(QString());
        if (rowTexts.size() != kUserCharSize)
            return Refuse(session,
                          QStringLiteral("The character picture has %1 lines; it needs exactly %2.")
                              .arg(rowTexts.size())
                              .arg(kUserCharSize),
                          QStringLiteral("User character error."));
    }

    UserCharRows rows{};
    for (int y = 0; y < kUserCharSize; ++y) {
        const QString rowText = rowTexts.at(y);
        if (!ParseUserCharRow(rowText, rows[size_t(y)]))
            return Refuse(session,
                          QStringLiteral("Row %1 of the character, %2, is neither a number nor eight cells of # and .")
                              .arg(y)
                              .arg(QuotedWord(rowText)),
                          QStringLiteral("User character error."));
    }
    const QByteArray packet = UserCharPacket(LowByte(ParseDecimal(request.value(TextField::kNumber))), rows);
    return SendFixed(session, packet, QStringLiteral("Add User Character"));
}

CommandOutcome DisplayUserChar(PanelSession& session)
{
    DialogRequest request{DialogKind::DisplayCharacter,
                          {Text(TextField::kX, session.m_lastX[0]), Text(TextField::kY, session.m_lastY[0]),
                           Text(TextField::kNumber, QStringLiteral("0"))}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    const TypedPoint p = PointOf(request);
    // The number is not range-tested: its low 8 bits go out.
    const quint8 number = LowByte(ParseDecimal(request.value(TextField::kNumber)));
    if (!PointInBounds(p.x, p.y))
        return RefuseBounds(session);
    Remember(session, p);
    QByteArray packet = PacketBytes({0x44, number, LowByte(p.x), LowByte(p.y)});
    AppendColour(packet, session.host().foregroundColour());
    return SendFixed(session, packet, QStringLiteral("Display Character"));
}

CommandOutcome SetFontCommand(PanelSession& session)
{
    DialogRequest request{DialogKind::FontChoice,
                          {RequiredChoiceField(TextField::kFont, QString::number(session.m_fontIndex), FontChoices())}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    int font = 0;
    if (!ReadChoice(session, request, TextField::kFont, font))
        return CommandOutcome::Refused;
    return SendSetFont(session, font);
}

CommandOutcome SetFontModeCommand(PanelSession& session)
{
    DialogRequest request{DialogKind::TextModeChoice,
                          {RequiredChoiceField(TextField::kMode, QStringLiteral("0"), TextModeChoices())}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    int mode = 0;
    if (!ReadChoice(session, request, TextField::kMode, mode))
        return CommandOutcome::Refused;
    return SendSetFontMode(session, mode);
}

} // namespace tavrel
