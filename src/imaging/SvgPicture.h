// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureDecoding.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tavrel {

// SVG files larger than this are refused for their size: the drawing code
// keeps the text several times over while it reads it.
constexpr qint64 kMaxSvgFileBytes = 32LL * 1024 * 1024;

// The most drawing one SVG picture may take, in pixels touched: every shape,
// text and picture drawn counts the area it covers on the picture (a shape
// under a dash pattern also counts its dashes). Far beyond what any real
// drawing needs at the sizes pictures are made at here, and reached within
// a few seconds.
constexpr qint64 kMaxSvgDrawWork = 400LL * 1000 * 1000;

// Whether this program draws SVG: built with Qt SVG, and running as a GUI
// application (whose fonts draw the text).
bool HaveSvgRenderer();

// The size the drawing gives itself (its width and height, or its view
// box); empty when it cannot be read.
QSize SvgDocumentSize(const QByteArray& svg);

// The size of the picture drawn for the request, from a drawing of size
// `own`: its own size, the top-left part of it, or straight at the size the
// picture is stretched to.
QSize SvgTargetSize(QSize own, const DecodeRequest& request);

// How much drawing the request takes (see kMaxSvgDrawWork): the drawing is
// gone through once without painting a pixel. -1 when it cannot be read.
qint64 SvgDrawWork(const QByteArray& svg, QSize own, const DecodeRequest& request);

// Draws the picture for the request onto black (transparent parts stay
// black, half-transparent edges fade into it, as on the module's dark
// panel). False when the drawing cannot be read.
bool RenderSvg(const QByteArray& svg, QSize own, const DecodeRequest& request, QImage& picture);

} // namespace tavrel
