// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tavrel {

// What tells a serial device apart beyond the name it was opened by, so that
// it can be found again after it went away: under the same name, or, for a
// USB adapter, under whatever name the system gives it when it comes back.
// Everything that differs between systems in finding devices is in
// DeviceIdentity.cpp.
struct DeviceIdentity {
    QString portName;  // the name the port was opened by
    // The adapter's own identity where the system has one: on Linux the name
    // of its entry in /dev/serial/by-id (vendor, product, serial number,
    // interface), elsewhere its vendor and product ids with its serial
    // number. Empty for devices without one (pseudo-terminals, ports built
    // into the machine): for those the name is the identity.
    QString adapterId;
};

// Looks the device up while it is there; call it right after opening, since
// an unplugged adapter takes its identity with it.
DeviceIdentity IdentifyDevice(const QString& portName);

// Where the device is now: the name to open it by, or empty while it is
// absent. An adapter with an id counts only as itself, under whatever name
// it now has (another adapter that took over its old name does not count);
// a device without one counts when its name exists again.
QString LocateDevice(const DeviceIdentity& identity);

// The device a path named when a port was opened, to notice later that the
// node was removed or now names another device. Where the system has no
// device nodes it is never known, and the comparison always says Same.
struct DeviceNode {
    bool known = false;
    quint64 device = 0;
};
DeviceNode CurrentDeviceNode(const QString& path);

enum class NodeChange { Same, Gone, Replaced };
NodeChange CompareDeviceNode(const QString& path, const DeviceNode& atOpen);

// The words for a node that changed, as a link's loss reason.
QString NodeChangeText(NodeChange change);

} // namespace tavrel
