// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QTemporaryDir>

namespace tavrel::testing {

// A picture of one colour.
inline QImage Filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// Writes the picture into the folder in the given format, at full quality,
// and returns its path.
inline QString SavePicture(const QTemporaryDir& dir, const QString& name, const QImage& image, const char* format)
{
    const QString path = dir.filePath(name);
    QImageWriter writer(path, format);
    writer.setQuality(100);
    writer.write(image);
    return path;
}

// The whole file; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline ResizeRule Rule(ResizeMode mode, int w = 96, int h = 64)
{
    ResizeRule rule;
    rule.mode = mode;
    rule.width = w;
    rule.height = h;
    return rule;
}

} // namespace tavrel::testing
