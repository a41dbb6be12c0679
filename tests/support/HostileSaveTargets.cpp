// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostileSaveTargets.h"

#include "imaging/SaveFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <string>
#endif

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <atomic>
#include <functional>
#include <cerrno>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#endif
#endif

#ifdef Q_OS_LINUX
namespace {

// What FailingClose has armed: the folder, with a slash at its end.
std::atomic<bool> g_closeArmed{false};
std::atomic<bool> g_closeFired{false};
char g_closeFolder[4096];

bool FailsThisClose(int fd)
{
    if (!g_closeArmed.load())
        return false;
    struct stat info {};
    const int mode = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || mode < 0 || (mode & O_ACCMODE) == O_RDONLY)
        return false;
    char link[64];
    char target[4096] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0 || std::strncmp(target, g_closeFolder, std::strlen(g_closeFolder)) != 0)
        return false;
    bool armed = true;
    return g_closeArmed.compare_exchange_strong(armed, false);
}

std::atomic<std::function<void()>*> g_beforeRename{nullptr};
std::atomic<bool> g_renameFired{false};

} // namespace

// Every close() of the test program comes here (the program's own
// definition comes before the C library's, for Qt's calls too): it is the
// system's close, except the one FailingClose has armed.
extern "C" int close(int fd)
{
    const bool fail = FailsThisClose(fd);
    const long result = ::syscall(SYS_close, fd);
    if (!fail)
        return int(result);
    g_closeFired.store(true);
    errno = EIO;
    return -1;
}

// Likewise every rename(): BeforeRename's action runs first, once.
extern "C" int rename(const char* from, const char* to)
{
    if (std::function<void()>* action = g_beforeRename.exchange(nullptr)) {
        (*action)();
        g_renameFired.store(true);
    }
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}
#endif

namespace tavrel::testing {

bool MakeSpecialFile(const QString& kind, const QString& path, std::unique_ptr<SocketFile>& socket)
{
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path);
    if (kind == QLatin1String("fifo"))
        return MakeFifo(path);
    if (kind == QLatin1String("socket")) {
        socket = std::make_unique<SocketFile>(path);
        return socket->isValid();
    }
    return kind == QLatin1String("device") && MakeScratchDeviceNode(path);
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

#ifdef Q_OS_UNIX

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

bool MakeSymbolicLink(const QString& target, const QString& link)
{
    return QFile::link(target, link);
}

bool MakeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool MakeHardLink(const QString& existing, const QString& link)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
}

SocketFile::SocketFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SocketFile::~SocketFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MakeScratchDeviceNode(const QString& path)
{
#ifdef Q_OS_LINUX
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

QString KindAt(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    if (S_ISREG(status.st_mode))
        return QStringLiteral("file");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("fifo");
    if (S_ISSOCK(status.st_mode))
        return QStringLiteral("socket");
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("link");
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return QStringLiteral("device %1").arg(quint64(status.st_rdev));
    return QStringLiteral("other");
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_softLimit = qint64(limit.rlim_cur);
    ::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_active)
        return;
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_softLimit);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_DFL);
}

UnprivilegedFileAccess::UnprivilegedFileAccess()
{
    if (!RunningAsRoot())
        return;
#ifdef Q_OS_LINUX
    // The file-system user id is per thread; leaving uid 0 also drops the
    // capabilities that let root ignore permissions, and returning to it
    // gives them back.
    constexpr uid_t kNobody = 65534;
    ::setfsuid(kNobody);
    m_switched = int(::setfsuid(kNobody)) == int(kNobody);
    m_valid = m_switched;
#else
    m_valid = false;
#endif
}

UnprivilegedFileAccess::~UnprivilegedFileAccess()
{
#ifdef Q_OS_LINUX
    if (m_switched)
        ::setfsuid(0);
#endif
}

#else

bool RunningAsRoot()
{
    return false;
}
bool MakeSymbolicLink(const QString& target, const QString& link)
{
    const QString resolved = QDir(QFileInfo(link).absolutePath()).filePath(target);
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (QFileInfo(resolved).isDir())
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    const std::wstring name = QDir::toNativeSeparators(link).toStdWString();
    const std::wstring to = QDir::toNativeSeparators(target).toStdWString();
    // Wine answers success and makes nothing: what counts is the result.
    return CreateSymbolicLinkW(name.c_str(), to.c_str(), flags) && QFileInfo(link).isSymLink();
}
bool MakeFifo(const QString&)
{
    return false;
}
bool MakeHardLink(const QString&, const QString&)
{
    return false;
}
SocketFile::SocketFile(const QString&) {}
SocketFile::~SocketFile() {}
bool MakeScratchDeviceNode(const QString&)
{
    return false;
}
QString KindAt(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("missing");
    return info.isDir() ? QStringLiteral("folder") : info.isFile() ? QStringLiteral("file") : QStringLiteral("other");
}
// No per-process limit here: the saves' own fault takes its place.
FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    SetSaveSizeLimit(bytes);
}
FileSizeLimit::~FileSizeLimit()
{
    SetSaveSizeLimit(-1);
}
UnprivilegedFileAccess::UnprivilegedFileAccess() {}
UnprivilegedFileAccess::~UnprivilegedFileAccess() {}

#endif

FailingClose::FailingClose(const QString& folder)
{
#ifdef Q_OS_LINUX
    const QByteArray path = QDir(folder).canonicalPath().toLocal8Bit() + '/';
    if (path.size() >= int(sizeof g_closeFolder))
        return;
    std::memcpy(g_closeFolder, path.constData(), size_t(path.size()) + 1);
    g_closeFired.store(false);
    g_closeArmed.store(true);
    m_valid = true;
#else
    Q_UNUSED(folder);
#endif
}

FailingClose::~FailingClose()
{
#ifdef Q_OS_LINUX
    g_closeArmed.store(false);
#endif
}

BeforeRename::BeforeRename(std::function<void()> action)
    : m_action(std::move(action))
{
#ifdef Q_OS_LINUX
    g_renameFired.store(false);
    g_beforeRename.store(&m_action);
    m_valid = true;
#endif
}

BeforeRename::~BeforeRename()
{
#ifdef Q_OS_LINUX
    g_beforeRename.store(nullptr);
#endif
}

bool BeforeRename::fired() const
{
#ifdef Q_OS_LINUX
    return g_renameFired.load();
#else
    return false;
#endif
}

bool FailingClose::fired() const
{
#ifdef Q_OS_LINUX
    return g_closeFired.load();
#else
    return false;
#endif
}

} // namespace tavrel::testing

