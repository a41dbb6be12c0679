// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tavrel {

// The words of one script line, split as bash splits a command line:
// blanks separate words; '…' keeps everything literally; "…" keeps
// everything but lets \ escape $ ` " and \; outside quotes \ makes the next
// character plain; $'…' understands bash's escapes, where \xHH and \NNN
// (octal) give bytes and \uHHHH and \UHHHHHHHH characters, and the bytes of
// a word are then read as UTF-8 (a word that is not UTF-8 text, or holds a
// 0 byte, is refused). A word that begins with # starts a comment that runs
// to the end of the line.
//
// Nothing is expanded: an unquoted ; | & < > ` ( ) { * ? [, a ~ at the start
// of a word or a $ followed by a name, ( or { would do something in a shell
// and is refused here, so that a line never means something other than what
// it says. A line break cannot be inside a word (write $'\n').
//
// Returns false with the reason (without a line number) when the line does
// not split.
bool SplitScriptWords(const QString& line, QStringList& words, QString& error);

// One word written so that SplitScriptWords, and bash, read it back as the
// same bytes: as it is when it is plain, else in '…' (a quote in it as \'),
// or, when it holds control characters, in $'…' with each of them as the
// \xHH of its UTF-8 bytes.
QString QuoteScriptWord(const QString& word);
// The words of a line, each quoted, separated by single blanks.
QString JoinScriptWords(const QStringList& words);

} // namespace tavrel
