// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureLayout.h"

#include <QIODevice>

namespace tavrel {

// A read-only, sequential view of some byte ranges of another device, one
// after the other: what a decoder reads of a picture file whose structure
// has been walked (PictureLayout::essentials).
class RangeDevice final : public QIODevice {
public:
    RangeDevice(QIODevice& source, ByteRanges ranges);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_source;
    ByteRanges m_ranges;
    int m_range = 0;        // the range being read
    qint64 m_inRange = 0;   // bytes of it already read
};

} // namespace tavrel
