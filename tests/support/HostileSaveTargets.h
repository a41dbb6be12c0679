// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace tavrel::testing {

// Things a save must never replace or must fail on, made in a test's own
// temporary folder. POSIX only; elsewhere every maker fails.

bool RunningAsRoot();

// A symbolic link at `link` to `target` (a relative target is taken from
// the link's folder, as the system does). False where none can be made:
// Windows lets only administrators and Developer Mode make them, and Wine
// makes none at all (QFile::link makes a .lnk shortcut there, which is a
// plain file). Tests about links skip with kNoSymbolicLinks then.
bool MakeSymbolicLink(const QString& target, const QString& link);
inline constexpr char kNoSymbolicLinks[] =
    "no symbolic link can be made here (Windows makes them for administrators and in Developer Mode, Wine not at all)";

bool MakeFifo(const QString& path);

// A second name for the same file.
bool MakeHardLink(const QString& existing, const QString& link);

// A Unix-domain socket bound to the path, for as long as the object lives.
class SocketFile {
public:
    explicit SocketFile(const QString& path);
    ~SocketFile();
    SocketFile(const SocketFile&) = delete;
    SocketFile& operator=(const SocketFile&) = delete;
    bool isValid() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A scratch character device node with the numbers of /dev/null. Only root
// may make one.
bool MakeScratchDeviceNode(const QString& path);

// Makes a "folder", "fifo", "socket" or "device" at the path; a socket is
// bound for as long as `socket` holds it.
bool MakeSpecialFile(const QString& kind, const QString& path, std::unique_ptr<SocketFile>& socket);

// What is at the path itself, links not followed: "file", "folder",
// "fifo", "socket", "device", "link", "missing" or "other"; for a device
// also its numbers, so that a replaced node shows.
QString KindAt(const QString& path);

// Every name in the folder, hidden ones included, sorted.
QStringList FolderEntries(const QString& folder);

// Limits the size of the files this process writes (RLIMIT_FSIZE, with
// SIGXFSZ ignored so that a write past it fails with EFBIG), for as long as
// the object lives. Where the system has no such limit (Windows), the saves'
// own size fault (SetSaveSizeLimit) fails the same way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    qint64 m_softLimit = -1;
    bool m_active = false;
};

// For as long as the object lives, the next close() of a file that this
// process opened for writing in `folder` fails with EIO after closing it,
// as a file system that reports a lost write only at the close (a network
// one, a full quota) does. Linux only (isValid() is false elsewhere).
class FailingClose {
public:
    explicit FailingClose(const QString& folder);
    ~FailingClose();
    FailingClose(const FailingClose&) = delete;
    FailingClose& operator=(const FailingClose&) = delete;
    bool isValid() const { return m_valid; }
    // Whether a close has failed.
    bool fired() const;

private:
    bool m_valid = false;
};

// For as long as the object lives, the next rename() of this process runs
// `action` first: what another program might do at that very moment, such
// as putting a folder where the renamed file is to go. Linux only
// (isValid() is false elsewhere).
class BeforeRename {
public:
    explicit BeforeRename(std::function<void()> action);
    ~BeforeRename();
    BeforeRename(const BeforeRename&) = delete;
    BeforeRename& operator=(const BeforeRename&) = delete;
    bool isValid() const { return m_valid; }
    bool fired() const;

private:
    std::function<void()> m_action;
    bool m_valid = false;
};

// For as long as the object lives, this thread's file accesses are checked
// as those of the user "nobody" (uid 65534) when the process runs as root,
// so that permissions count; for anyone else it changes nothing. Linux only
// (isValid() is false elsewhere when running as root).
class UnprivilegedFileAccess {
public:
    UnprivilegedFileAccess();
    ~UnprivilegedFileAccess();
    UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
    UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;
    bool isValid() const { return m_valid; }

private:
    bool m_valid = true;
    bool m_switched = false;
};

} // namespace tavrel::testing
