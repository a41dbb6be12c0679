// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <deque>

namespace tavrel {

// What one entry of the traffic history stands for.
enum class TrafficKind {
    Sent,      // bytes written to the link
    Received,  // bytes read from the link
    TimedOut,  // a read that ended before all the bytes it asked for came
    Purged,    // unread received bytes were thrown away
    Opened,    // the port was opened; the time since open counts from here
    Closed,    // the port was closed
    Lost,      // the device went away under an open port
};

struct TrafficEntry {
    TrafficKind kind = TrafficKind::Sent;
    qint64 wallMs = 0;       // wall-clock time, milliseconds since 1970 (UTC)
    qint64 sinceOpenMs = 0;  // milliseconds since the port was opened
    QByteArray bytes;        // sent or received bytes; empty for the other kinds
    // Sent: the command's label; Received: what the reader made of the
    // bytes; the other kinds: what happened.
    QString label;
};

// Every byte that went through the session's link, in order, as entries.
//
// A write is one entry. A paced stream (one small write per pixel) is one
// entry per stretch between two drains, i.e. one per picture row. Reads
// that follow one another without anything else in between gather into one
// entry, so that a listing read byte by byte is one entry; what the reader
// made of a reply is noted on it afterwards.
//
// Entries become final ("committed") when nothing more can be added to
// them: a write at once, a stream stretch at its drain, a reply when its
// reader notes it or when any other traffic follows. Only committed entries
// are announced and shown.
//
// Memory is bounded: the oldest committed entries go once there are more
// than maxEntries of them or they take more than maxMemoryBytes. An entry
// holds at most kMaxEntryBytes bytes; longer traffic continues in a new
// entry with the same label.
class TrafficHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultMaxEntries = 100000;
    static constexpr qint64 kDefaultMaxMemoryBytes = qint64(32) << 20;
    static constexpr int kMaxEntryBytes = 1 << 20;

    explicit TrafficHistory(QObject* parent = nullptr);

    void setLimits(int maxEntries, qint64 maxMemoryBytes);
    int maxEntries() const { return m_maxEntries; }
    qint64 maxMemoryBytes() const { return m_maxMemoryBytes; }

    // Nothing is recorded while recording is off (the command-line tool
    // keeps no history unless it prints one).
    void setRecording(bool on) { m_recording = on; }
    bool isRecording() const { return m_recording; }

    // Recording, called by the session for every link operation.
    void recordOpened(const QString& portLabel);
    void recordClosed();
    // The device of the open port went away; `reason` is the system's words.
    void recordLost(const QString& portName, const QString& reason);
    // A write of `packet` of which `written` bytes were accepted.
    void recordSent(const QByteArray& packet, qint64 written, const QString& label);
    // Bytes handed to a paced stream; they join the open stretch of the
    // same label. recordStreamDrained() ends the stretch, taking the last
    // `dropped` bytes off it again (they never left).
    void recordStreamed(const QByteArray& bytes, const QString& label);
    void recordStreamDrained(qint64 dropped);
    // A read that asked for `requested` bytes; fewer is a time-out.
    void recordReceived(const QByteArray& bytes, int requested);
    void recordPurged();
    // What the reader made of the reply read since the last other traffic:
    // the label of its last received entry, or, when no byte came, of its
    // time-out. Commits the reply.
    void noteReply(const QString& meaning);
    // Commits whatever is still open.
    void commitPending();

    // Entries are numbered in recording order from 0; numbers are never
    // reused, also not after clear().
    qint64 firstSequence() const { return m_firstSequence; }
    qint64 committedEnd() const { return m_committedEnd; }
    qint64 endSequence() const { return m_firstSequence + qint64(m_entries.size()); }
    // The entry of that number, or null when it is gone or not yet recorded.
    const TrafficEntry* entry(qint64 sequence) const;
    int size() const { return int(m_entries.size()); }
    // What the entries take, as counted against the memory bound.
    qint64 memoryUsed() const { return m_memoryUsed; }

    // Forgets every committed entry.
    void clear();

signals:
    // Entries [first, end) have been committed.
    void committed(qint64 first, qint64 end);
    // Entries before `first` are gone (bounds or clear()).
    void trimmed(qint64 first);

private:
    TrafficEntry makeEntry(TrafficKind kind, const QString& label) const;
    void append(TrafficEntry entry);
    // Adds bytes to the last entry, which must be open, as far as it has room.
    int grow(const QByteArray& bytes, int from);
    TrafficEntry* lastOpen(TrafficKind kind);
    void recordEvent(TrafficKind kind, const QString& label);
    void trim();

    std::deque<TrafficEntry> m_entries;
    qint64 m_firstSequence = 0;
    qint64 m_committedEnd = 0;
    qint64 m_memoryUsed = 0;
    int m_maxEntries = kDefaultMaxEntries;
    qint64 m_maxMemoryBytes = kDefaultMaxMemoryBytes;
    bool m_recording = true;
    bool m_streamOpen = false;
    QElapsedTimer m_sinceOpen;
};

// What an entry counts against the memory bound: its bytes and label as
// allocated, plus a fixed share for the entry itself and its allocations.
qint64 TrafficEntryCost(const TrafficEntry& entry);

} // namespace tavrel
