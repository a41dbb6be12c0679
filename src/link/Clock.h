// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tavrel {

// Where the command code takes its time from: the reply readers' waits and
// the time limits of the reading loops. A session uses the system's clock;
// a clock that only moves when told lets the slowest replies be tried in no
// time, and one that never sleeps lets a command be walked through without
// a port.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a steady clock; only differences mean anything.
    virtual qint64 nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The steady clock of the system, with real sleeps.
Clock& SystemClock();

} // namespace tavrel
