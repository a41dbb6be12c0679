// SPDX-License-Identifier: GPL-3.0-or-later
// Emulator handlers for display power, contrast, rotation, dimming, scrolling and controller commands.
// What each setting does to the glass is described at the top of Glass.h.

#include "emulator/CommandHandlers.h"
#include "emulator/Glass.h"
#include "emulator/Glyphs.h"

namespace quennel {

namespace {

// Runs `change` on the glass settings and counts a glass revision only when
// the picture on the glass is different afterwards.
template <typename Change>
void changeGlass(ModuleState& state, Change change)
{
    const QImage before = renderGlass(state.frame, state.glass);
    change(state.glass);
    if (renderGlass(state.frame, state.glass) != before)
        ++state.glassRevision;
}

// Prints the device information in font 0, opaque, white on the background
// colour, from the top-left corner.
void showDeviceInfo(ModuleState& state)
{
    TextStyle style;
    style.colour = 0xFFFF;
    style.background = state.background;
    style.opaque = true;
    const QByteArray text = QByteArray("Type: OLED\r\nHardware: ") + QByteArray::number(kHardwareVersion)
                            + "\r\nFirmware: " + QByteArray::number(kFirmwareVersion) + "\r\nResolution: "
                            + QByteArray::number(FrameBuffer::kWidth) + "x" + QByteArray::number(FrameBuffer::kHeight);
    Canvas canvas(state.frame, state.pen.orientation);
    drawText(canvas, 0, 0, text, 0, style);
}

// 0x56 repeat -> type, hardware, firmware, width and height in packed BCD.
// With repeat 1 the module also prints the information on its display.
void deviceInfo(ModuleState& state, const Packet& p, QByteArray& reply)
{
    if (p.at(1) == 1)
        showDeviceInfo(state);
    reply += char(kDeviceType);
    reply += char(kHardwareVersion);
    reply += char(kFirmwareVersion);
    reply += char(0x96);
    reply += char(0x64);
}

// 0x59 function value: 0 display (0 off, other on), 1 contrast 0..15,
// 2 power (0 off, other on). Other functions and contrasts are refused.
void oledControl(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int value = p.at(2);
    switch (p.at(1)) {
    case 0:
        changeGlass(state, [value](GlassState& g) { g.displayOn = value != 0; });
        break;
    case 1:
        if (value > kMaxContrast) {
            reply += kError;
            return;
        }
        changeGlass(state, [value](GlassState& g) { g.contrast = quint8(value); });
        break;
    case 2:
        changeGlass(state, [value](GlassState& g) { g.powerOn = value != 0; });
        break;
    default:
        reply += kError;
        return;
    }
    reply += kAck;
}

// 0x24 'F' orientation: 0 normal, 1 upside down, 2 portrait (see Raster.h).
void rotateDisplay(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const int orientation = p.at(2);
    if (orientation > int(Orientation::Portrait)) {
        reply += kError;
        return;
    }
    state.pen.orientation = Orientation(orientation);
    reply += kAck;
}

// 0x24 'D' x y width height: this window of the glass is shown at half
// brightness from now on, replacing any earlier one; an empty window ends dimming.
void dimArea(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const Canvas canvas(state.frame, state.pen.orientation);
    const QRect window = canvas.toFrame(QRect(p.at(2), p.at(3), p.at(4), p.at(5)));
    changeGlass(state, [window](GlassState& g) { g.dimWindow = window; });
    reply += kAck;
}

// 0x24 'S' sub-command value: 0 enable (0 off, other on), 2 speed 0..3,
// 3 horizontal step, 4 start row 0..63, 5 rows 0..64, 6 vertical step.
void scrollControl(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const quint8 value = p.at(3);
    bool accepted = true;
    changeGlass(state, [&](GlassState& g) {
        ScrollState& s = g.scroll;
        switch (p.at(2)) {
        case 0:
            setScrolling(s, value != 0);
            break;
        case 2:
            accepted = value <= kSlowestScrollSpeed;
            if (accepted)
                s.speed = value;
            break;
        case 3:
            s.horizontalStep = value;
            break;
        case 4:
            accepted = value < FrameBuffer::kHeight;
            if (accepted)
                s.startRow = value;
            break;
        case 5:
            accepted = value <= FrameBuffer::kHeight;
            if (accepted)
                s.rowCount = value;
            break;
        case 6:
            s.verticalStep = value;
            break;
        default:
            accepted = false;
            break;
        }
        // A different scrolled area starts from the unscrolled picture.
        const QRect area = scrollArea(s);
        if (area.isEmpty())
            s.verticalOffset = 0;
        else
            s.verticalOffset %= area.height();
    });
    reply += accepted ? kAck : kError;
}

// 0x24 'W' byte: one-byte SSD1331 commands that change the glass are carried
// out; every other byte is acknowledged and has no effect.
void controllerCommand(ModuleState& state, const Packet& p, QByteArray& reply)
{
    const quint8 command = p.at(2);
    changeGlass(state, [command](GlassState& g) {
        switch (command) {
        case 0xA4: // normal display (the panel's Write Command note names 164)
        case 0xA6: // normal display
            g.mode = DisplayMode::Normal;
            break;
        case 0xA5: // entire display on
            g.mode = DisplayMode::AllOn;
            break;
        case 0xA7: // inverse display
            g.mode = DisplayMode::Inverse;
            break;
        case 0xAC: // display on in dim mode
            g.displayOn = true;
            g.dimAll = true;
            break;
        case 0xAE: // display off
            g.displayOn = false;
            break;
        case 0xAF: // display on, normal brightness
            g.displayOn = true;
            g.dimAll = false;
            break;
        case 0x2E: // deactivate scrolling
            setScrolling(g.scroll, false);
            break;
        case 0x2F: // activate scrolling
            setScrolling(g.scroll, true);
            break;
        default:
            break;
        }
    });
    reply += kAck;
}

} // namespace

void RegisterDisplayHandlers(HandlerTable& table)
{
    table[size_t(CommandId::DeviceInfo)] = &deviceInfo;
    table[size_t(CommandId::OledControl)] = &oledControl;
    table[size_t(CommandId::RotateDisplay)] = &rotateDisplay;
    table[size_t(CommandId::DimArea)] = &dimArea;
    table[size_t(CommandId::ScrollControl)] = &scrollControl;
    table[size_t(CommandId::ControllerCommand)] = &controllerCommand;
}

} // namespace quennel
