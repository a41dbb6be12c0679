#pragma once

#include "emulator/FrameBuffer.h"

#include <QString>

namespace quennel {

// Everything the module remembers between commands. It survives client
// connections; only Emulator::reset() puts it back to power-on values.
struct ModuleState {
    FrameBuffer frame;
    quint16 background = 0x0000;
    // Counts changes of display settings that alter what the glass shows
    // without touching the frame buffer.
    quint32 glassRevision = 0;
    // Folder standing in for the SD card (may be empty: no card).
    QString cardDirectory;
};

} // namespace quennel
