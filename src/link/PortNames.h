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
// that adapters plugged in after start-up appear: the serial ports the system
// reports, then the built-in emulator. On Windows by their COM names in the
// order of their numbers (COM2 before COM10); elsewhere by full path.
QVector<PortEntry> AvailablePorts();

// Whether two names open the same port. On Windows names are compared
// without regard to case and "\\.\COM10" is "COM10"; elsewhere a name is
// a path and compared as it is.
bool SamePortName(const QString& a, const QString& b);

// A Windows port name without its device-namespace prefix: "\\.\COM10"
// (which the system needs for COM10 and above) and "//./COM10" are "COM10".
QString PlainComName(const QString& name);

// Puts Windows port names in the order of their numbers (COM2 before COM10,
// "\\.\COM12" as COM12), any other names after them, and keeps one entry of
// each port.
void SortComPorts(QVector<PortEntry>& ports);

// COM5 on Windows; the built-in emulator elsewhere.
QString DefaultPortName();

// The baud rates offered, fastest first.
QVector<QString> BaudRateChoices();

} // namespace tavrel
