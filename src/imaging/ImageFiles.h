// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/AtomicSave.h"
#include "imaging/PixelFormats.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace tavrel {

// Caption of the picture tools' message boxes: the application's title.
QString PictureMessageCaption();

// Header of image and slideshow data files: width, height, depth, one byte
// each.
QByteArray PictureDataHeader(int width, int height, int depth);

// An image data file: the header, then the pixel stream, 16-bit pixels low
// byte first.
QByteArray ImageDataFileBytes(const QImage& picture, const PixelEncoding& encoding);

// The saves of the picture tools; `sources` are the picture files the data
// was made from, which the save refuses to replace (SaveFileAtomically()).
SaveResult SaveImageDataFile(const QString& path, const QImage& picture, const PixelEncoding& encoding,
                             const QStringList& sources = {});

// The picture as a 24-bit BMP file, whatever the path's extension. Any
// format; it is written without a converted copy of the whole picture.
SaveResult SaveBmpFile(const QString& path, const QImage& picture, const QStringList& sources = {});

// The name a save dialog proposes for data made from the picture at
// `picturePath`: the same folder and base name with the kind's extension
// ("photo.jpg" gives "photo.dat"; "scan.bmp" gives "scan_24.bmp", never the
// picture itself). Empty when no picture was opened.
QString SaveNameBeside(const QString& picturePath, const QString& suffix);

// A file name from a save dialog with the default extension added when the
// user typed none and no file of the extended name exists (the dialog only
// asked about overwriting the name as typed).
QString WithDefaultSuffix(const QString& path, const QString& suffix);

} // namespace tavrel
