// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

namespace tavrel {

// Reads the fields of a picture file at any offset without reading the
// file whole: one block of the file is kept, so walking a structure from
// front to back reads every byte at most once. Every read is bounded by the
// file's size; a read past the end fails instead of returning less.
class LayoutReader {
public:
    // `size` is the number of bytes of `device` that belong to the picture.
    LayoutReader(QIODevice& device, qint64 size);

    qint64 size() const { return m_size; }
    QIODevice& device() const { return m_device; }
    bool has(qint64 offset, qint64 count) const { return offset >= 0 && count >= 0 && offset <= m_size - count; }

    // Copies `count` bytes at `offset`; false past the end or on a read error.
    bool read(qint64 offset, char* out, qint64 count);
    // Single fields; `ok` turns false (and stays false) when one is missing.
    quint8 u8(qint64 offset, bool& ok);
    quint16 le16(qint64 offset, bool& ok);
    quint32 le32(qint64 offset, bool& ok);
    quint16 be16(qint64 offset, bool& ok);
    quint32 be32(qint64 offset, bool& ok);

    // The offset of the first byte equal to `value` at or after `from`, or
    // -1 when there is none before the end.
    qint64 find(char value, qint64 from);

    // Calls visit(bytes, count) for the `count` bytes at `offset`, block by
    // block; false when they are not all there.
    template <typename Visit>
    bool forEachBlock(qint64 offset, qint64 count, Visit visit)
    {
        while (count > 0) {
            const char* bytes = blockAt(offset);
            if (!bytes)
                return false;
            const qint64 available = qMin(count, m_blockStart + m_block.size() - offset);
            visit(bytes, available);
            offset += available;
            count -= available;
        }
        return true;
    }

private:
    // The cached bytes from `offset` on (at least one), or null past the end.
    const char* blockAt(qint64 offset);

    QIODevice& m_device;
    qint64 m_size;
    QByteArray m_block;
    qint64 m_blockStart = -1;
};

} // namespace tavrel
