// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/DeviceIdentity.h"

#include "link/PortNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#endif

namespace tavrel {

namespace {

#ifdef Q_OS_LINUX

// udev keeps one link per USB serial adapter here, named after the adapter
// itself, whichever ttyUSBn or ttyACMn it was given this time.
const QString kByIdFolder = QStringLiteral("/dev/serial/by-id");

QString ByIdEntryFor(const QString& portName)
{
    const QFileInfo named(portName);
    if (named.absolutePath() == kByIdFolder)
        return named.fileName();
    const QString device = named.canonicalFilePath();
    if (device.isEmpty())
        return QString();
    const QFileInfoList entries = QDir(kByIdFolder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.canonicalFilePath() == device)
            return entry.fileName();
    }
    return QString();
}

QString LocateByIdEntry(const DeviceIdentity& identity)
{
    const QFileInfo entry(kByIdFolder + QLatin1Char('/') + identity.adapterId);
    // A link whose device is gone does not exist as far as QFileInfo goes.
    const QString device = entry.canonicalFilePath();
    if (device.isEmpty())
        return QString();
    // The name the user chose stays when it still leads to the adapter.
    if (QFileInfo(identity.portName).canonicalFilePath() == device)
        return identity.portName;
    return device;
}

#else

QString AdapterIdOf(const QSerialPortInfo& info)
{
    if (info.serialNumber().isEmpty())
        return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.serialNumber());
}

bool SamePort(const QSerialPortInfo& info, const QString& name)
{
    return SamePortName(info.portName(), name) || SamePortName(info.systemLocation(), name);
}

#endif

} // namespace

DeviceIdentity IdentifyDevice(const QString& portName)
{
    DeviceIdentity identity;
    identity.portName = portName;
#ifdef Q_OS_LINUX
    identity.adapterId = ByIdEntryFor(portName);
#else
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        if (SamePort(info, portName)) {
            identity.adapterId = AdapterIdOf(info);
            break;
        }
    }
#endif
    return identity;
}

QString LocateDevice(const DeviceIdentity& identity)
{
#ifdef Q_OS_LINUX
    if (!identity.adapterId.isEmpty())
        return LocateByIdEntry(identity);
    return QFileInfo::exists(identity.portName) ? identity.portName : QString();
#else
    if (!identity.adapterId.isEmpty()) {
        const auto ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : ports) {
            if (AdapterIdOf(info) != identity.adapterId)
                continue;
            if (SamePort(info, identity.portName))
                return identity.portName;
#ifdef Q_OS_WIN
            return info.portName();
#else
            return info.systemLocation();
#endif
        }
        return QString();
    }
#ifdef Q_OS_WIN
    // COM ports have no node to look at; whether one is back shows when it
    // opens.
    return identity.portName;
#else
    return QFileInfo::exists(identity.portName) ? identity.portName : QString();
#endif
#endif
}

DeviceNode CurrentDeviceNode(const QString& path)
{
    DeviceNode node;
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode)) {
        node.known = true;
        node.device = quint64(info.st_rdev);
    }
#else
    Q_UNUSED(path);
#endif
    return node;
}

NodeChange CompareDeviceNode(const QString& path, const DeviceNode& atOpen)
{
#ifdef Q_OS_UNIX
    if (!atOpen.known)
        return NodeChange::Same;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? NodeChange::Gone : NodeChange::Same;
    return quint64(info.st_rdev) == atOpen.device ? NodeChange::Same : NodeChange::Replaced;
#else
    Q_UNUSED(path);
    Q_UNUSED(atOpen);
    return NodeChange::Same;
#endif
}

QString NodeChangeText(NodeChange change)
{
    switch (change) {
    case NodeChange::Same: return QString();
    case NodeChange::Gone: return QStringLiteral("the device node is gone");
    case NodeChange::Replaced: return QStringLiteral("the device node now names another device");
    }
    return QString();
}

} // namespace tavrel
