// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PixelFormats.h"
#include "link/PanelSession.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tavrel {

// The pauses of the paced upload: after the header, and after every row.
constexpr int kImageHeaderPauseMs = 10;
constexpr int kImageRowPauseMs = 20;

// The six header bytes: 0x49, x, y, w, h, depth.
QByteArray DisplayImageHeader(quint8 x, quint8 y, int width, int height, int depth);

// "Display Image: " with "%u, " for each of the first ten bytes sent (fewer
// when fewer were sent), then "... : N bytes written".
QString DisplayImageLogLine(const QByteArray& sent, qint64 written);

// The Display Image button: runs the Display Image dialog on slot 0 and
// streams the picture it returns.
CommandOutcome DisplayImage(PanelSession& session);

// The command once its dialog has answered: checks the point, remembers the
// texts in slot 0, writes the header (with the encoding's depth), pauses
// 10 ms, writes every pixel on its own (16-bit: high byte first) with a
// 20 ms pause after each row, logs and reads the acknowledgement. The first write the link does not take
// whole ends the stream; the log line then counts what was written. A
// picture larger than the panel is cut to 96 x 64 (the dialog never makes
// one). Progress goes to the host after each row.
CommandOutcome SendDisplayImage(PanelSession& session, const QString& xText, const QString& yText,
                                const QImage& picture, const PixelEncoding& encoding);

// Sleeps for the given time, measured from the moment `since` was taken,
// more precisely than a plain sleep: the pauses of a paced stream must not
// grow by the scheduler's slack.
void PauseUntil(qint64 sinceNs, int pauseMs);
qint64 MonotonicNs();

} // namespace tavrel
