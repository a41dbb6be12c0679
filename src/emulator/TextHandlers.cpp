// Emulator handlers for fonts, text mode, characters, strings, text buttons and user characters.

#include "emulator/CommandHandlers.h"

namespace quennel {

void RegisterTextHandlers(HandlerTable& table)
{
    Q_UNUSED(table);
}

} // namespace quennel
