// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

class QFile;

namespace tavrel {

// What opening a picture file found, when it did not open.
enum class PictureFileProblem {
    None,
    Unreadable,      // missing, no permission, empty
    NotRegularFile,  // a folder, named pipe, device or socket
    TooLarge,        // more bytes than the limit
};

struct PictureFileCheck {
    PictureFileProblem problem = PictureFileProblem::None;
    QString kind;     // NotRegularFile: what the path is, e.g. "a named pipe (FIFO)"
    qint64 size = 0;  // the file's size in bytes, when known
};

// Opens the file at `path` for reading when it is a regular file (a link to
// one is followed) of 1 to `maxBytes` bytes. Anything else is refused from
// what the file system says about the path, before it is opened, so that a
// named pipe or a device never blocks the program or notices that it was
// opened; the file that is then opened is checked again, in case the path
// changed in between.
PictureFileCheck OpenPictureFile(const QString& path, qint64 maxBytes, QFile& file);

} // namespace tavrel
