// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

namespace tavrel::testing {

// A PNG (8-bit RGB) of horizontal bands of solid colour, of equal height,
// top to bottom. It is compressed on the fly, one row at a time, so that a
// test can make a picture of tens of megapixels with a file of about a
// megabyte and without ever holding the pixels.
QByteArray BandedPng(int width, int height, const QList<QColor>& bands);

// Writes BandedPng() to the path; false when it cannot.
bool WriteBandedPng(const QString& path, int width, int height, const QList<QColor>& bands);

// The band colour of row y.
QColor BandColourAt(int y, int height, const QList<QColor>& bands);

} // namespace tavrel::testing
