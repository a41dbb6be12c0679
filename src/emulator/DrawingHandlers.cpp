// Emulator handlers for lines, rectangles, triangles, circles, polygons, copy area and the pen size.

#include "emulator/CommandHandlers.h"

namespace quennel {

void RegisterDrawingHandlers(HandlerTable& table)
{
    Q_UNUSED(table);
}

} // namespace quennel
