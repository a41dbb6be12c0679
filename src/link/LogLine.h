// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tavrel {

// "Label: b0,b1,...,bn : N bytes written" — the fixed per-command form.
QString FormatLogLine(const QString& label, const QByteArray& packet, qint64 written);

// The piece-built form of long packets: the prefix, then "%u, " per byte with
// a line break after positions 15, 30, 45 ... and ": N bytes written".
QString FormatPieceLogLine(const QString& prefix, const QByteArray& packet, qint64 written);

// The command's label in a log-line prefix: "Erase file: " -> "Erase file".
QString LogLabel(const QString& prefix);

} // namespace tavrel
