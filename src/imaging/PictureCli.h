// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"
#include "link/PanelSession.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// The picture commands of tavrel-cli. Each takes the arguments that follow
// its name; a non-empty usage error means the arguments were wrong and
// nothing was done. Results go where the panel shows them: the status text
// (printed on standard output) or message boxes (standard error).
//
// Shared options: --no-resize (the default) | --maximize | --resize WxH,
// --depth 16|8 (default 16) and --dither (Floyd-Steinberg instead of
// truncation); "--" ends the options.

// convert IN OUT.dat: an image data file.
CommandOutcome RunConvertArguments(PanelSession& session, const QStringList& arguments, QString& usageError);
// save-bmp IN OUT.bmp: the picture as opened, as a 24-bit BMP. With
// --as-module: the converted picture as the module shows it at the depth
// (dithered with --dither), to look at on the computer.
CommandOutcome RunSaveBmpArguments(PanelSession& session, const QStringList& arguments, QString& usageError);
// build-slideshow OUT.dat IN...: a slideshow data file of the pictures in
// the builder's order (full paths sorted without regard to case).
CommandOutcome RunBuildSlideshowArguments(PanelSession& session, const QStringList& arguments, QString& usageError);
// display-image IN [X Y]: streams the converted picture, as the Display
// Image button does after its dialog.
CommandOutcome RunDisplayImageArguments(PanelSession& session, const QStringList& arguments, QString& usageError);
// The usage checks alone, for before anything is done.
bool CheckDisplayImageArguments(const QStringList& arguments, QString& usageError);
bool CheckConvertArguments(const QStringList& arguments, QString& usageError);
bool CheckSaveBmpArguments(const QStringList& arguments, QString& usageError);
bool CheckBuildSlideshowArguments(const QStringList& arguments, QString& usageError);

// What the options say, and the arguments that are not options.
struct PictureArguments {
    ResizeRule rule;
    int depth = 16;
    Dithering dithering = Dithering::Off;
    bool asModule = false;  // save-bmp only
    QStringList positional;

    PixelEncoding encoding() const { return PixelEncoding(depth, dithering); }
};
bool ParsePictureArguments(const QStringList& arguments, PictureArguments& parsed, QString& usageError);

} // namespace tavrel
