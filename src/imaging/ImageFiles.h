#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

class QIODevice;

namespace tavrel {

// Caption of the picture tools' message boxes: the application's title.
QString PictureMessageCaption();

// Header of image and slideshow data files: width, height, depth, one byte
// each.
QByteArray PictureDataHeader(int width, int height, int depth);

// An image data file: the header, then the pixel stream, 16-bit pixels low
// byte first.
QByteArray ImageDataFileBytes(const QImage& picture, int depth);

// How a save ended.
enum class SaveStatus {
    Saved,
    OpenFailed,   // the file could not be created
    WriteFailed,  // writing or finishing it failed; nothing was replaced
    Refused,      // the content could not be saved as asked; detail says why
};

struct SaveResult {
    SaveStatus status = SaveStatus::Saved;
    QString detail;  // the system's reason for a failure, or the whole text of a refusal
};

// The text shown for a save's outcome: "Save to file complete.", "Failed to
// open output file." or a message naming the write failure.
QString SaveResultText(const SaveResult& result);

// Writes a file so that it is either complete or not there: the bytes go to
// a temporary file beside it, which replaces the old file only when every
// write succeeded. A failure leaves an earlier file of that name untouched
// and no partial file behind. `write` returns false to abandon the save.
SaveResult SaveFileAtomically(const QString& path, const std::function<bool(QIODevice& out)>& write);

SaveResult SaveImageDataFile(const QString& path, const QImage& picture, int depth);

// The picture as a 24-bit BMP file, whatever the path's extension.
SaveResult SaveBmpFile(const QString& path, const QImage& picture);

// A file name from a save dialog with the default extension added when the
// user typed none and no file of the extended name exists (the dialog only
// asked about overwriting the name as typed).
QString WithDefaultSuffix(const QString& path, const QString& suffix);

} // namespace tavrel
