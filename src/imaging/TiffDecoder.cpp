// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/TiffDecoder.h"

#include "imaging/PictureFile.h"
#include "imaging/RangeDevice.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

#ifdef TAVREL_HAVE_LIBTIFF
#include <tiffio.h>

#include <cstdarg>
#endif

namespace tavrel {

#ifdef TAVREL_HAVE_LIBTIFF

namespace {

// The file as libtiff sees it: read through the picture's bytes, and
// mapped into memory where it can be (libtiff reads tiles as colour through
// a mapped file only).
struct Source {
    QIODevice* device = nullptr;
    const uchar* mapped = nullptr;
    qint64 size = 0;
};

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size)
{
    return tmsize_t(static_cast<Source*>(handle)->device->read(static_cast<char*>(data), qint64(size)));
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    QIODevice* device = static_cast<Source*>(handle)->device;
    qint64 at = qint64(offset);
    if (whence == SEEK_CUR)
        at += device->pos();
    else if (whence == SEEK_END)
        at += device->size();
    return device->seek(at) ? toff_t(device->pos()) : toff_t(-1);
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return toff_t(static_cast<Source*>(handle)->device->size());
}

int MapProc(thandle_t handle, void** base, toff_t* size)
{
    const auto* source = static_cast<Source*>(handle);
    if (!source->mapped)
        return 0;
    *base = const_cast<uchar*>(source->mapped);
    *size = toff_t(source->size);
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

// Errors end the decode through libtiff's return values; neither they nor
// warnings are printed.
int Quiet(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

} // namespace

bool HaveTiffDecoder()
{
    return true;
}

NativeDecode DecodeTiff(QIODevice& file, const PictureLayout& layout, QImage& picture)
{
    picture = QImage();
    RangeDevice stream(file, layout.essentials);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return NativeDecode::Failed;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxPictureDecodeBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    Source source;
    source.device = &stream;
    source.size = stream.size();
    uchar* mapping = nullptr;
    auto* onDisk = qobject_cast<QFileDevice*>(&file);
    if (onDisk && source.size == onDisk->size())
        mapping = onDisk->map(0, source.size);
    if (auto* inMemory = qobject_cast<QBuffer*>(&file); inMemory && inMemory->size() == source.size)
        source.mapped = reinterpret_cast<const uchar*>(inMemory->data().constData());
    else
        source.mapped = mapping;
    TIFF* tiff = TIFFClientOpenExt("picture", "r", &source, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                   MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        if (mapping)
            onDisk->unmap(mapping);
        return NativeDecode::Failed;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    QImage decoded;
    if (int(width) == layout.size.width() && int(height) == layout.size.height())
        decoded = QImage(layout.size, QImage::Format_RGBA8888);
    // libtiff's RGBA words hold red in their lowest byte: RGBA8888 in memory.
    const bool read = !decoded.isNull()
        && TIFFReadRGBAImageOriented(tiff, width, height, reinterpret_cast<uint32_t*>(decoded.bits()),
                                     ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
    if (mapping)
        onDisk->unmap(mapping);
    if (!read)
        return NativeDecode::Failed;
    // Red and blue swapped in place: the same bytes then read as RGB32.
    for (int y = 0; y < decoded.height(); ++y) {
        auto* pixel = reinterpret_cast<uchar*>(decoded.scanLine(y));
        for (int x = 0; x < decoded.width(); ++x, pixel += 4)
            std::swap(pixel[0], pixel[2]);
    }
    decoded.reinterpretAsFormat(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? QImage::Format_RGB32
                                                                              : QImage::Format_RGBA8888);
    picture = OpaqueRgb32(std::move(decoded));
    return picture.isNull() ? NativeDecode::Failed : NativeDecode::Decoded;
}

#else

bool HaveTiffDecoder()
{
    return false;
}

NativeDecode DecodeTiff(QIODevice&, const PictureLayout&, QImage& picture)
{
    picture = QImage();
    return NativeDecode::Unavailable;
}

#endif

} // namespace tavrel
