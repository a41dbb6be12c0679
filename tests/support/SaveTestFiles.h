// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <cerrno>
#include <cstring>

namespace tavrel::testing {

// What the saves' tests put where a save goes, to see that it survives.
inline const QByteArray kEarlierFile("the earlier file, which must survive");

// Writes the bytes to the path (stops the test program when it cannot) and
// returns the path.
inline QString PutFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The system's text for an errno value, as a save's message names it.
inline QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The system's text for a file whose folder does not exist: Windows says
// it in its own words (ERROR_PATH_NOT_FOUND), not with an errno value.
inline QString MissingFolderText()
{
#ifdef Q_OS_WIN
    return qt_error_string(3);
#else
    return SystemText(ENOENT);
#endif
}

// A picture whose bytes differ from row to row and column to column, so that
// a partial or shifted file cannot pass for the right one.
inline QImage PatternPicture(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y) & 0xFF, (y * 5) & 0xFF, (x ^ y) & 0xFF));
    return image.convertToFormat(format);
}

} // namespace tavrel::testing
