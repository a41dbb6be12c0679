// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

namespace tavrel {

// Set Pixel: asks for a point (slot 0), draws it in the foreground colour.
CommandOutcome SetPixel(PanelSession& session);
// Read Pixel: asks for a point (slot 0); the module's answer becomes the
// foreground colour.
CommandOutcome ReadPixel(PanelSession& session);

} // namespace tavrel
