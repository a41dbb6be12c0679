// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace tavrel {

// The time-outs every open port gets. A read of n bytes returns after at most
// readTotalConstantMs + readTotalPerByteMs * n, or earlier once more than
// readIntervalMs pass between two received bytes. A write of n bytes gives up
// after writeTotalConstantMs + writeTotalPerByteMs * n.
struct LinkTimeouts {
    int readIntervalMs = 100;
    int readTotalPerByteMs = 10;
    int readTotalConstantMs = 500;
    int writeTotalPerByteMs = 10;
    int writeTotalConstantMs = 50;

    int readBudgetMs(int count) const { return readTotalConstantMs + readTotalPerByteMs * count; }
    int writeBudgetMs(int count) const { return writeTotalConstantMs + writeTotalPerByteMs * count; }
};

// One open connection to a module: a serial port or the built-in emulator.
// All calls are synchronous and bounded by the time-outs above.
class Link {
public:
    virtual ~Link() = default;

    // Writes the bytes; returns how many were accepted within the write time-out.
    virtual qint64 write(const QByteArray& bytes) = 0;
    // For long paced streams (one small write per pixel): hands the bytes to
    // the driver without waiting for them to leave, and returns how many were
    // taken. Bytes the driver cannot take at once wait for drainOutput().
    virtual qint64 writeUnwaited(const QByteArray& bytes) { return write(bytes); }
    // Waits, within the write time-out for what is pending, until every byte
    // handed over has left; returns how many had to be dropped.
    virtual qint64 drainOutput() { return 0; }
    // Reads up to count bytes within the read time-outs; a short result is normal.
    virtual QByteArray read(int count) = 0;
    // Discards received bytes that nobody has read yet (never the output side).
    virtual void purgeInput() = 0;
    // Puts the port's previous settings back and releases it.
    virtual void close() = 0;

    // True once a write or read failed because the device went away (a
    // vanished adapter, the far end of a pseudo-terminal closed, the device
    // node removed): the link carries nothing any more. A time-out is not a
    // loss. The counts that write() returned up to then are what reached
    // the driver.
    virtual bool isLost() const { return false; }
    // The system's words for the loss; empty while the link is not lost.
    virtual QString lossReason() const { return QString(); }
};

// Why an open failed, in the order the steps run.
enum class OpenFailure {
    None,
    Create,        // the device could not be opened (missing, busy, no access)
    Setup,         // buffer sizes refused
    GetState,      // the current line settings could not be read
    SetState,      // baud rate / 8N1 refused
    SetTimeouts,   // time-outs refused
};

// The status text the panel shows for each failing open step.
QString OpenFailureText(OpenFailure failure);

struct OpenResult {
    std::unique_ptr<Link> link;
    OpenFailure failure = OpenFailure::None;
    // After a failure: one sentence on what the user can do about it, when
    // the cause is known (missing access rights to the device); else empty.
    QString advice;
};

} // namespace tavrel
