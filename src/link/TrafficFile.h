// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tavrel {

class TrafficHistory;

// Writes the history's committed entries, one traffic line each (see
// TrafficLine.h), to the file at `path` through QSaveFile: the file is put
// in place only when every line was written, so a failure leaves an
// earlier file of that name as it was. Returns an empty text on success,
// otherwise the system's reason.
QString SaveTrafficLines(const TrafficHistory& history, const QString& path);

} // namespace tavrel
