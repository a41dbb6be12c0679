// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTextStream;

namespace tavrel {

class TrafficHistory;

// tavrel-cli --trace: from now on every entry the history commits is
// printed to `out` as one traffic line (see TrafficLine.h), at once.
void PrintTrafficAsItHappens(TrafficHistory& history, QTextStream& out);

} // namespace tavrel
