// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

namespace tavrel {

// Shape commands: each asks for its points (pre-filled from the remembered
// slots), refuses the whole command if any point is off the 96 x 64 panel,
// remembers the typed texts, sends the shape in the foreground colour and
// reads the acknowledgement. None of them purges before writing.

// Draw Line: points 1 and 2 from slots 0 and 1 (shared with Draw Rectangle).
CommandOutcome DrawLine(PanelSession& session);
// Draw Rectangle: the same dialog and slots as Draw Line, command byte 0x72.
CommandOutcome DrawRectangle(PanelSession& session);
// Draw Triangle: three points, slots 0..2.
CommandOutcome DrawTriangle(PanelSession& session);
// Draw Circle: centre from slot 0; the radius starts at "3" every time.
CommandOutcome DrawCircle(PanelSession& session);
// Draw Polygon: seven points (slots 0..6), all checked and remembered,
// of which the chosen number of vertices (3..7) is sent.
CommandOutcome DrawPolygon(PanelSession& session);
// Copy Area: source point slot 0, destination point slot 1, width and
// height start at "8".
CommandOutcome CopyArea(PanelSession& session);

// Fixed commands without a dialog.
CommandOutcome ClearScreen(PanelSession& session);
CommandOutcome SetBackgroundColor(PanelSession& session);
CommandOutcome SetWireFrameMode(PanelSession& session);
CommandOutcome SetSolidMode(PanelSession& session);

// "Draw Polygon: " then "%u, " for each byte and ": N bytes written", all
// on one line.
QString FormatPolygonLogLine(const QByteArray& packet, qint64 written);

} // namespace tavrel
