// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/JpegDecoder.h"

#include "imaging/RangeDevice.h"

#include <QBuffer>

#include <climits>
#include <vector>

#ifdef TAVREL_HAVE_LIBJPEG
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#endif

namespace tavrel {

int JpegReductionFor(QSize source, QSize target)
{
    for (int reduction : {8, 4, 2}) {
        const int w = (source.width() + reduction - 1) / reduction;
        const int h = (source.height() + reduction - 1) / reduction;
        if (w >= target.width() && h >= target.height())
            return reduction;
    }
    return 1;
}

QByteArray JpegWithoutAcScans(const QByteArray& data)
{
    const PictureLayout layout = ReadPictureLayout(data);
    if (layout.format != PictureFormat::Jpeg || !layout.sound)
        return QByteArray();
    QByteArray out;
    for (const ByteRange& range : layout.jpeg.dcScans)
        out.append(data.constData() + range.offset, range.length);
    return out;
}

#ifdef TAVREL_HAVE_LIBJPEG

namespace {

constexpr size_t kSourceBufferBytes = 64 * 1024;

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

// A libjpeg data source that reads a QIODevice.
struct DeviceSource {
    jpeg_source_mgr manager;  // first: libjpeg holds a pointer to it
    QIODevice* device;
    JOCTET* buffer;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<DeviceSource*>(info->src);
    qint64 got = source->device->read(reinterpret_cast<char*>(source->buffer), qint64(kSourceBufferBytes));
    if (got <= 0) {
        // Past the end: an end-of-image marker, as libjpeg's own sources
        // give, so that a short file ends instead of waiting for more.
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = size_t(got);
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<DeviceSource*>(info->src);
    while (count > long(source->manager.bytes_in_buffer)) {
        count -= long(source->manager.bytes_in_buffer);
        FillInputBuffer(info);
    }
    if (count > 0) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= size_t(count);
    }
}

void InitDeviceSource(DeviceSource& source, QIODevice& device, std::vector<JOCTET>& buffer)
{
    buffer.resize(kSourceBufferBytes);
    source = DeviceSource();
    source.manager.init_source = InitSource;
    source.manager.fill_input_buffer = FillInputBuffer;
    source.manager.skip_input_data = SkipInputData;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = TermSource;
    source.device = &device;
    source.buffer = buffer.data();
}

bool EveryComponentIsOnePixelPerBlock(const jpeg_decompress_struct& info)
{
    for (int c = 0; c < info.num_components; ++c) {
#if JPEG_LIB_VERSION >= 70
        if (info.comp_info[c].DCT_h_scaled_size != 1 || info.comp_info[c].DCT_v_scaled_size != 1)
            return false;
#else
        if (info.comp_info[c].DCT_scaled_size != 1)
            return false;
#endif
    }
    return true;
}

struct Settings {
    QSize target;            // valid: decode at the reduction for this size
    int maxRows = INT_MAX;   // rows decoded from the top
    qint64 memoryLimit = 0;  // for the picture and libjpeg's buffers together
    bool askAboutDcScans = false;
};

enum class Attempt { Decoded, Failed, DcScansSuffice };

// Decodes into *picture. Only plain data lives in this frame across the
// setjmp, so an error's longjmp skips no destructor; the picture belongs to
// the caller. With `askAboutDcScans`, a progressive file whose reduction
// needs nothing but DC coefficients is not decoded here: the answer
// DcScansSuffice lets the caller decode the much smaller DC-only stream.
// *cmyk tells whether the rows hold CMYK still to be converted.
Attempt DecodeWithLibjpeg(DeviceSource* source, const Settings* settings, QImage* picture, bool* cmyk)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.output_message = Quiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return Attempt::Failed;
    }
    jpeg_create_decompress(&info);
    info.src = &source->manager;
    jpeg_read_header(&info, TRUE);
    *cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const int reduction = settings->target.isValid()
        ? JpegReductionFor(QSize(int(info.image_width), int(info.image_height)), settings->target)
        : 1;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(reduction);
    // QImage::Format_RGB32's bytes; CMYK is converted afterwards, as Qt does.
    if (*cmyk)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    // With every coefficient known, block smoothing never applies; off, a
    // stream of DC scans alone decodes to exactly the same pixels.
    info.do_block_smoothing = FALSE;
    jpeg_calc_output_dimensions(&info);
    if (settings->askAboutDcScans && info.progressive_mode && EveryComponentIsOnePixelPerBlock(info)) {
        jpeg_destroy_decompress(&info);
        return Attempt::DcScansSuffice;
    }
    const int rows = int(qMin<qint64>(info.output_height, settings->maxRows));
    const qint64 pictureBytes = qint64(info.output_width) * rows * 4;
    if (pictureBytes > settings->memoryLimit) {
        jpeg_destroy_decompress(&info);
        return Attempt::Failed;
    }
    // What is left is libjpeg's; whole-picture coefficient buffers beyond it
    // make it fail instead of allocating.
    // (None left is one byte: 0 would mean no limit at all.)
    info.mem->max_memory_to_use = long(qBound<qint64>(1, settings->memoryLimit - pictureBytes, qint64(LONG_MAX)));
    jpeg_start_decompress(&info);
    *picture = QImage(int(info.output_width), rows, QImage::Format_RGB32);
    if (picture->isNull()) {
        jpeg_destroy_decompress(&info);
        return Attempt::Failed;
    }
    while (int(info.output_scanline) < rows) {
        JSAMPROW row = picture->scanLine(int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
    }
    const bool complete = int(info.output_scanline) == rows;
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return complete ? Attempt::Decoded : Attempt::Failed;
}

// Qt's reading of CMYK (stored inverted, as Adobe's programs write it):
// each of red, green and blue is its channel scaled by the black channel.
void CmykToRgb32(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        uchar* bytes = picture.scanLine(y);
        auto* pixels = reinterpret_cast<QRgb*>(bytes);
        for (int x = 0; x < picture.width(); ++x, bytes += 4) {
            const int k = bytes[3];
            pixels[x] = qRgb(k * bytes[0] / 255, k * bytes[1] / 255, k * bytes[2] / 255);
        }
    }
}

NativeDecode Decode(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, qint64 memoryLimit,
                    bool dcScansOnly, QImage& picture)
{
    picture = QImage();
    Settings settings;
    settings.memoryLimit = memoryLimit;
    switch (request.part) {
    case DecodeRequest::Part::Whole:
        break;
    case DecodeRequest::Part::TopLeft:
        settings.maxRows = qMax(1, request.region.height());
        break;
    case DecodeRequest::Part::Reduced:
        settings.target = request.region;
        settings.askAboutDcScans = dcScansOnly;
        break;
    }
    std::vector<JOCTET> buffer;
    bool cmyk = false;
    Attempt attempt = Attempt::Failed;
    {
        RangeDevice stream(file, layout.essentials);
        DeviceSource source;
        InitDeviceSource(source, stream, buffer);
        attempt = DecodeWithLibjpeg(&source, &settings, &picture, &cmyk);
    }
    if (attempt == Attempt::DcScansSuffice) {
        settings.askAboutDcScans = false;
        RangeDevice dcStream(file, layout.jpeg.dcScans);
        DeviceSource source;
        InitDeviceSource(source, dcStream, buffer);
        attempt = DecodeWithLibjpeg(&source, &settings, &picture, &cmyk);
        if (attempt != Attempt::Decoded) {
            // The scans could not be told apart: decode everything.
            picture = QImage();
            RangeDevice stream(file, layout.essentials);
            InitDeviceSource(source, stream, buffer);
            attempt = DecodeWithLibjpeg(&source, &settings, &picture, &cmyk);
        }
    }
    if (attempt != Attempt::Decoded) {
        picture = QImage();
        return NativeDecode::Failed;
    }
    if (cmyk)
        CmykToRgb32(picture);
    return NativeDecode::Decoded;
}

} // namespace

bool HaveJpegDecoder()
{
    return true;
}

NativeDecode DecodeJpeg(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request,
                        qint64 memoryLimit, QImage& picture)
{
    return Decode(file, layout, request, memoryLimit, true, picture);
}

bool DecodeJpegReduced(const QByteArray& data, QSize target, QImage& picture, bool dcScansOnly)
{
    picture = QImage();
    const PictureLayout layout = ReadPictureLayout(data);
    if (layout.format != PictureFormat::Jpeg || !layout.sound)
        return false;
    QBuffer file;
    file.setData(data);
    file.open(QIODevice::ReadOnly);
    DecodeRequest request;
    request.part = DecodeRequest::Part::Reduced;
    request.region = target;
    return Decode(file, layout, request, LLONG_MAX, dcScansOnly, picture) == NativeDecode::Decoded;
}

#else

bool HaveJpegDecoder()
{
    return false;
}

NativeDecode DecodeJpeg(QIODevice&, const PictureLayout&, const DecodeRequest&, qint64, QImage& picture)
{
    picture = QImage();
    return NativeDecode::Unavailable;
}

bool DecodeJpegReduced(const QByteArray&, QSize, QImage& picture, bool)
{
    picture = QImage();
    return false;
}

#endif

} // namespace tavrel
