// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/OpenLink.h"

#include "link/EmulatorLink.h"
#include "link/PortNames.h"
#include "link/SerialLink.h"

namespace tavrel {

LinkOpener MakeLinkOpener(quennel::Emulator* builtInEmulator)
{
    return [builtInEmulator](const QString& portName, qint32 baudRate) {
        if (builtInEmulator && IsEmulatorPortName(portName)) {
            OpenResult result;
            result.link = std::make_unique<EmulatorLink>(*builtInEmulator);
            return result;
        }
        return SerialLink::open(portName, baudRate);
    };
}

} // namespace tavrel
