// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureFile.h"

#include <QImage>
#include <QString>
#include <QStringList>

class QDropEvent;
class QMimeData;
class QWidget;

namespace tavrel {

// Pictures that come by drag and drop or through the clipboard.

// The local files (not folders) a drag or the clipboard carries, in order.
QStringList DroppedFilePaths(const QMimeData* mime);

// For a dialog's drag and drop events: accepts the drag when it carries
// files, and gives them.
QStringList AcceptFileDrag(QDropEvent* event);

// Whether the data holds a picture to paste: picture bytes, a picture, or
// files.
bool HoldsPicture(const QMimeData* mime);

// The picture the data holds, read as a file is read: the first file it
// names (`path` is then that file's), else the bytes of a picture format
// read here (a browser's or a screenshot tool's PNG, JPEG ...) with every
// check a file gets, else a picture handed over within the program, which
// must stay within the size limit. Fails with the reason.
PictureReadResult PastedPicture(const QMimeData* mime, QImage& picture, QString& path);

// Lets `window` take picture files dropped onto it: the first opens the
// Display Image command's dialog (its button, "displayImageButton", is
// clicked) with that picture already open, as Open Picture would open it.
void AcceptDroppedPictures(QWidget* window);

// The picture a drop onto the main window asks the next Display Image
// dialog to open; empty when there is none. Taking it clears it.
QString TakePictureToOpen();

} // namespace tavrel
