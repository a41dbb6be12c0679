// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialAccess.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace tavrel {

QString SerialAccessAdviceText(const QString& device, const QString& group, bool groupMayReadWrite)
{
    if (groupMayReadWrite) {
        return QStringLiteral("To use %1, add your user to its group \"%2\" (sudo usermod -aG %2 $USER), "
                              "then log out and log in again.")
            .arg(device, group);
    }
    return QStringLiteral("To use %1, give its group \"%2\" read and write access (sudo chmod g+rw %1), "
                          "add your user to that group (sudo usermod -aG %2 $USER), then log out and log in again.")
        .arg(device, group);
}

#ifdef Q_OS_UNIX

namespace {

// QSerialPort takes a bare name such as "ttyUSB0" to mean the device in /dev.
QString DevicePath(const QString& portName)
{
    if (portName.startsWith(QLatin1Char('/')) || portName.startsWith(QLatin1String("./"))
        || portName.startsWith(QLatin1String("../")))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

QString GroupName(gid_t gid)
{
    long bufferSize = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    if (bufferSize <= 0)
        bufferSize = 4096;
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    struct group entry;
    struct group* found = nullptr;
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->gr_name) : QString::number(gid);
}

} // namespace

QString SerialAccessAdvice(const QString& portName)
{
    if (portName.isEmpty())
        return QString();
    const QString device = DevicePath(portName);
    const QByteArray path = QFile::encodeName(device);
    // Asks with the ids an open would use; anything but a refusal for lack
    // of rights (no such device, busy, a lock) is some other failure.
    if (::faccessat(AT_FDCWD, path.constData(), R_OK | W_OK, AT_EACCESS) == 0 || errno != EACCES)
        return QString();
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return QString();
    const bool groupMayReadWrite = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return SerialAccessAdviceText(device, GroupName(info.st_gid), groupMayReadWrite);
}

#else

// Windows refuses a COM port only when another program has it open; there
// is no group to join.
QString SerialAccessAdvice(const QString& portName)
{
    Q_UNUSED(portName);
    return QString();
}

#endif

} // namespace tavrel
