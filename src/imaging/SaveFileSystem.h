// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QFile;
class QFileDevice;

namespace tavrel {

// The few file-system calls a safe save needs that Qt does not offer with
// the system's own error. Every platform-specific line of the saves lives
// behind these functions.

enum class FileKind {
    Missing,
    Regular,
    Directory,
    Pipe,    // a FIFO
    Device,  // a character or block device
    Socket,
    Other,
};

// What is at the path, following symbolic links. On Windows a name the
// system reserves for a device (CON, NUL, COM1, aux.dat ...) is a Device in
// any folder.
FileKind KindOfFile(const QString& path);

// Whether the two paths name the same file: the same device and inode (on
// Windows the same volume and file index), so that a symbolic or hard link
// to a file is that file, and on Windows also another letter case, a short
// name or a path with "\\". False when either does not exist.
bool IsSameFile(const QString& a, const QString& b);

// Gives the file the permissions (and, where allowed, the owner) of the file
// it is about to replace. Failure is not an error: the new file then keeps
// the defaults it was created with.
void CopyModeAndOwner(const QString& original, QFile& file);

// Waits until the file's bytes have reached the disk, so that an error the
// system reports only then (a full disk, a quota) is seen before the file
// replaces anything. On failure `reason` is the system's text.
bool SyncToDisk(QFile& file, QString& reason);

// Renames `from` to `to` in one step, replacing a file of that name.
bool MoveIntoPlace(const QString& from, const QString& to, QString& reason);

// Writes some of `data` to a file a save is making, as QFileDevice::write()
// does; when nothing could be written, `reason` is the system's text.
qint64 WriteToSaveFile(QFileDevice& file, const char* data, qint64 size, QString& reason);

// A fault for tests on systems without a per-process file-size limit (Unix
// has RLIMIT_FSIZE; Windows has none): while set, WriteToSaveFile() writes
// no file past `bytes` and fails there as that limit does ("File too
// large"). -1 lifts it.
void SetSaveSizeLimit(qint64 bytes);

// The system's text for an errno value ("Permission denied").
QString SystemErrorText(int errorNumber);

} // namespace tavrel
