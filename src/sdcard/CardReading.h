// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QString>

namespace tavrel {

// How far a reading loop may go before it gives up on a module that keeps
// sending: a number of bytes and a total time, both well past anything a
// real card produces.
struct ReceiveLimits {
    int maxBytes = 0;
    qint64 maxTotalMs = 0;
};

// The largest directory listing we take in: a FAT16 root folder holds 512
// entries of about 25 characters each; this leaves room for big sub-folders.
constexpr int kMaxListingBytes = 64 * 1024;

// No reading loop runs longer than this, its last read included, whatever
// the baud rate: a module that dribbles bytes just fast enough to keep each
// read alive is cut off here.
constexpr qint64 kMaxReceiveMs = 60000;

// The limits for taking in up to maxBytes at the session's baud rate: the
// time the line needs to carry that many bytes, twice over, plus 30 seconds,
// but never so long that the loop could pass kMaxReceiveMs.
ReceiveLimits LimitsForBaudRate(int maxBytes, const QString& baudRate);

struct ReceivedText {
    QString text;        // the bytes as characters (Latin-1), line breaks unchanged
    int bytes = 0;       // how many bytes were taken
    bool cutBySize = false;
    bool cutByTime = false;
    bool cut() const { return cutBySize || cutByTime; }
};

// The reading loop of View Directory and Read from File: one byte per read,
// until a 0 byte, a read that delivers nothing, `wanted` bytes (when wanted is
// 0 or more; no byte past that count is read), or the limits. No read starts
// after maxTotalMs on the session's clock has passed. A loop that was
// cut discards whatever the module still has on its way, so that the next
// command's reply is not taken from the rest of the stream.
ReceivedText ReceiveUntilZero(PanelSession& session, int wanted, const ReceiveLimits& limits);

// The line that tells the user a listing or data was cut, for the text dialog;
// empty when nothing was cut. `what` is "Listing" or "Data".
QString CutNote(const ReceivedText& received, const ReceiveLimits& limits, const QString& what);

} // namespace tavrel
