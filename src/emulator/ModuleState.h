// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/CardFolder.h"
#include "emulator/FrameBuffer.h"
#include "emulator/Glass.h"
#include "emulator/Glyphs.h"
#include "emulator/Raster.h"

#include <QString>

#include <functional>
#include <memory>

namespace quennel {

class SlideshowPlayer;

// Everything the module remembers between commands. It survives client
// connections; only Emulator::reset() puts it back to power-on values.
struct ModuleState {
    FrameBuffer frame;
    quint16 background = 0x0000;
    // Pen size and orientation, text settings and user characters, and the
    // display settings that decide what the glass makes of the RAM.
    PenState pen;
    TextState text;
    GlassState glass;
    // Counts changes of display settings that alter what the glass shows
    // without touching the frame buffer.
    quint32 glassRevision = 0;
    // Folder standing in for the SD card (may be empty: no card).
    QString cardDirectory;
    // The card file the last Open command opened, and the slideshow playing
    // from the card (none when null).
    OpenCardFile openFile;
    std::shared_ptr<SlideshowPlayer> slideshow;
    // Called when what the glass shows changes outside feed() (a slideshow
    // frame); the Emulator turns it into frameChanged().
    std::function<void()> changedInBackground;
};

} // namespace quennel
