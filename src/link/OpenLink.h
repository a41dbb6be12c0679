// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

namespace quennel {
class Emulator;
}

namespace tavrel {

// Opens the built-in emulator when the name says so (and one is given),
// otherwise the serial device of that name.
LinkOpener MakeLinkOpener(quennel::Emulator* builtInEmulator);

} // namespace tavrel
