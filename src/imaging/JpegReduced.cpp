#include "imaging/JpegReduced.h"

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
    const qsizetype n = data.size();
    const auto at = [&data](qsizetype i) { return static_cast<quint8>(data.at(i)); };
    if (n < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return QByteArray();
    QByteArray out = data.left(2);
    qsizetype pos = 2;
    while (pos + 4 <= n) {
        if (at(pos) != 0xFF)
            return QByteArray();
        const quint8 marker = at(pos + 1);
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9)
            break;
        const qsizetype segmentEnd = pos + 2 + ((qsizetype(at(pos + 2)) << 8) | at(pos + 3));
        if (segmentEnd > n || segmentEnd < pos + 4)
            return QByteArray();
        if (marker != 0xDA) {
            out.append(data.constData() + pos, segmentEnd - pos);
            pos = segmentEnd;
            continue;
        }
        // A scan: its entropy-coded data runs to the next marker that is
        // neither a stuffed 0xFF00 nor a restart marker.
        qsizetype end = segmentEnd;
        for (;;) {
            end = data.indexOf('\xFF', end);
            if (end < 0 || end + 1 >= n)
                return QByteArray();
            const quint8 next = at(end + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                end += 2;
                continue;
            }
            break;
        }
        const int components = at(pos + 4);
        const qsizetype spectralStart = pos + 5 + 2 * qsizetype(components);
        if (spectralStart >= segmentEnd)
            return QByteArray();
        if (at(spectralStart) == 0)  // Ss = 0: a DC scan
            out.append(data.constData() + pos, end - pos);
        pos = end;
    }
    out.append("\xFF\xD9", 2);
    return out;
}

#ifdef TAVREL_HAVE_LIBJPEG

namespace {

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr) {}

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

enum class Attempt { Decoded, Failed, DcScansSuffice };

// Decodes into *picture. Only plain data lives in this frame across the
// setjmp, so an error's longjmp skips no destructor; the picture belongs to
// the caller. With `askAboutDcScans`, a progressive file whose reduction
// needs nothing but DC coefficients is not decoded here: the answer
// DcScansSuffice lets the caller decode the much smaller DC-only stream.
Attempt DecodeWithLibjpeg(const QByteArray* data, QSize target, QImage* picture, bool askAboutDcScans)
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
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&info);
        return Attempt::Failed;
    }
    const int reduction = JpegReductionFor(QSize(int(info.image_width), int(info.image_height)), target);
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(reduction);
    info.out_color_space = JCS_EXT_BGRX;  // QImage::Format_RGB32's bytes
    // With every coefficient known, block smoothing never applies; off, a
    // stream of DC scans alone decodes to exactly the same pixels.
    info.do_block_smoothing = FALSE;
    jpeg_calc_output_dimensions(&info);
    if (askAboutDcScans && info.progressive_mode && EveryComponentIsOnePixelPerBlock(info)) {
        jpeg_destroy_decompress(&info);
        return Attempt::DcScansSuffice;
    }
    jpeg_start_decompress(&info);
    *picture = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (picture->isNull()) {
        jpeg_destroy_decompress(&info);
        return Attempt::Failed;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture->scanLine(int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
    }
    const bool complete = info.output_scanline == info.output_height;
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return complete ? Attempt::Decoded : Attempt::Failed;
}

} // namespace

bool DecodeJpegReduced(const QByteArray& data, QSize target, QImage& picture, bool dcScansOnly)
{
    picture = QImage();
    const Attempt first = DecodeWithLibjpeg(&data, target, &picture, dcScansOnly);
    if (first != Attempt::DcScansSuffice)
        return first == Attempt::Decoded;
    const QByteArray dcOnly = JpegWithoutAcScans(data);
    if (!dcOnly.isEmpty() && DecodeWithLibjpeg(&dcOnly, target, &picture, false) == Attempt::Decoded)
        return true;
    // The scans could not be told apart: decode everything.
    picture = QImage();
    return DecodeWithLibjpeg(&data, target, &picture, false) == Attempt::Decoded;
}

#else

bool DecodeJpegReduced(const QByteArray&, QSize, QImage& picture, bool)
{
    picture = QImage();
    return false;
}

#endif

} // namespace tavrel
