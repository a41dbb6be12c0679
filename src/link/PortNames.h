// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

namespace tavrel {

// The name of the built-in emulated module in the port list.
inline QString EmulatorPortName() { return QStringLiteral("Emulator"); }
bool IsEmulatorPortName(const QString& name);

struct PortEntry {
    QString name;         // passed unchanged to the open call and shown in the port label
    QString description;  // the adapter's description where the system knows it
    QString displayText() const;
};

// The ports offered in the settings dialog, scanned afresh on every call so
// that adapters plugged in after start-up appear. On Windows: COM1..COM9 and
// \\.\COM10..\\.\COM14. Elsewhere: the serial devices the system reports, by
// full path, then the built-in emulator.
QVector<PortEntry> AvailablePorts();

// COM5 on Windows; the built-in emulator elsewhere.
QString DefaultPortName();

// The baud rates offered, fastest first.
QVector<QString> BaudRateChoices();

} // namespace tavrel
