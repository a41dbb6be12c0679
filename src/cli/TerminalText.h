// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tavrel {

// True when standard output is a terminal rather than a file or a pipe.
bool StandardOutputIsTerminal();

// On Windows, standard output and error carry bytes as they are written (the
// C library would turn every "\n" into "\r\n", and so change the module's
// data on its way into a file), and a console shows the UTF-8 they are
// written in. Elsewhere nothing needs doing. Call before anything is written.
void UseStandardStreamsAsTheyAre();

// Bytes the module sent, made harmless for a terminal: the status window's
// line breaks ("\r\n") become "\n"; every other control character except tab
// and newline (0x00-0x1F, 0x7F and 0x80-0x9F) is shown as \xHH, so ESC
// shows as \x1b and cannot retitle or clear the terminal; a backslash shows
// as \\ so that the two cannot be confused. Bytes 0xA0-0xFF are the Latin-1
// characters they stand for.
QString TerminalSafeText(const QByteArray& bytes);

} // namespace tavrel
