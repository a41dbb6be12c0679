// Emulator handlers for the SD card folder: directory, files, bitmaps, image data, slideshows, print screen.

#include "emulator/CommandHandlers.h"

namespace quennel {

void RegisterCardHandlers(HandlerTable& table)
{
    Q_UNUSED(table);
}

} // namespace quennel
