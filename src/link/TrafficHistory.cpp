// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TrafficHistory.h"

#include <QDateTime>

#include <algorithm>

namespace tavrel {

namespace {

// A share for the heap blocks behind an entry's bytes and label, on top of
// their contents.
constexpr qint64 kAllocationShare = 64;

QString TimeoutText(int got, int requested)
{
    return QStringLiteral("Time-out: %1 of %2 bytes received").arg(got).arg(requested);
}

QString ShortWriteText(const QString& label, qint64 written, qint64 size)
{
    return QStringLiteral("%1 (%2 of %3 bytes written)").arg(label).arg(written).arg(size);
}

} // namespace

qint64 TrafficEntryCost(const TrafficEntry& entry)
{
    return qint64(sizeof(TrafficEntry)) + kAllocationShare + qint64(entry.bytes.capacity())
        + 2 * qint64(entry.label.capacity());
}

TrafficHistory::TrafficHistory(QObject* parent)
    : QObject(parent)
{
}

void TrafficHistory::setLimits(int maxEntries, qint64 maxMemoryBytes)
{
    m_maxEntries = std::max(1, maxEntries);
    m_maxMemoryBytes = std::max<qint64>(1, maxMemoryBytes);
    trim();
}

const TrafficEntry* TrafficHistory::entry(qint64 sequence) const
{
    if (sequence < m_firstSequence || sequence >= endSequence())
        return nullptr;
    return &m_entries[size_t(sequence - m_firstSequence)];
}

TrafficEntry TrafficHistory::makeEntry(TrafficKind kind, const QString& label) const
{
    TrafficEntry entry;
    entry.kind = kind;
    entry.wallMs = QDateTime::currentMSecsSinceEpoch();
    entry.sinceOpenMs = m_sinceOpen.isValid() ? m_sinceOpen.elapsed() : 0;
    entry.label = label;
    return entry;
}

void TrafficHistory::append(TrafficEntry entry)
{
    m_memoryUsed += TrafficEntryCost(entry);
    m_entries.push_back(std::move(entry));
    trim();
}

int TrafficHistory::grow(const QByteArray& bytes, int from)
{
    TrafficEntry& last = m_entries.back();
    const int room = kMaxEntryBytes - int(last.bytes.size());
    const int taken = std::min(room, int(bytes.size()) - from);
    m_memoryUsed -= TrafficEntryCost(last);
    last.bytes.append(bytes.constData() + from, taken);
    m_memoryUsed += TrafficEntryCost(last);
    return from + taken;
}

TrafficEntry* TrafficHistory::lastOpen(TrafficKind kind)
{
    if (m_committedEnd == endSequence() || m_entries.back().kind != kind)
        return nullptr;
    return &m_entries.back();
}

void TrafficHistory::recordEvent(TrafficKind kind, const QString& label)
{
    commitPending();
    append(makeEntry(kind, label));
    commitPending();
}

void TrafficHistory::recordOpened(const QString& portLabel)
{
    if (!m_recording)
        return;
    commitPending();
    m_sinceOpen.start();
    recordEvent(TrafficKind::Opened, QStringLiteral("Port opened: %1").arg(portLabel));
}

void TrafficHistory::recordClosed()
{
    if (m_recording)
        recordEvent(TrafficKind::Closed, QStringLiteral("Port closed"));
}

void TrafficHistory::recordLost(const QString& portName, const QString& reason)
{
    if (m_recording)
        recordEvent(TrafficKind::Lost, QStringLiteral("Port lost: %1 (%2)").arg(portName, reason));
}

void TrafficHistory::recordPurged()
{
    if (m_recording)
        recordEvent(TrafficKind::Purged, QStringLiteral("Receive buffer purged"));
}

void TrafficHistory::recordSent(const QByteArray& packet, qint64 written, const QString& label)
{
    if (!m_recording)
        return;
    commitPending();
    const int accepted = int(std::clamp<qint64>(written, 0, packet.size()));
    const QString shown = accepted < packet.size() ? ShortWriteText(label, accepted, packet.size()) : label;
    // A write that took nothing is still an entry: the attempt shows.
    int from = 0;
    do {
        TrafficEntry entry = makeEntry(TrafficKind::Sent, shown);
        entry.bytes = packet.mid(from, std::min(kMaxEntryBytes, accepted - from));
        from += int(entry.bytes.size());
        append(std::move(entry));
    } while (from < accepted);
    commitPending();
}

void TrafficHistory::recordStreamed(const QByteArray& bytes, const QString& label)
{
    if (!m_recording)
        return;
    int from = 0;
    while (from < bytes.size()) {
        const TrafficEntry* open = m_streamOpen ? lastOpen(TrafficKind::Sent) : nullptr;
        if (open && open->label == label && open->bytes.size() < kMaxEntryBytes) {
            from = grow(bytes, from);
            continue;
        }
        commitPending();
        append(makeEntry(TrafficKind::Sent, label));
        m_streamOpen = true;
    }
}

void TrafficHistory::recordStreamDrained(qint64 dropped)
{
    if (!m_recording)
        return;
    if (m_streamOpen && dropped > 0) {
        if (TrafficEntry* open = lastOpen(TrafficKind::Sent)) {
            const qint64 size = open->bytes.size();
            const qint64 kept = std::max<qint64>(0, size - dropped);
            m_memoryUsed -= TrafficEntryCost(*open);
            open->bytes.truncate(int(kept));
            open->label = ShortWriteText(open->label, kept, size);
            m_memoryUsed += TrafficEntryCost(*open);
        }
    }
    commitPending();
}

void TrafficHistory::recordReceived(const QByteArray& bytes, int requested)
{
    if (!m_recording)
        return;
    // A reply never joins a stream stretch.
    if (m_streamOpen)
        commitPending();
    int from = 0;
    while (from < bytes.size()) {
        const TrafficEntry* open = lastOpen(TrafficKind::Received);
        if (open && open->bytes.size() < kMaxEntryBytes) {
            from = grow(bytes, from);
            continue;
        }
        append(makeEntry(TrafficKind::Received, QString()));
    }
    if (bytes.size() >= requested)
        return;
    // One reply holds one time-out; a second one begins a new reply.
    for (qint64 s = m_committedEnd; s < endSequence(); ++s) {
        if (entry(s)->kind == TrafficKind::TimedOut) {
            commitPending();
            break;
        }
    }
    append(makeEntry(TrafficKind::TimedOut, TimeoutText(int(bytes.size()), requested)));
}

void TrafficHistory::noteReply(const QString& meaning)
{
    if (!m_recording)
        return;
    TrafficEntry* target = nullptr;
    for (qint64 s = endSequence() - 1; s >= m_committedEnd; --s) {
        TrafficEntry& candidate = m_entries[size_t(s - m_firstSequence)];
        if (candidate.kind == TrafficKind::Received) {
            target = &candidate;
            break;
        }
        if (!target && candidate.kind == TrafficKind::TimedOut)
            target = &candidate;
    }
    if (target) {
        m_memoryUsed -= TrafficEntryCost(*target);
        target->label = target->kind == TrafficKind::Received
            ? meaning
            : QStringLiteral("%1 (%2)").arg(meaning, target->label);
        m_memoryUsed += TrafficEntryCost(*target);
    }
    commitPending();
}

void TrafficHistory::commitPending()
{
    m_streamOpen = false;
    const qint64 first = m_committedEnd;
    const qint64 end = endSequence();
    if (first == end)
        return;
    // Gathered bytes were grown piecemeal; keep only what they hold.
    for (qint64 s = first; s < end; ++s) {
        TrafficEntry& done = m_entries[size_t(s - m_firstSequence)];
        if (done.bytes.capacity() > done.bytes.size()) {
            m_memoryUsed -= TrafficEntryCost(done);
            done.bytes.squeeze();
            m_memoryUsed += TrafficEntryCost(done);
        }
    }
    m_committedEnd = end;
    emit committed(first, end);
    trim();
}

void TrafficHistory::trim()
{
    qint64 dropped = 0;
    // Open entries stay: they are few, and still being written.
    while (m_firstSequence < m_committedEnd
           && (int(m_entries.size()) > m_maxEntries || m_memoryUsed > m_maxMemoryBytes)) {
        m_memoryUsed -= TrafficEntryCost(m_entries.front());
        m_entries.pop_front();
        ++m_firstSequence;
        ++dropped;
    }
    if (dropped > 0)
        emit trimmed(m_firstSequence);
}

void TrafficHistory::clear()
{
    if (m_firstSequence == m_committedEnd)
        return;
    while (m_firstSequence < m_committedEnd) {
        m_memoryUsed -= TrafficEntryCost(m_entries.front());
        m_entries.pop_front();
        ++m_firstSequence;
    }
    emit trimmed(m_firstSequence);
}

} // namespace tavrel
