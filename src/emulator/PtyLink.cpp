// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/PtyLink.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quennel {

namespace {

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The target of the symbolic link at path, or empty when path is not one.
QString LinkTarget(const QByteArray& path)
{
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return QString();
    target.truncate(int(length));
    return QFile::decodeName(target);
}

// The part of a terminal's path that every terminal of its kind shares:
// "/dev/pts/" for "/dev/pts/7", "/dev/ttys" for "/dev/ttys003".
QString PtyPrefix(const QString& ptyPath)
{
    int end = int(ptyPath.size());
    while (end > 0 && ptyPath.at(end - 1).isDigit())
        --end;
    return ptyPath.left(end);
}

} // namespace

bool LooksLikePtySlave(const QString& target, const QString& ownPty)
{
    const QString prefix = PtyPrefix(ownPty);
    if (prefix.isEmpty() || prefix == ownPty || !target.startsWith(prefix))
        return false;
    const QString number = target.mid(prefix.size());
    if (number.isEmpty())
        return false;
    for (const QChar c : number) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

PtyLink::~PtyLink()
{
    remove();
}

bool PtyLink::create(const QString& linkPath, const QString& ptyPath, QString* errorText)
{
    auto fail = [&](const QString& text) {
        if (errorText)
            *errorText = text;
        return false;
    };
    if (!m_linkPath.isEmpty())
        return fail(QStringLiteral("a link is already made"));
    if (linkPath.isEmpty())
        return fail(QStringLiteral("the link path is empty"));
    const QByteArray path = QFile::encodeName(linkPath);

    struct stat existing {};
    if (::lstat(path.constData(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode))
            return fail(QStringLiteral("%1 exists and is not a symbolic link; not replaced").arg(linkPath));
        const QString target = LinkTarget(path);
        if (!LooksLikePtySlave(target, ptyPath))
            return fail(QStringLiteral("%1 is a symbolic link to %2, not to a pseudo-terminal; not replaced")
                            .arg(linkPath, target.isEmpty() ? QStringLiteral("?") : target));
    } else if (errno != ENOENT) {
        return fail(QStringLiteral("%1: %2").arg(linkPath, ErrnoText()));
    }

    // Beside the path, so that the rename stays within one file system.
    const QString temporary = QStringLiteral("%1/.%2.%3.tmp")
                                  .arg(QFileInfo(linkPath).absolutePath(), QFileInfo(linkPath).fileName())
                                  .arg(qint64(::getpid()));
    const QByteArray temporaryPath = QFile::encodeName(temporary);
    ::unlink(temporaryPath.constData());
    if (::symlink(QFile::encodeName(ptyPath).constData(), temporaryPath.constData()) != 0)
        return fail(QStringLiteral("cannot make a link beside %1: %2").arg(linkPath, ErrnoText()));
    if (::rename(temporaryPath.constData(), path.constData()) != 0) {
        const QString reason = ErrnoText();
        ::unlink(temporaryPath.constData());
        return fail(QStringLiteral("cannot put the link at %1: %2").arg(linkPath, reason));
    }
    m_linkPath = linkPath;
    m_ptyPath = ptyPath;
    return true;
}

void PtyLink::remove()
{
    if (m_linkPath.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_linkPath);
    if (LinkTarget(path) == m_ptyPath)
        ::unlink(path.constData());
    m_linkPath.clear();
    m_ptyPath.clear();
}

} // namespace quennel
