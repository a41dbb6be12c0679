// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tavrel {

// The words of one script line, split as a shell splits a command line:
// blanks separate words; '…' keeps everything literally; "…" keeps
// everything but lets \ escape $ ` " and \; $'…' understands the escapes
// \n \r \t \a \b \e \f \v \\ \' \" \xHH \uHHHH \UHHHHHHHH and \NNN
// (octal); outside quotes \ makes the next character plain. A word that
// begins with # starts a comment that runs to the end of the line.
//
// Nothing is expanded: an unquoted ; | & < > ` or a $ followed by a name,
// ( or { would do something in a shell and is refused here, so that a line
// never means something other than what it seems to say. A line break
// cannot be inside a word (write $'\n').
//
// Returns false with the reason (without a line number) when the line does
// not split.
bool SplitScriptWords(const QString& line, QStringList& words, QString& error);

// One word written so that SplitScriptWords reads it back unchanged: as it
// is when it is plain, else in '…', "…" or, when it holds control
// characters, in $'…'.
QString QuoteScriptWord(const QString& word);
// The words of a line, each quoted, separated by single blanks.
QString JoinScriptWords(const QStringList& words);

} // namespace tavrel
