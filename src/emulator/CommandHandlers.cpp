// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/CommandHandlers.h"

#include <array>

namespace quennel {

namespace {

void acknowledge(ModuleState&, const Packet&, QByteArray& reply)
{
    reply += kAck;
}

// 0x50 x y hi lo, in the current orientation (Raster.h)
void setPixel(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int x = p.at(1);
    const int y = p.at(2);
    Canvas canvas(state.frame, state.pen.orientation);
    if (!canvas.contains(x, y)) {
        reply += kError;
        return;
    }
    canvas.plot(x, y, p.colourAt(3));
    reply += kAck;
}

// 0x52 x y -> colour high byte, low byte; a single error byte off the panel.
void readPixel(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int x = p.at(1);
    const int y = p.at(2);
    const Canvas canvas(state.frame, state.pen.orientation);
    if (!canvas.contains(x, y)) {
        reply += kError;
        return;
    }
    const quint16 c = canvas.at(x, y);
    reply += char(c >> 8);
    reply += char(c & 0xFF);
}

// 0x45
void clearScreen(ModuleState& state, const Packet&, QByteArray& reply)
{
    state.frame.fill(state.background);
    reply += kAck;
}

// 0x42 hi lo
void setBackground(ModuleState& state, const Packet& p, QByteArray& reply)
{
    state.background = p.colourAt(1);
    reply += kAck;
}

// 0x49 x y w h depth pixels... Pixels run row by row; those off the panel are
// dropped.
void displayImage(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int x0 = p.at(1);
    const int y0 = p.at(2);
    const int w = p.at(3);
    const int h = p.at(4);
    const bool wide = p.at(5) == 16;
    const quint8* src = p.data + 6;
    Canvas canvas(state.frame, state.pen.orientation);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            quint16 colour;
            if (wide) {
                colour = quint16((src[0] << 8) | src[1]);
                src += 2;
            } else {
                colour = rgb332ToRgb565(*src++);
            }
            canvas.plot(x0 + col, y0 + row, colour);
        }
    }
    reply += kAck;
}

HandlerTable buildTable()
{
    HandlerTable table;
    table.fill(&acknowledge);
    table[size_t(CommandId::SetPixel)] = &setPixel;
    table[size_t(CommandId::ReadPixel)] = &readPixel;
    table[size_t(CommandId::ClearScreen)] = &clearScreen;
    table[size_t(CommandId::SetBackground)] = &setBackground;
    table[size_t(CommandId::DisplayImage)] = &displayImage;
    RegisterDrawingHandlers(table);
    RegisterTextHandlers(table);
    RegisterDisplayHandlers(table);
    RegisterCardHandlers(table);
    return table;
}

} // namespace

CommandHandler handlerFor(CommandId id)
{
    static const HandlerTable table = buildTable();
    const auto index = size_t(id);
    return index < table.size() ? table[index] : &acknowledge;
}

} // namespace quennel
