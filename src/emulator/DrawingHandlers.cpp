// SPDX-License-Identifier: GPL-3.0-or-later
// Emulator handlers for lines, rectangles, triangles, circles, polygons, copy area and the pen size.
// How each shape is rasterised is described at the top of Raster.h.

#include "emulator/CommandHandlers.h"
#include "emulator/Raster.h"

namespace quennel {

namespace {

Canvas canvasOf(ModuleState& state)
{
    return Canvas(state.frame, state.pen.orientation);
}

bool solid(const ModuleState& state)
{
    return !state.pen.wireFrame;
}

// 0x4C x1 y1 x2 y2 colour
void drawLineCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    drawLine(canvas, p.at(1), p.at(2), p.at(3), p.at(4), p.colourAt(5));
    reply += kAck;
}

// 0x72 x1 y1 x2 y2 colour
void rectangleCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    drawRectangle(canvas, p.at(1), p.at(2), p.at(3), p.at(4), p.colourAt(5), solid(state));
    reply += kAck;
}

// 0x47 x1 y1 x2 y2 x3 y3 colour
void triangleCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    const QVector<QPoint> vertices{{p.at(1), p.at(2)}, {p.at(3), p.at(4)}, {p.at(5), p.at(6)}};
    drawPolygon(canvas, vertices, p.colourAt(7), solid(state));
    reply += kAck;
}

// 0x43 x y radius colour
void circleCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    drawCircle(canvas, p.at(1), p.at(2), p.at(3), p.colourAt(4), solid(state));
    reply += kAck;
}

// 0x67 n x1 y1 ... xn yn colour
void polygonCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int count = p.at(1);
    QVector<QPoint> vertices;
    vertices.reserve(count);
    for (int i = 0; i < count; ++i)
        vertices.append(QPoint(p.at(2 + 2 * i), p.at(3 + 2 * i)));
    Canvas canvas = canvasOf(state);
    drawPolygon(canvas, vertices, p.colourAt(2 + 2 * count), solid(state));
    reply += kAck;
}

// 0x63 sx sy dx dy width height colour (the colour is not used)
void copyAreaCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    copyArea(canvas, p.at(1), p.at(2), p.at(3), p.at(4), p.at(5), p.at(6));
    reply += kAck;
}

// 0x70 size: 0 solid, 1 wire frame; any other size is refused and changes nothing.
void penSizeCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int size = p.at(1);
    if (size > 1) {
        reply += kError;
        return;
    }
    state.pen.wireFrame = size == 1;
    reply += kAck;
}

} // namespace

void RegisterDrawingHandlers(HandlerTable& table)
{
    table[size_t(CommandId::DrawLine)] = &drawLineCommand;
    table[size_t(CommandId::Rectangle)] = &rectangleCommand;
    table[size_t(CommandId::Triangle)] = &triangleCommand;
    table[size_t(CommandId::Circle)] = &circleCommand;
    table[size_t(CommandId::Polygon)] = &polygonCommand;
    table[size_t(CommandId::CopyArea)] = &copyAreaCommand;
    table[size_t(CommandId::PenSize)] = &penSizeCommand;
}

} // namespace quennel
