// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Clock.h"
#include "link/Link.h"
#include "link/PanelHost.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace tavrel::testing {

// A clock that moves only when something waits on it: the readers' sleeps
// and the reads of a FakeLink that keeps time with it.
class FakeClock final : public Clock {
public:
    qint64 now = 0;
    qint64 nowMs() override { return now; }
    void sleepMs(int ms) override { now += qMax(0, ms); }
};

// A link whose answers are scripted: every write is recorded and moves the
// next queued answer into the input, which reads then take. Bytes put into
// `input` directly are stale data waiting before any write.
struct FakeLinkState {
    QVector<QByteArray> writes;  // every write tried, taken whole or not
    QVector<QByteArray> answers;
    QByteArray input;
    int purges = 0;
    int closes = 0;
    qint64 acceptLimit = -1;  // accept at most this many bytes per write (-1: all)
    // A link that is lost: once this many bytes in all were taken, writes
    // take nothing more (-1: never).
    qint64 failAfterBytes = -1;
    qint64 bytesTaken = 0;
    // A device that goes away: the write that would take it past this many
    // bytes in all takes only up to there, and from then on the link is
    // lost (-1: never). A write attempted after exactly that many is the
    // one that finds it gone, with nothing taken.
    qint64 loseAfterBytes = -1;
    // Lost at the read of this number (0 = the first read): the read gets
    // nothing (-1: never).
    int loseAtRead = -1;
    int reads = 0;
    bool lost = false;
    QString lossReason = QStringLiteral("Input/output error");

    // A reply that never ends: called for more input whenever the input
    // runs dry. Unset: the input simply runs dry.
    std::function<QByteArray()> more;
    QByteArray delivered;  // every byte reads have handed out, in order

    // Time, when `clock` is set: each input byte takes byteGapMs to arrive,
    // and a read takes what a serial read with `timeouts` would, moving the
    // clock: it ends with all its bytes, after its whole time-out, or after
    // the pause between bytes once a byte came and the next is later.
    FakeClock* clock = nullptr;
    int byteGapMs = 0;
    LinkTimeouts timeouts;
};

class FakeLink final : public Link {
public:
    explicit FakeLink(std::shared_ptr<FakeLinkState> state) : m_state(std::move(state)) {}
    qint64 write(const QByteArray& bytes) override;
    QByteArray read(int count) override;
    void purgeInput() override;
    void close() override { ++m_state->closes; }
    bool isLost() const override { return m_state->lost; }
    QString lossReason() const override { return m_state->lost ? m_state->lossReason : QString(); }

private:
    std::shared_ptr<FakeLinkState> m_state;
};

// A host that answers dialogs with queued field texts (or cancels) and
// records message boxes.
class ScriptedHost final : public PanelHost {
public:
    QString status;
    HostColour foreground = kWhite;
    HostColour background = kBlack;
    int foregroundSets = 0;
    QStringList messages;            // "caption|text"
    QVector<QStringList> answers;    // one entry per dialog; empty list means Cancel
    QVector<DialogRequest> shown;    // the requests as they were pre-filled

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return foreground; }
    void setForegroundColour(HostColour colour) override { foreground = colour; ++foregroundSets; }
    HostColour backgroundColour() const override { return background; }
    void showMessage(const QString& text, const QString& caption) override { messages << caption + QLatin1Char('|') + text; }
    bool runDialog(DialogRequest& request) override;
    QStringList receivedTexts;       // "title|text" per text dialog shown
    void showReceivedText(const QString& title, const QString& text) override { receivedTexts << title + QLatin1Char('|') + text; }
    QVector<bool> portStates;        // every open/closed change, in order
    void portOpenChanged(bool open) override { portStates << open; }
};

} // namespace tavrel::testing
