// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SaveTemporary.h"

#include "imaging/SaveFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrel {

namespace {

constexpr int kSuffixLetters = 8;

// ".NAME." beside the target: hidden, and named after the target so that
// one left behind says what it was. Room for the suffix within the usual
// 255-character name limit.
QString TemporaryStem(const QString& target)
{
    const QFileInfo info(target);
    return QStringLiteral(".") + info.fileName().left(200) + QLatin1Char('.');
}

QString RandomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < kSuffixLetters; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return suffix;
}

#ifdef Q_OS_UNIX

int OpenRetrying(const QByteArray& path, int flags, mode_t mode = 0)
{
    int fd = -1;
    do {
        fd = ::open(path.constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Takes the lock that says a save is using the file; false when another
// holds it.
bool LockFor(int fd, bool wait)
{
    int result = -1;
    do {
        result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

#endif

} // namespace

SaveTemporary::~SaveTemporary()
{
    discard();
}

bool SaveTemporary::create(const QString& target, QString& reason)
{
#if defined(Q_OS_LINUX) && defined(O_TMPFILE)
    const QString folder = QFileInfo(target).absolutePath();
    // The descriptor is named through /proc when it is put in place.
    if (QFileInfo::exists(QStringLiteral("/proc/self/fd"))) {
        const int fd = OpenRetrying(QFile::encodeName(folder), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // The save writes through a copy of the descriptor, which it may
            // close; this one keeps the file until it has a name.
            const int writing = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
            if (writing >= 0 && m_file.open(writing, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                             QFileDevice::AutoCloseHandle)) {
                m_unnamed = fd;
                // Held while the save runs, also through the name it has
                // for a moment before the rename.
                LockFor(fd, true);
                return true;
            }
            if (writing >= 0)
                ::close(writing);
            ::close(fd);
        } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            // The folder cannot take a file at all (no permission, a
            // read-only file system, no room): that is the answer.
            reason = SystemErrorText(errno);
            return false;
        }
    }
#endif
    return createNamed(target, reason);
}

bool SaveTemporary::createNamed(const QString& target, QString& reason)
{
    const QString stem = QFileInfo(target).absolutePath() + QLatin1Char('/') + TemporaryStem(target);
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QString name = stem + RandomSuffix();
        m_file.setFileName(name);
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            m_name = name;
#ifdef Q_OS_UNIX
            // Held on a descriptor of its own, so that closing the file
            // after writing does not let go of it.
            m_lock = OpenRetrying(QFile::encodeName(name), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (m_lock >= 0)
                LockFor(m_lock, true);
#endif
            return true;
        }
        const QFileInfo taken(name);
        if (!taken.exists() && !taken.isSymLink()) {
            reason = m_file.errorString();
            return false;
        }
    }
    reason = SystemErrorText(EEXIST);
    return false;
}

bool SaveTemporary::putInPlace(const QString& target, QString& reason)
{
    if (m_file.isOpen())
        m_file.close();
#if defined(Q_OS_LINUX) && defined(O_TMPFILE)
    if (m_unnamed >= 0) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_unnamed);
        const QByteArray targetName = QFile::encodeName(target);
        // Where there is no file yet, the new one simply gets its name.
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, targetName.constData(), AT_SYMLINK_FOLLOW) == 0) {
            discard();
            return true;
        }
        if (errno != EEXIST) {
            reason = SystemErrorText(errno);
            discard();
            return false;
        }
        // Otherwise a name beside it for the moment of the rename.
        const QString stem = QFileInfo(target).absolutePath() + QLatin1Char('/') + TemporaryStem(target);
        for (int attempt = 0; attempt < 64; ++attempt) {
            const QString name = stem + RandomSuffix();
            const QByteArray nameBytes = QFile::encodeName(name);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, nameBytes.constData(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno == EEXIST)
                    continue;
                reason = SystemErrorText(errno);
                discard();
                return false;
            }
            const bool replaced = ReplaceFile(name, target, reason);
            if (!replaced)
                ::unlink(nameBytes.constData());
            discard();
            return replaced;
        }
        reason = SystemErrorText(EEXIST);
        discard();
        return false;
    }
#endif
    const bool replaced = ReplaceFile(m_name, target, reason);
    if (replaced)
        m_name.clear();
    discard();
    return replaced;
}

void SaveTemporary::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (!m_name.isEmpty())
        QFile::remove(m_name);
    m_name.clear();
#ifdef Q_OS_UNIX
    if (m_unnamed >= 0)
        ::close(m_unnamed);
    if (m_lock >= 0)
        ::close(m_lock);
#endif
    m_unnamed = -1;
    m_lock = -1;
}

void RemoveStaleTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QString stem = TemporaryStem(target);
    const QRegularExpression pattern(QStringLiteral("^") + QRegularExpression::escape(stem)
                                     + QStringLiteral("[A-Za-z0-9]{%1}$").arg(kSuffixLetters));
    QDir folder = info.absoluteDir();
    const QStringList candidates =
        folder.entryList({stem + QStringLiteral("*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : candidates) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QString path = folder.filePath(name);
#ifdef Q_OS_UNIX
        // Only our own files, and only those no running save holds.
        const int fd = OpenRetrying(QFile::encodeName(path), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
            && LockFor(fd, false))
            QFile::remove(path);
        ::close(fd);
#else
        // A file another save is writing is open, and cannot be removed.
        QFile::remove(path);
#endif
    }
}

QString WriteAccessProblem(const QString& path)
{
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(path).constData(), W_OK) == 0)
        return QString();
    return SystemErrorText(errno);
#else
    return QFileInfo(path).isWritable() ? QString() : SystemErrorText(EACCES);
#endif
}

} // namespace tavrel
