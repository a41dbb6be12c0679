// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QByteArray>
#include <QString>

namespace tavrel {

// 0x40 's', X, Y, delay high byte, delay low byte, the file name's
// characters reduced to seven bits, 0. X and Y are the low eight bits of
// their numbers, the delay the low sixteen; none is checked.
QByteArray SlideshowPacket(const QString& name, const QString& xText, const QString& yText, const QString& delayText);

// The Slideshow button: the "Display or Create Slideshow" dialog with X "0",
// Y "0", delay "10" and an empty name; on OK the command goes out with the
// log line "Show slideshow from SD data file: ..." and the acknowledgement
// is read. The remembered coordinates are neither used nor changed.
CommandOutcome Slideshow(PanelSession& session);

} // namespace tavrel
