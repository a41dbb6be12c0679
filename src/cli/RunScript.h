// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliSession.h"

#include <QStringList>
#include <QTextStream>

namespace tavrel {

// tavrel-cli run [--keep-going] FILE: reads the script (FILE "-" is standard
// input), checks every line, opens the port once and runs the lines one
// after another, printing what each command prints on its own. Returns the
// exit status: 0 all sent, 1 a command refused or not written whole (the
// run stops there unless --keep-going; its line is named) or the port would
// not open, 2 a script that cannot be read or has a line that does not
// parse (nothing is sent then).
int RunScript(const QStringList& arguments, const CliSettings& settings, QTextStream& out, QTextStream& err);

} // namespace tavrel
