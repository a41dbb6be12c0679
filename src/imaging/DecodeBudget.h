// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tavrel {

// The memory every picture decode of the process shares. A decode holds a
// reservation of what it needs while it runs; one that does not fit beside
// the others waits for them, so pictures decoded side by side (the
// slideshow builder's workers) never take more together than one picture
// may take alone. A single reservation never waits for itself: its size is
// checked against the limit before it is made.
class DecodeReservation {
public:
    DecodeReservation(qint64 bytes, qint64 limit);
    ~DecodeReservation();
    DecodeReservation(const DecodeReservation&) = delete;
    DecodeReservation& operator=(const DecodeReservation&) = delete;

private:
    qint64 m_bytes;
};

} // namespace tavrel
