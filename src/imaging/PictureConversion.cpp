// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureConversion.h"

#include "imaging/PixelFormats.h"
#include "imaging/PixelQuantiser.h"

#include <QtGlobal>

namespace tavrel {

QSize ConvertedSize(QSize source, const ResizeRule& rule)
{
    switch (rule.mode) {
    case ResizeMode::Maximize:
        return {kPictureMaxWidth, kPictureMaxHeight};
    case ResizeMode::ResizeTo:
        return {qBound(1, rule.width, kPictureMaxWidth), qBound(1, rule.height, kPictureMaxHeight)};
    case ResizeMode::NoResize:
        break;
    }
    return {qBound(0, source.width(), kPictureMaxWidth), qBound(0, source.height(), kPictureMaxHeight)};
}

QImage OpaqueRgb32(QImage picture)
{
    switch (picture.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_RGB32:
        return picture;
    case QImage::Format_ARGB32:
        // Same bytes; RGB32 just reads the alpha byte as opaque.
        picture.reinterpretAsFormat(QImage::Format_RGB32);
        return picture;
    default:
        break;
    }
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    // Straight alpha first, so that what is stored for a transparent pixel
    // is not multiplied away.
    QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
    straight.reinterpretAsFormat(QImage::Format_RGB32);
    return straight;
}

QImage OpaqueRgb888(const QImage& picture)
{
    if (picture.isNull() || picture.format() == QImage::Format_RGB888)
        return picture;
    return OpaqueRgb32(picture).convertToFormat(QImage::Format_RGB888);
}

QImage ConvertPicture(const QImage& source, const ResizeRule& rule)
{
    const QSize target = ConvertedSize(source.size(), rule);
    if (target.isEmpty())
        return QImage();
    if (source.isNull()) {
        QImage black(target, QImage::Format_RGB888);
        black.fill(Qt::black);
        return black;
    }
    if (rule.mode == ResizeMode::NoResize)
        return OpaqueRgb888(source.copy(0, 0, target.width(), target.height()));
    const QImage opaque = OpaqueRgb32(source);
    if (opaque.size() == target)
        return OpaqueRgb888(opaque);
    // The whole source onto the whole target; the aspect ratio is not kept.
    // Area-averaging keeps the small details of large photos from flickering
    // away, as a point-sampled copy would.
    return OpaqueRgb888(opaque.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QByteArray EncodePixelStream(const QImage& picture, const PixelEncoding& encoding, PixelByteOrder order)
{
    QByteArray out;
    if (picture.isNull())
        return out;
    const std::vector<quint16> codes = QuantisePixels(picture, encoding);
    out.reserve(int(PixelStreamSize(picture.width(), picture.height(), encoding.depth)));
    for (const quint16 code : codes)
        AppendPixelCode(out, code, encoding.depth, order);
    return out;
}

} // namespace tavrel
