// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SaveFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <string>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrel {

#ifdef Q_OS_WIN

FileKind KindOfFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileKind::Missing;
    if (info.isDir())
        return FileKind::Directory;
    // Reserved names such as NUL or COM1 exist without being files.
    return info.isFile() ? FileKind::Regular : FileKind::Device;
}

bool IsSameFile(const QString& a, const QString& b)
{
    const QString first = QFileInfo(a).canonicalFilePath();
    return !first.isEmpty() && first.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

void CopyModeAndOwner(const QString& original, QFile& file)
{
    file.setPermissions(QFileInfo(original).permissions());
}

bool SyncToDisk(QFile& file, QString& reason)
{
    // Qt keeps the native handle to itself here; ReplaceFile() writes
    // through instead.
    Q_UNUSED(file);
    Q_UNUSED(reason);
    return true;
}

bool ReplaceFile(const QString& from, const QString& to, QString& reason)
{
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = qt_error_string(int(GetLastError()));
    return false;
}

QString SystemErrorText(int errorNumber)
{
    char text[256] = {};
    strerror_s(text, sizeof text, errorNumber);
    return QString::fromLocal8Bit(text);
}

#else

namespace {

bool StatOf(const QString& path, struct stat& status)
{
    return ::stat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

FileKind KindOfFile(const QString& path)
{
    struct stat status {};
    if (!StatOf(path, status))
        return FileKind::Missing;
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return FileKind::Directory;
    if (S_ISFIFO(status.st_mode))
        return FileKind::Pipe;
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return FileKind::Device;
    if (S_ISSOCK(status.st_mode))
        return FileKind::Socket;
    return FileKind::Other;
}

bool IsSameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return StatOf(a, first) && StatOf(b, second) && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void CopyModeAndOwner(const QString& original, QFile& file)
{
    struct stat status {};
    if (!StatOf(original, status))
        return;
    const int fd = file.handle();
    // The owner first: changing it may clear set-id bits that the mode
    // then puts back. Only root may give a file away; others keep theirs.
    if (::fchown(fd, status.st_uid, status.st_gid) != 0)
        errno = 0;
    if (::fchmod(fd, status.st_mode & 07777) != 0)
        errno = 0;
}

bool SyncToDisk(QFile& file, QString& reason)
{
    if (::fsync(file.handle()) == 0)
        return true;
    reason = SystemErrorText(errno);
    return false;
}

bool ReplaceFile(const QString& from, const QString& to, QString& reason)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    reason = SystemErrorText(errno);
    return false;
}

QString SystemErrorText(int errorNumber)
{
    return qt_error_string(errorNumber);
}

#endif

} // namespace tavrel
