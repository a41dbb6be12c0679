// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/SdCommands.h"

#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"
#include "sdcard/CardReading.h"
#include "sdcard/SdPackets.h"

namespace tavrel {

namespace {

// The module needs a moment before the first byte of a listing or of file
// data is worth reading.
constexpr int kListingWaitMs = 100;

const QString kName = QStringLiteral("name");

// Writes a card packet and replaces the status text with its log line.
void SendAndLog(PanelSession& session, const QString& prefix, const QByteArray& packet)
{
    const qint64 written = session.WritePacket(packet, LogLabel(prefix));
    session.ShowLog(FormatPieceLogLine(prefix, packet, written));
}

// The file-name edits take at most twelve characters; a caller that fills the
// dialog without its edit (the command-line tool) is held to the same limit.
bool FileNameFits(PanelSession& session, const QString& name)
{
    if (name.size() <= kMaxFileNameLength)
        return true;
    session.host().showMessage(TooManyCharactersText(kMaxFileNameLength), AppTitle());
    return false;
}

// Asks for a file name with CGetFilename1 under the given prompt.
CommandOutcome AskFileName(PanelSession& session, const QString& prompt, QString& name)
{
    DialogRequest request{DialogKind::SdFilename,
                          {{kName, QString()}, {QStringLiteral("prompt"), prompt, false}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    name = request.value(kName);
    return FileNameFits(session, name) && session.SevenBitTextSendable(name) ? CommandOutcome::Sent
                                                                             : CommandOutcome::Refused;
}

// The commands that send head, letter and a file name, then read the
// acknowledgement.
CommandOutcome SendNamedFile(PanelSession& session, const QString& prompt, char letter, const QString& prefix)
{
    QString name;
    const CommandOutcome asked = AskFileName(session, prompt, name);
    if (asked != CommandOutcome::Sent)
        return asked;
    SendAndLog(session, prefix, SdNamePacket(letter, name));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

// Show Bitmap and Show Image: a file name and the place to show it at. The
// position is not checked against the panel: the module clips.
CommandOutcome ShowFileAt(PanelSession& session, const QString& heading, char letter, const QString& prefix)
{
    DialogRequest request{DialogKind::SdFilenameAndOrigin,
                          {{kName, QString()},
                           {QStringLiteral("x"), QStringLiteral("0")},
                           {QStringLiteral("y"), QStringLiteral("0")},
                           {QStringLiteral("heading"), heading, false}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    const QString name = request.value(kName);
    if (!FileNameFits(session, name) || !session.SevenBitTextSendable(name))
        return CommandOutcome::Refused;
    const quint8 x = LowByte(ParseDecimal(request.value(QStringLiteral("x"))));
    const quint8 y = LowByte(ParseDecimal(request.value(QStringLiteral("y"))));
    SendAndLog(session, prefix, SdOriginNamePacket(letter, x, y, name));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

void RefuseCount(PanelSession& session, const QString& text)
{
    session.host().showMessage(text, AppTitle());
}

// After a moment's wait, reads text from the card up to its 0 or `wanted`
// bytes (-1: no count), within the limits for `maxBytes` at the session's
// rate, and shows it, with a note naming `what` when it was cut short.
void ShowCardText(PanelSession& session, int maxBytes, int wanted, const QString& what)
{
    session.clock().sleepMs(kListingWaitMs);
    const ReceiveLimits limits = LimitsForBaudRate(maxBytes, session.m_baudRate);
    const ReceivedText received = ReceiveUntilZero(session, wanted, limits);
    session.NoteReply(QStringLiteral("%1: %2 bytes%3")
                          .arg(what)
                          .arg(received.bytes)
                          .arg(received.cut() ? QStringLiteral(", cut") : QString()));
    session.host().showReceivedText(CardTextTitle(), received.text + CutNote(received, limits, what));
}

} // namespace

CommandOutcome ViewDirectory(PanelSession& session)
{
    // The third byte of the request carries nothing the module needs.
    const QByteArray packet = PacketBytes({kSdHead, 'D', 0});
    session.PurgeInput();
    const qint64 written = session.WritePacket(packet, QStringLiteral("Get SD File Directory"));
    session.ShowLog(QStringLiteral("Get SD File Directory: %1,%2 : %3 bytes written")
                        .arg(quint8(packet.at(0)))
                        .arg(quint8(packet.at(1)))
                        .arg(written));
    ShowCardText(session, kMaxListingBytes, -1, QStringLiteral("Listing"));
    return CommandOutcome::Sent;
}

CommandOutcome OpenFileToWrite(PanelSession& session)
{
    return SendNamedFile(session, QStringLiteral("Enter filename to open for writing on SD card:"), 'W',
                         QStringLiteral("Open file for writing: "));
}

CommandOutcome OpenFileToRead(PanelSession& session)
{
    return SendNamedFile(session, QStringLiteral("Enter filename to open for reading on SD card:"), 'R',
                         QStringLiteral("Open file for reading: "));
}

CommandOutcome EraseFile(PanelSession& session)
{
    return SendNamedFile(session, QStringLiteral("Enter filename to ERASE on SD card:"), 'E',
                         QStringLiteral("Erase file: "));
}

CommandOutcome WriteToFile(PanelSession& session)
{
    DialogRequest request{DialogKind::SdWriteText, {{QStringLiteral("text"), QString()}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    const QString text = request.value(QStringLiteral("text"));
    if (text.size() > kMaxSdDataBytes) {
        RefuseCount(session, QStringLiteral("Number of bytes must be less than 255"));
        return CommandOutcome::Refused;
    }
    SendAndLog(session, QStringLiteral("Write data to SD card: "), SdWritePacket(text));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

CommandOutcome ReadFromFile(PanelSession& session)
{
    DialogRequest request{DialogKind::SdReadCount, {{QStringLiteral("count"), QStringLiteral("0")}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    qint32 count = 0;
    if (!ParseLeadingInteger(request.value(QStringLiteral("count")), count)) {
        RefuseCount(session, NotAnIntegerText());
        return CommandOutcome::Refused;
    }
    if (count > kMaxSdDataBytes) {
        RefuseCount(session, QStringLiteral("Number of bytes must be less than 255"));
        return CommandOutcome::Refused;
    }
    if (count < 0) {
        RefuseCount(session, QStringLiteral("Number of bytes must not be negative"));
        return CommandOutcome::Refused;
    }

    // Stale bytes go before the request: the module may answer as soon as the
    // request is out, and a purge after the write would throw its data and
    // its acknowledgement away.
    const QByteArray packet = PacketBytes({kSdHead, 'r', quint8(count)});
    session.PurgeInput();
    SendAndLog(session, QStringLiteral("Read data to SD card: "), packet);

    // The module sends up to `count` data bytes, a 0 when the file ends
    // first, then its acknowledgement. Reading stops at the count, so the
    // acknowledgement is left for the reply reader.
    ShowCardText(session, kMaxSdDataBytes, count, QStringLiteral("Data"));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

CommandOutcome CloseFile(PanelSession& session)
{
    SendAndLog(session, QStringLiteral("Close open file on SD card: "), SdPacket('C'));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

CommandOutcome ShowBitmap(PanelSession& session)
{
    return ShowFileAt(session, QString(), 'B', QStringLiteral("Show Windows Bitmap from SD card: "));
}

CommandOutcome ShowImage(PanelSession& session)
{
    return ShowFileAt(session, QStringLiteral("Enter image data filename:"), 'I',
                      QStringLiteral("Show Image from SD data file: "));
}

CommandOutcome PrintScreen(PanelSession& session)
{
    return SendNamedFile(session, QStringLiteral("Enter destination Windows Bitmap (.bmp) filename:"), 'S',
                         QStringLiteral("Print screen to Windows Bmp: "));
}

CommandOutcome LoadBinary(PanelSession& session)
{
    return SendNamedFile(session, QStringLiteral("Enter binary program filename:"), 'L',
                         QStringLiteral("Run binary program from SD card: "));
}

CommandOutcome LoadNorvel(PanelSession& session)
{
    SendAndLog(session, QStringLiteral("Run Norvel from SD card: "), SdPacket('F'));
    session.ReadAckReply();
    session.host().showMessage(QStringLiteral("Norvel should now be running."), AppTitle());
    return CommandOutcome::Sent;
}

CommandOutcome YModemSession(PanelSession& session)
{
    DialogRequest request{DialogKind::SdYModem, {}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    session.host().showMessage(QStringLiteral("Press OK to begin terminal session.  Then, close serial port here "
                                              "and open it with terminal application."),
                               AppTitle());
    SendAndLog(session, QStringLiteral("YModem File Transfer Session: "), SdPacket('Y'));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

} // namespace tavrel
