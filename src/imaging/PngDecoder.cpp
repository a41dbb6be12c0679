// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PngDecoder.h"

#include "imaging/RangeDevice.h"

#include <QIODevice>
#include <QtEndian>

#ifdef TAVREL_HAVE_LIBPNG
#include <png.h>
#endif

namespace tavrel {

#ifdef TAVREL_HAVE_LIBPNG

namespace {

// What libpng reads from: the file's essential chunks. Once the last row
// is complete libpng would go on inflating whatever compressed data follows
// it, however far that expands; reading then stops the decode instead, and
// the picture, whole by then, is kept.
struct Input {
    QIODevice* device = nullptr;
    png_uint_32 height = 0;
    bool interlaced = false;
    bool rowsDone = false;
};

void ReadFromDevice(png_structp png, png_bytep data, size_t length)
{
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    const bool finishing = input->interlaced ? png_get_current_pass_number(png) >= 7
                                             : png_get_current_row_number(png) >= input->height;
    if (finishing) {
        input->rowsDone = true;
        png_error(png, "the picture is complete");
    }
    if (input->device->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length))
        png_error(png, "the file ends early");
}

// Errors end the decode through the setjmp below; neither they nor
// warnings are printed.
[[noreturn]] void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void Quiet(png_structp, png_const_charp) {}

// How much of the picture to decode.
struct Plan {
    int rows = 0;  // rows decoded into `picture`, from the top
    QImage* spareRow = nullptr;  // where the rows after those go
};

// Decodes into *picture. Only plain data lives in this frame across the
// setjmp, so an error's longjmp skips no destructor; the picture and the
// plan belong to the caller.
bool DecodeWithLibpng(Input* input, const PictureLayout* layout, const Plan* plan, QImage* picture)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, Quiet);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return input->rowsDone;
    }
    png_set_read_fn(png, input, ReadFromDevice);
    // The walk has checked the size against the program's own limit.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (depth == 16)
        png_set_scale_16(png);
    // Transparency is ignored, never blended: what a pixel stores stays.
    png_set_strip_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // QImage::Format_RGB32 holds 0xFFRRGGBB in each 32-bit word.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    if (int(width) != layout->size.width() || png_get_rowbytes(png, info) != size_t(width) * 4) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    *picture = QImage(int(width), plan->rows, QImage::Format_RGB32);
    if (picture->isNull()) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // Each pass of an interlaced file fills in more pixels of every row.
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < plan->rows; ++y)
            png_read_row(png, picture->scanLine(y), nullptr);
    // The rows below the part asked for are read too, into one row that is
    // thrown away: a file is judged the same whatever part of it is kept,
    // and one that holds fewer rows than its header claims is refused.
    if (plan->rows < layout->size.height()) {
        *plan->spareRow = QImage(int(width), 1, QImage::Format_RGB32);
        if (plan->spareRow->isNull()) {
            png_destroy_read_struct(&png, &info, nullptr);
            return false;
        }
        for (int y = plan->rows; y < layout->size.height(); ++y)
            png_read_row(png, plan->spareRow->scanLine(0), nullptr);
    }
    // Nothing after the last row is decoded: the walk has checked every
    // chunk already, and compressed data that would go on after the
    // picture is filled (however far it would expand) is never inflated.
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool HavePngDecoder()
{
    return true;
}

NativeDecode DecodePng(QIODevice& file, const PictureLayout& layout, const DecodeRequest& request, QImage& picture)
{
    picture = QImage();
    RangeDevice stream(file, layout.essentials);
    QImage spareRow;
    Plan plan;
    plan.spareRow = &spareRow;
    plan.rows = layout.size.height();
    if (request.part == DecodeRequest::Part::TopLeft && !layout.png.interlaced)
        plan.rows = qMin(plan.rows, qMax(1, request.region.height()));
    Input input;
    input.device = &stream;
    input.height = png_uint_32(layout.size.height());
    input.interlaced = layout.png.interlaced;
    if (!DecodeWithLibpng(&input, &layout, &plan, &picture)) {
        picture = QImage();
        return NativeDecode::Failed;
    }
    return NativeDecode::Decoded;
}

#else

bool HavePngDecoder()
{
    return false;
}

NativeDecode DecodePng(QIODevice&, const PictureLayout&, const DecodeRequest&, QImage& picture)
{
    picture = QImage();
    return NativeDecode::Unavailable;
}

#endif

} // namespace tavrel
