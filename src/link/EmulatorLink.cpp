// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/EmulatorLink.h"

#include "emulator/Emulator.h"

namespace tavrel {

EmulatorLink::EmulatorLink(quennel::Emulator& emulator)
    : m_emulator(&emulator)
{
}

qint64 EmulatorLink::write(const QByteArray& bytes)
{
    if (!m_emulator)
        return 0;
    m_received += m_emulator->feed(bytes);
    return bytes.size();
}

QByteArray EmulatorLink::read(int count)
{
    if (count <= 0)
        return QByteArray();
    const QByteArray taken = m_received.left(count);
    m_received.remove(0, taken.size());
    return taken;
}

void EmulatorLink::purgeInput()
{
    m_received.clear();
}

void EmulatorLink::close()
{
    m_emulator.clear();
    m_received.clear();
}

} // namespace tavrel
