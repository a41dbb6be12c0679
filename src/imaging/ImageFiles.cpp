// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/ImageFiles.h"

#include "imaging/BmpWriter.h"
#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

namespace tavrel {

QString PictureMessageCaption()
{
    return QStringLiteral("Tavrel");
}

QByteArray PictureDataHeader(int width, int height, int depth)
{
    QByteArray header;
    header.append(static_cast<char>(width & 0xFF));
    header.append(static_cast<char>(height & 0xFF));
    header.append(static_cast<char>(depth & 0xFF));
    return header;
}

QByteArray ImageDataFileBytes(const QImage& picture, const PixelEncoding& encoding)
{
    return PictureDataHeader(picture.width(), picture.height(), encoding.depth)
        + EncodePixelStream(picture, encoding, PixelByteOrder::File);
}

SaveResult SaveImageDataFile(const QString& path, const QImage& picture, const PixelEncoding& encoding,
                             const QStringList& sources)
{
    const QByteArray bytes = ImageDataFileBytes(picture, encoding);
    return SaveFileAtomically(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, sources);
}

SaveResult SaveBmpFile(const QString& path, const QImage& picture, const QStringList& sources)
{
    return SaveFileAtomically(
        path, [&picture](QIODevice& out) { return WriteBmp24(out, picture); }, sources);
}

QString SaveNameBeside(const QString& picturePath, const QString& suffix)
{
    if (picturePath.isEmpty())
        return QString();
    const QFileInfo info(picturePath);
    // A picture that already has the kind's extension (Save BMP of a .bmp)
    // would be proposed as its own target, which the save refuses; offer a
    // name beside it instead.
    const bool same = info.suffix().compare(suffix, Qt::CaseInsensitive) == 0;
    return info.dir().filePath(info.completeBaseName() + (same ? QStringLiteral("_24") : QString())
                               + QLatin1Char('.') + suffix);
}

QString WithDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    const QString extended = path + QLatin1Char('.') + suffix;
    return QFileInfo::exists(extended) ? path : extended;
}

} // namespace tavrel
