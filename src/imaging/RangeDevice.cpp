// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/RangeDevice.h"

namespace tavrel {

RangeDevice::RangeDevice(QIODevice& source, ByteRanges ranges)
    : m_source(source)
    , m_ranges(std::move(ranges))
{
    open(QIODevice::ReadOnly);
}

qint64 RangeDevice::bytesAvailable() const
{
    qint64 left = -m_inRange;
    for (int i = m_range; i < m_ranges.size(); ++i)
        left += m_ranges.at(i).length;
    return qMax<qint64>(left, 0) + QIODevice::bytesAvailable();
}

qint64 RangeDevice::readData(char* data, qint64 maxSize)
{
    qint64 done = 0;
    while (done < maxSize && m_range < m_ranges.size()) {
        const ByteRange& range = m_ranges.at(m_range);
        const qint64 want = qMin(maxSize - done, range.length - m_inRange);
        const qint64 at = range.offset + m_inRange;
        if (m_source.pos() != at && !m_source.seek(at))
            return done > 0 ? done : -1;
        const qint64 got = m_source.read(data + done, want);
        if (got <= 0)
            return done > 0 ? done : -1;
        done += got;
        m_inRange += got;
        if (m_inRange == range.length) {
            ++m_range;
            m_inRange = 0;
        }
    }
    return done;
}

} // namespace tavrel
