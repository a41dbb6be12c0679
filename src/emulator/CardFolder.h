// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The emulated SD card: a folder of the host standing in for the card's root.
//
// Names
//   A name that arrives on the line is used only when it is a plain DOS 8.3
//   name: one to eight characters, optionally a point and one to three more,
//   made of letters, digits and ! # $ % & ' ( ) - @ ^ _ ` { } ~ only, and not a
//   DOS device name (CON, NUL, COM1 ...). Anything else (path separators,
//   "..", drive letters, blanks, control characters, empty names, longer
//   names) is refused before the folder is looked at. Names match
//   case-insensitively, as on a FAT card; a new file gets the upper-case name.
//   Only regular files directly in the folder count: sub-folders, symbolic
//   links and files whose names are not 8.3 are invisible to the module.
//
// Size
//   The card holds kCardCapacityBytes in at most kCardMaxEntries files (the
//   root folder of a FAT16 card). A write or a Print Screen that would take
//   the folder's files past the capacity, or a new file past the entry count,
//   is refused and changes nothing. Files the module reads in whole
//   (bitmaps, image data, slideshows) may be at most kMaxReadBytes long.

#include <QByteArray>
#include <QList>
#include <QString>

namespace quennel {

constexpr qint64 kCardCapacityBytes = 32 * 1024 * 1024;
constexpr int kCardMaxEntries = 512;
constexpr qint64 kMaxReadBytes = 8 * 1024 * 1024;

// Whether a name received on the line is a plain 8.3 name (see above).
bool isPlainCardName(const QByteArray& name);

// The file the last Open command opened, if any.
struct OpenCardFile {
    enum class Mode : quint8 { None, Reading, Writing };
    Mode mode = Mode::None;
    QString path;           // the file's full path in the card folder
    qint64 position = 0;    // next byte Read from File takes
};

// The folder of the in-process emulator: the data folder of the application
// plus "/card". It is created when a card command first needs it.
QString defaultCardDirectory();

class CardFolder {
public:
    // An empty path means that no card is inserted.
    explicit CardFolder(const QString& directory);

    // A card is inserted and its folder exists (it is created on demand).
    bool isReady() const { return m_ready; }

    // The path of the regular file whose name matches (case-insensitively);
    // empty when there is none or the name is not plain.
    QString existingFile(const QByteArray& name) const;
    // The path under which a file of that name is created or replaced: the
    // existing file's, or the upper-case name in the folder. Empty when the
    // name is not plain, names a sub-folder or link, or a new file would pass
    // the entry count.
    QString fileForWriting(const QByteArray& name) const;

    // The total size of the files the module sees.
    qint64 usedBytes() const;
    // Whether `extra` more bytes fit, when `replaced` bytes (a file about to
    // be overwritten) are given back first.
    bool hasRoom(qint64 extra, qint64 replaced = 0) const;

    // One line per file, sorted by name: the name left-aligned in twelve
    // columns, two blanks, the size in bytes; lines end in "\r\n".
    QByteArray listing() const;

    // Reads a whole file of at most kMaxReadBytes; false when it is missing,
    // unreadable or larger.
    static bool readWhole(const QString& path, QByteArray& contents);

private:
    struct Entry {
        QString name;  // as stored in the folder
        qint64 size = 0;
    };
    QList<Entry> entries() const;

    QString m_directory;
    bool m_ready = false;
};

} // namespace quennel
