// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Clock.h"

#include <QThread>

#include <chrono>

namespace tavrel {

namespace {

class SteadyClock final : public Clock {
public:
    qint64 nowMs() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleepMs(int ms) override
    {
        if (ms > 0)
            QThread::msleep(static_cast<unsigned long>(ms));
    }
};

} // namespace

Clock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace tavrel
