// SPDX-License-Identifier: GPL-3.0-or-later
// Emulator handlers for fonts, text mode, characters, strings, text buttons and user characters.
// How glyphs are placed is described at the top of Glyphs.h.

#include "emulator/CommandHandlers.h"
#include "emulator/Glyphs.h"

namespace quennel {

namespace {

Canvas canvasOf(ModuleState& state)
{
    return Canvas(state.frame, state.pen.orientation);
}

// The module's text settings with the given colour and factors.
TextStyle styleOf(const ModuleState& state, quint16 colour, int widthFactor = 1, int heightFactor = 1)
{
    TextStyle style;
    style.colour = colour;
    style.background = state.background;
    style.opaque = state.text.opaque;
    style.widthFactor = widthFactor;
    style.heightFactor = heightFactor;
    return style;
}

bool validFont(int font)
{
    return font >= 0 && font < kFontCount;
}

// 0x46 font: 0..3; any other number is refused and changes nothing.
void setFont(ModuleState& state, const Packet& p, QByteArray& reply)
{
    if (!validFont(p.at(1))) {
        reply += kError;
        return;
    }
    state.text.font = p.at(1);
    reply += kAck;
}

// 0x4F mode: 0 transparent, 1 opaque; any other mode is refused.
void setFontMode(ModuleState& state, const Packet& p, QByteArray& reply)
{
    if (p.at(1) > 1) {
        reply += kError;
        return;
    }
    state.text.opaque = p.at(1) == 1;
    reply += kAck;
}

// 0x54 char column row colour: on the character grid of the current font.
void charFormatted(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const QSize cell = fontCell(state.text.font);
    Canvas canvas = canvasOf(state);
    drawGlyph(canvas, p.at(2) * cell.width(), p.at(3) * cell.height(), fontGlyph(state.text.font, p.at(1)),
              styleOf(state, p.colourAt(4)));
    reply += kAck;
}

// 0x74 char x y colour: at a pixel.
void charFree(ModuleState& state, const Packet& p, QByteArray& reply)
{
    Canvas canvas = canvasOf(state);
    drawGlyph(canvas, p.at(2), p.at(3), fontGlyph(state.text.font, p.at(1)), styleOf(state, p.colourAt(4)));
    reply += kAck;
}

// 0x73 column row font colour text 0: on the grid of the font the packet names.
void stringFormatted(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int font = p.at(3);
    if (!validFont(font)) {
        reply += kError;
        return;
    }
    const QSize cell = fontCell(font);
    Canvas canvas = canvasOf(state);
    drawText(canvas, p.at(1) * cell.width(), p.at(2) * cell.height(), p.textAt(6), font,
             styleOf(state, p.colourAt(4)));
    reply += kAck;
}

// 0x53 x y font colour widthFactor heightFactor text 0: at a pixel, scaled.
void stringFree(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int font = p.at(3);
    if (!validFont(font)) {
        reply += kError;
        return;
    }
    Canvas canvas = canvasOf(state);
    drawText(canvas, p.at(1), p.at(2), p.textAt(8), font, styleOf(state, p.colourAt(4), p.at(6), p.at(7)));
    reply += kAck;
}

// 0x62 state x y face font colour widthFactor heightFactor text 0; state 1 is up, 0 down.
void textButton(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int font = p.at(6);
    if (!validFont(font) || p.at(1) > 1) {
        reply += kError;
        return;
    }
    Canvas canvas = canvasOf(state);
    drawTextButton(canvas, p.at(2), p.at(3), p.at(1) == 1, p.colourAt(4), p.textAt(11), font,
                   styleOf(state, p.colourAt(7), p.at(9), p.at(10)));
    reply += kAck;
}

// 0x41 number row0..row7: stores user character 0..31.
void addUserChar(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int number = p.at(1);
    if (number >= kUserCharCount) {
        reply += kError;
        return;
    }
    for (int row = 0; row < 8; ++row)
        state.text.userChars[size_t(number)][size_t(row)] = p.at(2 + row);
    reply += kAck;
}

// 0x44 number x y colour: draws user character 0..31 at a pixel, in the text mode.
void displayUserChar(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int number = p.at(1);
    if (number >= kUserCharCount) {
        reply += kError;
        return;
    }
    const GlyphBitmap glyph{state.text.userChars[size_t(number)].data(), 8, 8};
    Canvas canvas = canvasOf(state);
    drawGlyph(canvas, p.at(2), p.at(3), glyph, styleOf(state, p.colourAt(4)));
    reply += kAck;
}

} // namespace

void RegisterTextHandlers(HandlerTable& table)
{
    table[size_t(CommandId::SetFont)] = &setFont;
    table[size_t(CommandId::SetFontMode)] = &setFontMode;
    table[size_t(CommandId::CharFormatted)] = &charFormatted;
    table[size_t(CommandId::CharFree)] = &charFree;
    table[size_t(CommandId::StringFormatted)] = &stringFormatted;
    table[size_t(CommandId::StringFree)] = &stringFree;
    table[size_t(CommandId::TextButton)] = &textButton;
    table[size_t(CommandId::AddUserChar)] = &addUserChar;
    table[size_t(CommandId::DisplayUserChar)] = &displayUserChar;
}

} // namespace quennel
