// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

namespace tavrel {

// The three ways a picture is fitted to the panel. The numbers are those of
// the Display Image dialog's m_resizeMode.
enum class ResizeMode {
    NoResize = 1,  // the top-left part that fits, unscaled
    Maximize = 2,  // the whole picture stretched to 96 x 64
    ResizeTo = 3,  // the whole picture stretched to width x height
};

struct ResizeRule {
    ResizeMode mode = ResizeMode::NoResize;
    int width = 96;   // for ResizeTo, 1..96
    int height = 64;  // for ResizeTo, 1..64
};

// The size a source of the given size converts to. Never wider than 96 or
// taller than 64: a ResizeTo size outside 1..96 x 1..64 is clamped into it.
// An empty source stays empty under NoResize.
QSize ConvertedSize(QSize source, const ResizeRule& rule);

// The picture's colours as stored, without alpha: every later step ignores
// transparency, so a transparent pixel keeps the colour the file gives it.
// RGB32 is the cheap working form (a straight-alpha picture becomes one
// without copying); RGB888 is the form of converted pictures.
QImage OpaqueRgb32(QImage picture);
QImage OpaqueRgb888(const QImage& picture);

// Fits a picture to the panel by the rule; the result is 24-bit RGB888 of
// ConvertedSize(). The one conversion behind the preview, the data files and
// the upload. An empty source gives an empty picture under NoResize and a
// black one of the target size otherwise.
QImage ConvertPicture(const QImage& source, const ResizeRule& rule);

} // namespace tavrel
