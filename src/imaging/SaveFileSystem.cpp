// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SaveFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <io.h>
#include <string>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrel {

namespace {

std::atomic<qint64> g_saveSizeLimit {-1};

} // namespace

qint64 WriteToSaveFile(QFileDevice& file, const char* data, qint64 size, QString& reason)
{
    const qint64 limit = g_saveSizeLimit.load();
    if (limit >= 0) {
        size = std::min(size, std::max<qint64>(0, limit - file.pos()));
        if (size == 0) {
            reason = SystemErrorText(EFBIG);
            return -1;
        }
    }
    file.unsetError();
    const qint64 written = file.write(data, size);
    if (written <= 0)
        reason = file.error() != QFileDevice::NoError ? file.errorString() : SystemErrorText(EIO);
    return written;
}

void SetSaveSizeLimit(qint64 bytes)
{
    g_saveSizeLimit = bytes;
}

#ifdef Q_OS_WIN

namespace {

// Names the system takes for its devices in any folder, with any extension:
// CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 (also with the superscript
// digits 1, 2 and 3), CONIN$ and CONOUT$. Trailing blanks and dots do not
// make them files either.
bool IsReservedDeviceName(const QString& fileName)
{
    QString base = fileName.section(QLatin1Char('.'), 0, 0);
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    base = base.toUpper();
    if (base == QLatin1String("CON") || base == QLatin1String("PRN") || base == QLatin1String("AUX")
        || base == QLatin1String("NUL") || base == QLatin1String("CONIN$") || base == QLatin1String("CONOUT$"))
        return true;
    if (base.size() != 4 || !(base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))))
        return false;
    const QChar digit = base.at(3);
    return (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) || digit == QChar(0x00B9) || digit == QChar(0x00B2)
           || digit == QChar(0x00B3);
}

// The volume and the file's index on it: the same pair for every name of
// one file (hard links, symbolic links, short names, other letter cases).
bool FileIdentity(const QString& path, BY_HANDLE_FILE_INFORMATION& identity)
{
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(handle, &identity) != 0;
    CloseHandle(handle);
    return known;
}

} // namespace

FileKind KindOfFile(const QString& path)
{
    if (IsReservedDeviceName(QFileInfo(path).fileName()))
        return FileKind::Device;
    const QFileInfo info(path);
    if (!info.exists())
        return FileKind::Missing;
    if (info.isDir())
        return FileKind::Directory;
    return info.isFile() ? FileKind::Regular : FileKind::Device;
}

bool IsSameFile(const QString& a, const QString& b)
{
    BY_HANDLE_FILE_INFORMATION first {};
    BY_HANDLE_FILE_INFORMATION second {};
    return FileIdentity(a, first) && FileIdentity(b, second)
           && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber
           && first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

void CopyModeAndOwner(const QString& original, QFile& file)
{
    file.setPermissions(QFileInfo(original).permissions());
}

bool SyncToDisk(QFile& file, QString& reason)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || FlushFileBuffers(handle))
        return true;
    reason = qt_error_string(int(GetLastError()));
    return false;
}

bool MoveIntoPlace(const QString& from, const QString& to, QString& reason)
{
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    // Fails, leaving the target as it was, while another program holds the
    // target open without letting others delete it.
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

bool MoveIntoPlace(const QString& from, const QString& to, QString& reason)
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
