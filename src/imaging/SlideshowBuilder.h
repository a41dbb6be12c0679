// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/ImageFiles.h"
#include "imaging/PictureConversion.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tavrel {

// The builder's list keeps full paths sorted without regard to case. This is
// where a new path goes: after every entry that sorts before it or equal to
// it.
int SortedInsertIndex(const QStringList& sorted, const QString& path);
// Paths as the list holds them after adding them one by one.
QStringList SortedPicturePaths(const QStringList& paths);

// One picture of a slideshow, converted.
struct Slide {
    QString path;
    QImage picture;          // null for a picture that could not be decoded under NoResize
    PictureReadResult read;  // false: PictureReadFailureText(read) is shown
};

// Converts every picture by the rule, several at a time where the machine
// has the cores; the result is the same as converting them one by one. A
// picture that cannot be decoded becomes the empty picture's conversion:
// nothing under NoResize, a black frame otherwise. `ready` is called on the
// calling thread, in list order, as soon as each slide is done. `threads`
// limits the pictures converted at once (0: one per core). On Windows they
// are converted one at a time, on the calling thread.
std::vector<Slide> ConvertSlides(const QStringList& paths, const ResizeRule& rule,
                                 const std::function<void(int index, const Slide& slide)>& ready = {},
                                 int threads = 0);

// The index of the first slide whose size is not the first slide's (the only
// size the file's header records), or -1 when all agree.
int FirstMismatchedSlide(const std::vector<Slide>& slides);
QString SlideSizeMismatchText(const Slide& first, const Slide& other);
// Why a slideshow of pictures none of which could be read is not saved.
QString NoFrameText();

// The slideshow data file: the first picture's width and height and the
// depth, then every picture's pixel stream (16-bit low byte first). Empty
// (not even a header) for no slides.
QByteArray SlideshowFileBytes(const std::vector<Slide>& slides, const PixelEncoding& encoding);

struct SlideshowSaveHooks {
    // A message box during the save: a picture that cannot be decoded, or is
    // not a file or too large.
    std::function<void(const QString& text)> message;
    // Each converted picture in list order, while the file is being made.
    std::function<void(int index, const QImage& picture)> preview;
};

// Builds the slideshow data file from the pictures in the order given. A
// picture that cannot be read is a black frame, or under No Resize left
// out. A list whose pictures would not all have the first one's size, or
// that leaves no frame at all, is refused before anything is written
// (SaveStatus::Refused, saying why); an earlier file of that name is then
// left as it was. Nor does it replace one of the pictures it reads. An
// empty list gives an empty file.
SaveResult BuildSlideshowFile(const QString& outputPath, const QStringList& paths, const ResizeRule& rule,
                              const PixelEncoding& encoding, const SlideshowSaveHooks& hooks = {});

} // namespace tavrel
