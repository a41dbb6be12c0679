// SPDX-License-Identifier: GPL-3.0-or-later
// Emulator handlers for the SD card folder: directory, files, bitmaps, image data, slideshows, print screen.
//
// Replies (0x06 acknowledged, 0x0F refused):
//   View Directory   the listing (CardFolder::listing), then a 0 byte. No card:
//                    0x0F, then the 0 byte, so a reader still finds the end.
//   Open to Write    0x06; creates the file or empties an existing one.
//   Open to Read     0x06; 0x0F when the file is missing.
//   Write to File    0x06 once the bytes are appended to the file open for
//                    writing; 0x0F with no such file or no room on the card.
//   Read from File   (n) the next bytes of the file open for reading, at most
//                    n. The data ends early at a 0 byte of the file (sent,
//                    like every data byte) or at the end of the file, where a
//                    0 byte is sent in its place; then 0x06. With no file open
//                    for reading: a 0 byte, then 0x0F. n bytes from the file
//                    and no 0 means the count was met.
//   Close File       0x06; 0x0F when no file is open.
//   Erase File       0x06; 0x0F when the file is missing. Erasing the open file
//                    closes it.
//   Show Bitmap      draws a Windows bitmap at (x, y), clipped; 0x06, or 0x0F
//                    for a missing or undecodable file.
//   Show Image       draws an image data file at (x, y), clipped; 0x06, or 0x0F
//                    for a missing file, a bad header or too few pixels.
//   Slideshow        draws the first frame, answers 0x06, and shows the other
//                    frames one per delay in the background (Slideshow.h);
//                    0x0F for a missing file or one without a whole frame.
//   Print Screen     writes what the glass shows as a 24-bit BMP; 0x06, or 0x0F
//                    when the name is refused or the card is full.
//   Load Binary      0x06 when the program file exists, 0x0F otherwise (the
//                    emulator runs no programs).
//   Load Norvel,
//   YModem Session   0x06 with a card inserted (neither is emulated further).
// Without a card folder every card command answers 0x0F. Names go through
// CardFolder, which refuses anything but plain 8.3 names.

#include "emulator/CardFolder.h"
#include "emulator/CardPictures.h"
#include "emulator/CommandHandlers.h"
#include "emulator/Slideshow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quennel {

namespace {

CardFolder cardOf(const ModuleState& state)
{
    return CardFolder(state.cardDirectory);
}

// The open file, when it still belongs to the card that is inserted now and
// still exists.
bool openFileIs(const ModuleState& state, OpenCardFile::Mode mode)
{
    const OpenCardFile& open = state.openFile;
    if (open.mode != mode || state.cardDirectory.isEmpty())
        return false;
    const QFileInfo info(open.path);
    return info.isFile() && info.absolutePath() == QDir(state.cardDirectory).absolutePath();
}

// 0x40 'D' x
void directory(ModuleState& state, const Packet&, QByteArray& reply)
{
    const CardFolder card = cardOf(state);
    if (!card.isReady())
        reply += kError;
    else
        reply += card.listing();
    reply += '\0';
}

// 0x40 'W' name 0
void openForWriting(ModuleState& state, const Packet& p, QByteArray& reply)
{
    state.openFile = OpenCardFile();
    const CardFolder card = cardOf(state);
    const QString path = card.fileForWriting(p.textAt(2));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        reply += kError;
        return;
    }
    state.openFile = OpenCardFile{OpenCardFile::Mode::Writing, path, 0};
    reply += kAck;
}

// 0x40 'R' name 0
void openForReading(ModuleState& state, const Packet& p, QByteArray& reply)
{
    state.openFile = OpenCardFile();
    const QString path = cardOf(state).existingFile(p.textAt(2));
    if (path.isEmpty()) {
        reply += kError;
        return;
    }
    state.openFile = OpenCardFile{OpenCardFile::Mode::Reading, path, 0};
    reply += kAck;
}

// 0x40 'w' n data...
void writeData(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int count = p.at(2);
    const CardFolder card = cardOf(state);
    if (!openFileIs(state, OpenCardFile::Mode::Writing) || !card.hasRoom(count)) {
        reply += kError;
        return;
    }
    QFile file(state.openFile.path);
    const QByteArray data(reinterpret_cast<const char*>(p.data) + 3, count);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(data) != count) {
        reply += kError;
        return;
    }
    reply += kAck;
}

// 0x40 'r' n
void readData(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int count = p.at(2);
    QFile file(state.openFile.path);
    if (!openFileIs(state, OpenCardFile::Mode::Reading) || !file.open(QIODevice::ReadOnly)
        || !file.seek(state.openFile.position)) {
        reply += '\0';
        reply += kError;
        return;
    }
    QByteArray data = file.read(count);
    qint64 taken = data.size();
    const int zero = data.indexOf('\0');
    if (zero >= 0) {
        data.truncate(zero + 1);
        taken = zero + 1;
    } else if (data.size() < count) {
        data += '\0';  // the file ended before the count
    }
    state.openFile.position += taken;
    reply += data;
    reply += kAck;
}

// 0x40 'C'
void closeFile(ModuleState& state, const Packet&, QByteArray& reply)
{
    const bool wasOpen = state.openFile.mode != OpenCardFile::Mode::None;
    state.openFile = OpenCardFile();
    reply += wasOpen && !state.cardDirectory.isEmpty() ? kAck : kError;
}

// 0x40 'E' name 0
void eraseFile(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const QString path = cardOf(state).existingFile(p.textAt(2));
    if (path.isEmpty() || !QFile::remove(path)) {
        reply += kError;
        return;
    }
    if (QFileInfo(state.openFile.path) == QFileInfo(path))
        state.openFile = OpenCardFile();
    reply += kAck;
}

// Reads a picture file of the card whole.
bool readCardFile(const ModuleState& state, const QByteArray& name, QByteArray& contents)
{
    const QString path = cardOf(state).existingFile(name);
    return !path.isEmpty() && CardFolder::readWhole(path, contents);
}

// 0x40 'B' x y name 0
void showBitmap(ModuleState& state, const Packet& p, QByteArray& reply)
{
    QByteArray bmp;
    Canvas canvas(state.frame, state.pen.orientation);
    if (!readCardFile(state, p.textAt(4), bmp) || !drawBitmap(canvas, p.at(2), p.at(3), bmp)) {
        reply += kError;
        return;
    }
    reply += kAck;
}

// 0x40 'I' x y name 0
void showImage(ModuleState& state, const Packet& p, QByteArray& reply)
{
    QByteArray file;
    ImageDataHeader header;
    if (!readCardFile(state, p.textAt(4), file) || !readImageDataHeader(file, header)
        || file.size() < 3 + header.frameBytes()) {
        reply += kError;
        return;
    }
    Canvas canvas(state.frame, state.pen.orientation);
    drawImageFrame(canvas, p.at(2), p.at(3), header, file.constData() + 3);
    reply += kAck;
}

// 0x40 's' x y delay-high delay-low name 0
void slideshow(ModuleState& state, const Packet& p, QByteArray& reply)
{
    QByteArray file;
    ImageDataHeader header;
    if (!readCardFile(state, p.textAt(6), file) || !readImageDataHeader(file, header)
        || SlideshowPlayer::framesIn(file.size(), header) < 1) {
        reply += kError;
        return;
    }
    const int delayMs = (p.at(4) << 8) | p.at(5);
    state.slideshow.reset();
    state.slideshow = std::make_shared<SlideshowPlayer>(state, p.at(2), p.at(3), delayMs, file, header);
    state.slideshow->start();
    reply += kAck;
}

// 0x40 'S' name 0
void printScreen(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const CardFolder card = cardOf(state);
    const QString path = card.fileForWriting(p.textAt(2));
    if (path.isEmpty()) {
        reply += kError;
        return;
    }
    const QByteArray bmp = encodeBmp24(renderGlass(state.frame, state.glass));
    const QFileInfo existing(path);
    QSaveFile file(path);
    if (!card.hasRoom(bmp.size(), existing.exists() ? existing.size() : 0) || !file.open(QIODevice::WriteOnly)
        || file.write(bmp) != bmp.size() || !file.commit()) {
        reply += kError;
        return;
    }
    reply += kAck;
}

// 0x40 'L' name 0
void loadBinary(ModuleState& state, const Packet& p, QByteArray& reply)
{
    reply += cardOf(state).existingFile(p.textAt(2)).isEmpty() ? kError : kAck;
}

// 0x40 'F' and 0x40 'Y'
void withCard(ModuleState& state, const Packet&, QByteArray& reply)
{
    reply += cardOf(state).isReady() ? kAck : kError;
}

} // namespace

void RegisterCardHandlers(HandlerTable& table)
{
    table[size_t(CommandId::SdDirectory)] = &directory;
    table[size_t(CommandId::SdOpenWrite)] = &openForWriting;
    table[size_t(CommandId::SdOpenRead)] = &openForReading;
    table[size_t(CommandId::SdWrite)] = &writeData;
    table[size_t(CommandId::SdRead)] = &readData;
    table[size_t(CommandId::SdClose)] = &closeFile;
    table[size_t(CommandId::SdErase)] = &eraseFile;
    table[size_t(CommandId::SdBitmap)] = &showBitmap;
    table[size_t(CommandId::SdImage)] = &showImage;
    table[size_t(CommandId::SdSlideshow)] = &slideshow;
    table[size_t(CommandId::SdPrintScreen)] = &printScreen;
    table[size_t(CommandId::SdLoadBinary)] = &loadBinary;
    table[size_t(CommandId::SdNorvel)] = &withCard;
    table[size_t(CommandId::SdYModem)] = &withCard;
}

} // namespace quennel
