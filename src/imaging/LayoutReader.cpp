// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/LayoutReader.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace tavrel {

namespace {

constexpr qint64 kBlockBytes = 64 * 1024;

} // namespace

LayoutReader::LayoutReader(QIODevice& device, qint64 size)
    : m_device(device)
    , m_size(size)
{
}

const char* LayoutReader::blockAt(qint64 offset)
{
    if (offset < 0 || offset >= m_size)
        return nullptr;
    if (m_blockStart < 0 || offset < m_blockStart || offset >= m_blockStart + m_block.size()) {
        m_block.resize(int(qMin(kBlockBytes, m_size - offset)));
        m_blockStart = -1;
        if (!m_device.seek(offset) || m_device.read(m_block.data(), m_block.size()) != m_block.size()) {
            m_block.clear();
            return nullptr;
        }
        m_blockStart = offset;
    }
    return m_block.constData() + (offset - m_blockStart);
}

bool LayoutReader::read(qint64 offset, char* out, qint64 count)
{
    if (!has(offset, count))
        return false;
    return forEachBlock(offset, count, [&out](const char* bytes, qint64 n) {
        std::memcpy(out, bytes, size_t(n));
        out += n;
    });
}

quint8 LayoutReader::u8(qint64 offset, bool& ok)
{
    char c = 0;
    ok = ok && read(offset, &c, 1);
    return ok ? quint8(c) : 0;
}

quint16 LayoutReader::le16(qint64 offset, bool& ok)
{
    uchar b[2] = {};
    ok = ok && read(offset, reinterpret_cast<char*>(b), 2);
    return ok ? qFromLittleEndian<quint16>(b) : 0;
}

quint32 LayoutReader::le32(qint64 offset, bool& ok)
{
    uchar b[4] = {};
    ok = ok && read(offset, reinterpret_cast<char*>(b), 4);
    return ok ? qFromLittleEndian<quint32>(b) : 0;
}

quint16 LayoutReader::be16(qint64 offset, bool& ok)
{
    uchar b[2] = {};
    ok = ok && read(offset, reinterpret_cast<char*>(b), 2);
    return ok ? qFromBigEndian<quint16>(b) : 0;
}

quint32 LayoutReader::be32(qint64 offset, bool& ok)
{
    uchar b[4] = {};
    ok = ok && read(offset, reinterpret_cast<char*>(b), 4);
    return ok ? qFromBigEndian<quint32>(b) : 0;
}

qint64 LayoutReader::find(char value, qint64 from)
{
    while (const char* bytes = blockAt(from)) {
        const qint64 available = m_blockStart + m_block.size() - from;
        if (const void* hit = std::memchr(bytes, value, size_t(available)))
            return from + (static_cast<const char*>(hit) - bytes);
        from += available;
    }
    return -1;
}

} // namespace tavrel
