// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureLayout.h"

#include <QIODevice>

namespace tavrel {

// A read-only, sequential view of some byte ranges of another device, one
// after the other: what a decoder reads of a picture file whose structure
// has been walked (PictureLayout::essentials), and then the bytes of
// `end`.
class RangeDevice final : public QIODevice {
public:
    RangeDevice(QIODevice& source, ByteRanges ranges, QByteArray end = QByteArray());

    // One range from the start of the file and nothing after it can be
    // read at any offset, as some readers (TIFF, WebP) need.
    bool isSequential() const override { return !m_random; }
    qint64 size() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_source;
    ByteRanges m_ranges;
    int m_range = 0;        // the range being read
    qint64 m_inRange = 0;   // bytes of it already read
    bool m_random = false;
    QByteArray m_end;
    qint64 m_inEnd = 0;     // bytes of m_end already read
};

} // namespace tavrel
