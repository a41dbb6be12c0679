#pragma once

#include "imaging/PictureConversion.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tavrel {

// The message for a picture that cannot be decoded, whatever the reason
// (missing, empty, truncated, not a picture, too large).
QString PictureOpenFailureText();

// Limits that keep a hostile file from exhausting memory: files larger than
// this are not read, pictures whose header claims more pixels than this are
// not decoded.
constexpr qint64 kMaxPictureFileBytes = 256LL * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 8192LL * 8192;

// Decodes the whole picture file, any format Qt's image readers know,
// recognised by content rather than by name. The result is opaque RGB32.
// False for anything that is not a complete, sane picture; `picture` is then
// null.
bool ReadPicture(const QString& path, QImage& picture);

// The same picture in the form the reader gives it (indexed, grey, 32-bit,
// with or without alpha), for code that converts it a few rows at a time
// instead of keeping a converted copy of a large picture.
bool ReadPictureAsStored(const QString& path, QImage& picture);

// Decodes only what the rule needs (the top-left part for NoResize, a
// reduced decode where the format supports one for the stretching rules) and
// converts it. Gives the same picture as ConvertPicture() of the whole
// picture wherever the reduced decode is exact. False as ReadPicture().
bool ReadConvertedPicture(const QString& path, const ResizeRule& rule, QImage& converted);

// Structural checks made before decoding, for files that Qt's readers would
// decode in part without saying so (or complain about on the console). A
// JPEG must reach its end-of-image marker; an uncompressed BMP must hold all
// the pixel rows its header announces; a PNG must consist of whole chunks
// with correct checksums up to its IEND chunk.
bool JpegLooksComplete(const QByteArray& data);
bool BmpLooksComplete(const QByteArray& data);
bool PngLooksComplete(const QByteArray& data);

} // namespace tavrel
