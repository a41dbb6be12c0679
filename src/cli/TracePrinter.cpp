// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TracePrinter.h"

#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"

#include <QTextStream>

namespace tavrel {

void PrintTrafficAsItHappens(TrafficHistory& history, QTextStream& out)
{
    history.setRecording(true);
    QObject::connect(&history, &TrafficHistory::committed, &history,
                     [&history, &out](qint64 first, qint64 end) {
                         out << FormatTrafficLines(history, first, end);
                         out.flush();
                     });
}

} // namespace tavrel
