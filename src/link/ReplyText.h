// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/HostColour.h"

#include <QByteArray>
#include <QString>

namespace tavrel {

// Reply bytes of the module.
constexpr quint8 kAck = 0x06;
constexpr quint8 kCommandError = 0x0F;

// Every reply line starts with this, so it shows under the log line.
inline QString ReplyLine(const QString& text) { return QStringLiteral("\r\n> ") + text; }

QString MakeInvalidResponseText(const QString& suffix);

// Reply lines as one short text, without their "\r\n> " heads; several
// lines are joined with " / ". "\r\n> Command Acknowledged" gives
// "Command Acknowledged".
QString ReplyNote(const QString& replyLines);

// What the acknowledgement reader appends for the bytes it received (at most one used).
QString InterpretAckReply(const QByteArray& received);

struct ColourReply {
    bool valid = false;       // two bytes arrived; colour is meaningful
    HostColour colour = 0;
    QString text;             // text to append to the status window
};
ColourReply InterpretColourReply(const QByteArray& received);

// Packed BCD as the module reports its resolution: 0x96 -> 96.
constexpr int BcdValue(quint8 b) { return (b >> 4) * 10 + (b & 0x0F); }
QString DeviceTypeText(quint8 type);
QString InterpretDeviceInfoReply(const QByteArray& received);

} // namespace tavrel
