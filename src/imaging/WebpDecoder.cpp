// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/WebpDecoder.h"

#include <QIODevice>

#ifdef TAVREL_HAVE_LIBWEBP
#include <webp/decode.h>
#endif

namespace tavrel {

#ifdef TAVREL_HAVE_LIBWEBP

bool HaveWebpDecoder()
{
    return true;
}

NativeDecode DecodeWebp(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture)
{
    picture = QImage();
    if (layout.webp.animated)
        return NativeDecode::Unavailable;
    if (!file.seek(0))
        return NativeDecode::Failed;
    const QByteArray data = file.read(layout.fileBytes);
    if (data.size() != layout.fileBytes)
        return NativeDecode::Failed;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config) || WebPGetFeatures(bytes, size_t(data.size()), &config.input) != VP8_STATUS_OK)
        return NativeDecode::Failed;
    QSize size = layout.size;
    if (request.part == DecodeRequest::Part::Reduced && !request.region.isEmpty()
        && (request.region.width() < size.width() || request.region.height() < size.height())) {
        config.options.use_scaling = 1;
        config.options.scaled_width = request.region.width();
        config.options.scaled_height = request.region.height();
        // Four source pixels or more to each pixel made: the deblocking
        // filter and the smooth upsampling of colour would not show.
        if (size.width() >= 4 * request.region.width() && size.height() >= 4 * request.region.height()) {
            config.options.bypass_filtering = 1;
            config.options.no_fancy_upsampling = 1;
        }
        size = request.region;
    }
    // Little-endian BGRA is QImage's ARGB32 in memory; alpha stays straight.
    QImage decoded(size, QImage::Format_ARGB32);
    if (decoded.isNull())
        return NativeDecode::Failed;
    config.output.colorspace = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? MODE_BGRA : MODE_ARGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = decoded.bits();
    config.output.u.RGBA.stride = int(decoded.bytesPerLine());
    config.output.u.RGBA.size = size_t(decoded.sizeInBytes());
    const VP8StatusCode status = WebPDecode(bytes, size_t(data.size()), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return NativeDecode::Failed;
    if (!config.input.has_alpha)
        decoded.reinterpretAsFormat(QImage::Format_RGB32);
    picture = std::move(decoded);
    return NativeDecode::Decoded;
}

#else

bool HaveWebpDecoder()
{
    return false;
}

NativeDecode DecodeWebp(QIODevice&, const PictureLayout&, const DecodeRequest&, QImage& picture)
{
    picture = QImage();
    return NativeDecode::Unavailable;
}

#endif

} // namespace tavrel
