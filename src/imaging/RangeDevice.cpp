// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/RangeDevice.h"

#include <cstring>

namespace tavrel {

RangeDevice::RangeDevice(QIODevice& source, ByteRanges ranges, QByteArray end)
    : m_source(source)
    , m_ranges(std::move(ranges))
    , m_end(std::move(end))
{
    m_random = m_ranges.size() == 1 && m_ranges.first().offset == 0 && m_end.isEmpty();
    open(QIODevice::ReadOnly);
}

qint64 RangeDevice::size() const
{
    if (m_random)
        return m_ranges.first().length;
    return QIODevice::size();
}

qint64 RangeDevice::bytesAvailable() const
{
    if (m_random)
        return QIODevice::bytesAvailable();
    qint64 left = -m_inRange;
    for (int i = m_range; i < m_ranges.size(); ++i)
        left += m_ranges.at(i).length;
    return qMax<qint64>(left, 0) + (m_end.size() - m_inEnd) + QIODevice::bytesAvailable();
}

qint64 RangeDevice::readData(char* data, qint64 maxSize)
{
    if (m_random) {
        const qint64 at = pos();
        const qint64 want = qMin(maxSize, m_ranges.first().length - at);
        if (want <= 0)
            return 0;
        if (m_source.pos() != at && !m_source.seek(at))
            return -1;
        return m_source.read(data, want);
    }
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
    if (done < maxSize && m_range == m_ranges.size() && m_inEnd < m_end.size()) {
        const qint64 take = qMin(maxSize - done, m_end.size() - m_inEnd);
        std::memcpy(data + done, m_end.constData() + m_inEnd, size_t(take));
        m_inEnd += take;
        done += take;
    }
    return done;
}

} // namespace tavrel
