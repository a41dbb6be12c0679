// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ReconnectingRun.h"

#include <QTextStream>

namespace tavrel {

// The longest --reconnect wait taken: a day.
constexpr int kMaxReconnectSeconds = 86400;

// Says on standard error what became of a command whose port went away
// (nothing when the link held). linePrefix names the script line, if any.
void ReportLoss(const ReconnectingRun& run, int reconnectSeconds, QTextStream& err,
                const QString& linePrefix = QString());

} // namespace tavrel
