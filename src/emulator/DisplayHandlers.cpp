// Emulator handlers for display power, contrast, rotation, dimming, scrolling and controller commands.

#include "emulator/CommandHandlers.h"

namespace quennel {

void RegisterDisplayHandlers(HandlerTable& table)
{
    Q_UNUSED(table);
}

} // namespace quennel
