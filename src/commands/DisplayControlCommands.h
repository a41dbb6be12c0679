// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QString>

namespace tavrel {

// Commands that act on the module as a device. Get Device Info purges the
// receive buffer and reads the five-byte device information; all others
// write without purging and read the acknowledgement.

// Get Device Info: asks "Repeat Device Info on Display?" (Yes, No, Cancel).
CommandOutcome GetDeviceInfo(PanelSession& session);
// Oled Control Functions: display on/off, contrast 0..15, power on/off.
CommandOutcome OledControlFunctions(PanelSession& session);
// Rotate Display: normal or upside-down.
CommandOutcome RotateDisplay(PanelSession& session);
// Dim Area: an area from slot 0, width and height start at "1".
CommandOutcome DimArea(PanelSession& session);
// Scroll Control: one scroll setting per packet.
CommandOutcome ScrollControl(PanelSession& session);
// Write Command: one raw byte for the display controller.
CommandOutcome WriteCommand(PanelSession& session);

// The contrast entry of the Oled Control dialog must be a whole number from
// kMinContrast to kMaxContrast. Returns the message to show, or an empty text
// when the entry is acceptable (the value is then stored in `contrast`).
constexpr int kMinContrast = 0;
constexpr int kMaxContrast = 15;
QString ContrastEntryProblem(const QString& text, int* contrast = nullptr);

} // namespace tavrel
