// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/DecodeBudget.h"

#include <QMutex>
#include <QWaitCondition>

namespace tavrel {

namespace {

struct Budget {
    QMutex mutex;
    QWaitCondition released;
    qint64 reserved = 0;
};

Budget& TheBudget()
{
    static Budget budget;
    return budget;
}

} // namespace

DecodeReservation::DecodeReservation(qint64 bytes, qint64 limit)
    : m_bytes(qBound<qint64>(0, bytes, limit))
{
    Budget& budget = TheBudget();
    QMutexLocker lock(&budget.mutex);
    // Alone, any reservation fits.
    while (budget.reserved > 0 && budget.reserved + m_bytes > limit)
        budget.released.wait(&budget.mutex);
    budget.reserved += m_bytes;
}

DecodeReservation::~DecodeReservation()
{
    Budget& budget = TheBudget();
    QMutexLocker lock(&budget.mutex);
    budget.reserved -= m_bytes;
    budget.released.wakeAll();
}

} // namespace tavrel
