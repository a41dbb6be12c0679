// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace tavrel::testing {

// A command line that tavrel-cli, a script line and the panel's Run Script
// must refuse before anything is sent: the words after tavrel-cli (the
// command first) and the word the refusal must name.
struct RefusedLine {
    QString row;
    QStringList words;
    QString named;
};

// Two command lines that must send the same bytes (an option written as
// --name=VALUE and as --name VALUE, a check box as --name and --name=1, an
// option left out and given the value its dialog starts with).
struct SameLines {
    QString row;
    QStringList first;
    QStringList second;
};

// For every command of the table: each option given without its value,
// twice and misspelled, a check box given 2, an extra word, an unknown
// option and an option of tavrel-cli itself after the command; plus the
// slips users were seen to make.
QVector<RefusedLine> RefusedLines();
// For every option of every command, its two spellings, and left out.
QVector<SameLines> EquivalentLines();

} // namespace tavrel::testing
