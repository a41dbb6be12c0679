// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"
#include "imaging/PictureLayout.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace tavrel {

// The message for a picture that cannot be decoded: missing, unreadable,
// empty, truncated, damaged, not a picture, or in a format this program does
// not read.
QString PictureOpenFailureText();

// Limits that keep a hostile file from exhausting memory: files larger than
// this are not read, pictures whose header claims more pixels than this are
// not decoded, and no decode may take more memory than this (the decoded
// pixels, any copy made to convert them, the decoder's own large buffers).
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 8192LL * 8192;
constexpr qint64 kMaxPictureDecodeBytes = 256LL * 1024 * 1024;  // 64 megapixels at four bytes each

// Why a picture was not read.
enum class PictureReadStatus {
    Decoded,
    Undecodable,         // "File not found or invalid format"
    NotRegularFile,      // a folder, named pipe, device or socket
    FileTooLarge,        // more than kMaxPictureFileBytes
    TooManyPixels,       // more than kMaxPicturePixels
    NeedsTooMuchMemory,  // decoding would take more than kMaxPictureDecodeBytes
    FormatUnavailable,   // WebP or TIFF without Qt's plugin, SVG in a build without Qt SVG
    ExternalReference,   // an SVG that would load a file or address
    TooMuchDrawing,      // an SVG whose drawing would take more than kMaxSvgDrawWork
};

struct PictureReadResult {
    PictureReadStatus status = PictureReadStatus::Undecodable;
    QString path;
    QString fileKind;        // NotRegularFile: what the path is instead
    qint64 fileBytes = 0;    // FileTooLarge: the file's size
    qint64 maxFileBytes = kMaxPictureFileBytes;  // FileTooLarge: the limit it passes
    PictureFormat format = PictureFormat::Unknown;  // FormatUnavailable: which
    QString reference;       // ExternalReference: what the file refers to
    qint64 drawWork = 0;     // TooMuchDrawing: the pixels drawing would touch
    QSize pixels;            // TooManyPixels, NeedsTooMuchMemory: the size the header declares
    qint64 neededBytes = 0;  // NeedsTooMuchMemory: what decoding would take

    explicit operator bool() const { return status == PictureReadStatus::Decoded; }
};

// The message box text for a picture that was not read: the generic
// PictureOpenFailureText() for an undecodable file, otherwise what is wrong
// with it and the limit it passes.
QString PictureReadFailureText(const PictureReadResult& result);

// A picture given as bytes rather than a file (pasted from the clipboard),
// read with every check a file gets; its messages speak of "the pasted
// picture".
PictureReadResult ReadPictureData(const QByteArray& bytes, QImage& picture);

// Decodes the whole picture file, any format of PictureFormat, recognised
// by content rather than by name. The result is opaque RGB32. On failure
// `picture` is null and the result says why. Only a regular file is read.
PictureReadResult ReadPicture(const QString& path, QImage& picture);

// The same picture in the form the reader gives it (indexed, grey, 32-bit,
// with or without alpha), for code that converts it a few rows at a time
// instead of keeping a converted copy of a large picture.
PictureReadResult ReadPictureAsStored(const QString& path, QImage& picture);

// Decodes only what the rule needs (the top-left part for NoResize, a
// reduced decode where the format supports one for the stretching rules) and
// converts it. Gives the same picture as ConvertPicture() of the whole
// picture wherever the reduced decode is exact. Fails as ReadPicture().
PictureReadResult ReadConvertedPicture(const QString& path, const ResizeRule& rule, QImage& converted);

// Like ReadConvertedPicture(), for a caller that already holds the file's
// whole picture as ReadPicture() gave it: that picture is converted instead
// of decoding the file a second time (and holding it twice), except where
// the file decodes at a reduced size (JPEG under the stretching rules) or is
// drawn at the size asked for (SVG),
// whose result only a decode gives.
PictureReadResult ConvertPictureFile(const QString& path, const QImage& whole, const ResizeRule& rule,
                                     QImage& converted);

} // namespace tavrel
