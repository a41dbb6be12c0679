// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureFileOpen.h"

#include "imaging/SaveFileSystem.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrel {

namespace {

PictureFileCheck Problem(PictureFileProblem problem, const QString& kind = QString(), qint64 size = 0)
{
    PictureFileCheck check;
    check.problem = problem;
    check.kind = kind;
    check.size = size;
    return check;
}

PictureFileCheck CheckSize(qint64 size, qint64 maxBytes)
{
    if (size <= 0)
        return Problem(PictureFileProblem::Unreadable);
    if (size > maxBytes)
        return Problem(PictureFileProblem::TooLarge, QString(), size);
    PictureFileCheck fine;
    fine.size = size;
    return fine;
}

#ifdef Q_OS_UNIX

QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

#endif

} // namespace

PictureFileCheck OpenPictureFile(const QString& path, qint64 maxBytes, QFile& file)
{
    if (path.isEmpty())
        return Problem(PictureFileProblem::Unreadable);
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (::stat(name.constData(), &before) != 0)
        return Problem(PictureFileProblem::Unreadable);
    if (!S_ISREG(before.st_mode))
        return Problem(PictureFileProblem::NotRegularFile, KindOf(before.st_mode));
    PictureFileCheck check = CheckSize(qint64(before.st_size), maxBytes);
    if (check.problem != PictureFileProblem::None)
        return check;
    // Opening without waiting: should the path have become a pipe since the
    // look above, the open still returns at once, and the second look
    // refuses it.
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Problem(PictureFileProblem::Unreadable);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return Problem(PictureFileProblem::NotRegularFile, KindOf(opened.st_mode));
    }
    check = CheckSize(qint64(opened.st_size), maxBytes);
    if (check.problem != PictureFileProblem::None) {
        ::close(fd);
        return check;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Problem(PictureFileProblem::Unreadable);
    }
    return check;
#else
    // CON, NUL, COM1, aux.png ... are devices in every folder on Windows:
    // reading the console would wait for typing.
    if (KindOfFile(path) == FileKind::Device)
        return Problem(PictureFileProblem::NotRegularFile, QStringLiteral("a device"));
    const QFileInfo info(path);
    if (!info.exists())
        return Problem(PictureFileProblem::Unreadable);
    if (!info.isFile())
        return Problem(PictureFileProblem::NotRegularFile,
                       info.isDir() ? QStringLiteral("a folder") : QStringLiteral("not a regular file"));
    PictureFileCheck check = CheckSize(info.size(), maxBytes);
    if (check.problem != PictureFileProblem::None)
        return check;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return Problem(PictureFileProblem::Unreadable);
    return CheckSize(file.size(), maxBytes);
#endif
}

} // namespace tavrel
