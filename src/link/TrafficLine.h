// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/TrafficHistory.h"

#include <QByteArray>
#include <QString>

namespace tavrel {

// The text form of a traffic entry: one line, six fields separated by tabs,
// in this order (the line itself ends in "\n" where lines are joined):
//
//   time    the wall-clock time of day, local, "HH:MM:SS.mmm"
//   +ms     whole milliseconds since the port was opened, "+1234"
//   dir     "->" sent, "<-" received, "--" anything else (port opened or
//           closed, receive buffer purged, time-out)
//   label   the command's label for a write ("Set Pixel"), what the reader
//           made of a reply ("Command Acknowledged"), or what happened
//           ("Time-out: 0 of 1 bytes received"); never holds a tab or a
//           control character
//   hex     the bytes as two upper-case hex digits each, separated by one
//           blank; empty when there are none
//   ascii   one character per byte: the byte itself from 0x20 to 0x7E,
//           "." for any other; empty when there are none
//
// For example (tabs shown as "|"):
//   14:02:11.204|+35|->|Set Pixel|50 5F 3F FF FF|P_?..
// The panel's Copy and Save and tavrel-cli --trace all write this form.
QString FormatTrafficLine(const TrafficEntry& entry);

// The lines of entries [first, end) of the history, each ending in "\n".
QString FormatTrafficLines(const TrafficHistory& history, qint64 first, qint64 end);

// The pieces of a line.
QString TrafficTimeText(qint64 wallMs);
QString TrafficDirectionText(TrafficKind kind);
QString TrafficHexText(const QByteArray& bytes);
QString TrafficAsciiText(const QByteArray& bytes);

// A line read back: the entry's direction, label and bytes, and the two
// times as written. False when the line is not in the form above (wrong
// number of fields, bad hex, or an ASCII field that does not match the
// bytes).
struct TrafficLineFields {
    QString time;
    qint64 sinceOpenMs = 0;
    QString direction;
    QString label;
    QByteArray bytes;
};
bool ParseTrafficLine(const QString& line, TrafficLineFields& fields);

} // namespace tavrel
