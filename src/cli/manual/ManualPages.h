// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tavrel {

// What the pages name in their heading: the version and the date of the
// release ("2026-12-08").
struct ManualHeading {
    QString version;
    QString date;
};

// The manual pages, in roff with the man macros, written from the command
// table and the help texts tavrel-cli itself prints, so that a page says
// what the program does: tavrel-cli(1), tavrel(1) and quennel-emu(1).
QString TavrelCliPage(const ManualHeading& heading);
QString TavrelPage(const ManualHeading& heading);
QString QuennelEmuPage(const ManualHeading& heading);

// A bash completion script for tavrel-cli: its options, commands, each
// command's options and choices, port names after --port and files where a
// command takes a file.
QString BashCompletion();

} // namespace tavrel
