// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/CommandTable.h"

#include "link/PixelCommands.h"
#include "imaging/DisplayImageCommand.h"
#include "imaging/PictureCli.h"
#include "imaging/SlideshowCommand.h"
#include "sdcard/SdCommands.h"
#include "commands/TextCommands.h"
#include "commands/DrawingCommands.h"
#include "commands/DisplayControlCommands.h"

namespace tavrel {

QString CliName(const QString& caption)
{
    return caption.simplified().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

// The options of the picture commands.
const QString kPictureOptions = QStringLiteral("--no-resize | --maximize | --resize WxH, --depth 16|8, --dither");

const QVector<CommandInfo>& AllCommands()
{
    // One row per button, in the order of the panel's groups.
    static const QVector<CommandInfo> commands = {
        // General Functions
        {QStringLiteral("Set Background Color"), QString(), QString(),
         QStringLiteral("send the background colour to the module"), SetBackgroundColor},
        {QStringLiteral("Clear Screen"), QString(), QString(),
         QStringLiteral("erase the screen to the background colour"), ClearScreen},
        {QStringLiteral("Get Device Info"), QString(), QStringLiteral("--repeat (also show it on the display)"),
         QStringLiteral("ask the module for its type, versions and resolution"), GetDeviceInfo},
        {QStringLiteral("Oled Control Functions"), QStringLiteral("[CONTRAST]"),
         QStringLiteral("--function=0|1|2 (display on/off, contrast 0..15, power on/off), --display-off, --power-off"),
         QStringLiteral("switch the display or its power, or set the contrast"), OledControlFunctions},

        // Basic Drawing
        {QStringLiteral("Set Pixel"), QStringLiteral("X Y"), QString(),
         QStringLiteral("draw one pixel in the foreground colour"), SetPixel},
        {QStringLiteral("Draw Line"), QStringLiteral("X1 Y1 X2 Y2"), QString(),
         QStringLiteral("draw a line in the foreground colour"), DrawLine},
        {QStringLiteral("Draw Rectangle"), QStringLiteral("X1 Y1 X2 Y2"), QString(),
         QStringLiteral("draw a rectangle between two corners"), DrawRectangle},
        {QStringLiteral("Draw Triangle"), QStringLiteral("X1 Y1 X2 Y2 X3 Y3"), QString(),
         QStringLiteral("draw a triangle"), DrawTriangle},
        {QStringLiteral("Draw Circle"), QStringLiteral("X Y [RADIUS]"), QString(),
         QStringLiteral("draw a circle (radius 3 unless given)"), DrawCircle},
        {QStringLiteral("Draw Polygon"), QStringLiteral("X1 Y1 ... X7 Y7"), QStringLiteral("--vertices=3..7 (default 3)"),
         QStringLiteral("draw a polygon through the first N of seven points (all must be on the panel)"), DrawPolygon},
        {QStringLiteral("Set WireFrame Mode"), QString(), QString(),
         QStringLiteral("draw shapes as outlines"), SetWireFrameMode},
        {QStringLiteral("Set Solid Mode"), QString(), QString(),
         QStringLiteral("draw shapes filled"), SetSolidMode},
        {QStringLiteral("Read Pixel"), QStringLiteral("X Y"), QString(),
         QStringLiteral("read a pixel back; it becomes the foreground colour"), ReadPixel},

        // Text Functions
        {QStringLiteral("Print Character"), QStringLiteral("X Y CHARACTER"), QStringLiteral("--formatted"),
         QStringLiteral("print one character (X Y are column and row with --formatted)"), PrintCharacter},
        {QStringLiteral("Print Text String"), QStringLiteral("X Y NXWIDTH NXHEIGHT TEXT"),
         QStringLiteral("--formatted --font=N"),
         QStringLiteral("print a text; --font gives the font the panel would have chosen (default 0)"), PrintTextString},
        {QStringLiteral("Text Button"), QStringLiteral("X Y NXWIDTH NXHEIGHT TEXT"), QStringLiteral("--button-down --font=N"),
         QStringLiteral("draw a labelled button, face in the background colour"), TextButton},
        {QStringLiteral("Set Font"), QStringLiteral("N"), QString(),
         QStringLiteral("the Font buttons: N is 0 (5x7), 1 (8x8), 2 (8x12) or 3 (16x32)"), SetFontCommand},
        {QStringLiteral("Set Font Mode"), QStringLiteral("N"), QString(),
         QStringLiteral("the Text Mode buttons: N is 0 (transparent) or 1 (opaque)"), SetFontModeCommand},

        // Bitmap Functions
        {QStringLiteral("Add User Char"), QStringLiteral("N [ROW0 ... ROW7]"), QString(),
         QStringLiteral("define user character N; each row (top first) is a byte or 8 cells "
                        "of # and ., quoted: '#.......'; or one argument holding all 8 lines"),
         AddUserChar},
        {QStringLiteral("Display User Char"), QStringLiteral("X Y N"), QString(),
         QStringLiteral("draw user character N"), DisplayUserChar},
        {QStringLiteral("Copy Area"), QStringLiteral("SRC-X SRC-Y WIDTH HEIGHT DST-X DST-Y"), QString(),
         QStringLiteral("copy an area of the screen (8 x 8 unless given)"), CopyArea},

        // Display Specific Commands
        {QStringLiteral("Rotate Display"), QString(), QStringLiteral("--orientation=0|1 (normal, upside-down)"),
         QStringLiteral("turn the picture"), RotateDisplay},
        {QStringLiteral("Dim Area"), QStringLiteral("X Y [WIDTH HEIGHT]"), QString(),
         QStringLiteral("dim an area of the screen (1 x 1 unless given)"), DimArea},
        {QStringLiteral("Scroll Control"), QStringLiteral("SPEED H-STEP START-ROW ROWS V-STEP"),
         QStringLiteral("--function=0..5 (enable, speed, h-step, start row, rows, v-step), --enable=0|1"),
         QStringLiteral("send one scroll setting (default: enable scrolling)"), ScrollControl},
        {QStringLiteral("Write Command"), QStringLiteral("[BYTE]"), QString(),
         QStringLiteral("send one command byte to the display controller (167 unless given)"), WriteCommand},

        // SD Card Commands
        {QStringLiteral("Show Bitmap"), QStringLiteral("NAME [X Y]"), QString(),
         QStringLiteral("show a Windows bitmap of the card at X, Y"), ShowBitmap},
        {QStringLiteral("Show Image"), QStringLiteral("NAME [X Y]"), QString(),
         QStringLiteral("show an image data file of the card at X, Y"), ShowImage},
        {QStringLiteral("Slideshow"), QStringLiteral("NAME [X Y DELAY]"), QString(),
         QStringLiteral("play a slideshow data file of the card at X, Y, DELAY ms per picture"), Slideshow},
        {QStringLiteral("Print Screen"), QStringLiteral("NAME"), QString(),
         QStringLiteral("save the screen as a bitmap file on the card"), PrintScreen},
        {QStringLiteral("Load Binary"), QStringLiteral("NAME"), QString(),
         QStringLiteral("run a binary program from the card"), LoadBinary},
        {QStringLiteral("Load Norvel"), QString(), QString(),
         QStringLiteral("run the Norvel interpreter from the card"), LoadNorvel},
        {QStringLiteral("YModem Session"), QString(), QString(),
         QStringLiteral("hand the line over to a terminal program's YModem transfer"), YModemSession},
        {QStringLiteral("View Directory"), QString(), QString(),
         QStringLiteral("list the card's files (the listing goes to standard output)"), ViewDirectory},
        {QStringLiteral("Open File to Write"), QStringLiteral("NAME"), QString(),
         QStringLiteral("open a card file for writing"), OpenFileToWrite},
        {QStringLiteral("Write to File"), QStringLiteral("TEXT"), QString(),
         QStringLiteral("write up to 255 characters to the file open for writing"), WriteToFile},
        {QStringLiteral("Open File to Read"), QStringLiteral("NAME"), QString(),
         QStringLiteral("open a card file for reading"), OpenFileToRead},
        {QStringLiteral("Read from File"), QStringLiteral("COUNT"), QString(),
         QStringLiteral("read up to COUNT (0-255) bytes of the open file to standard output"), ReadFromFile},
        {QStringLiteral("Close File"), QString(), QString(),
         QStringLiteral("close the open card file"), CloseFile},
        {QStringLiteral("Erase File"), QStringLiteral("NAME"), QString(),
         QStringLiteral("erase a card file"), EraseFile},

        // Pictures (no button of their own)
        {QStringLiteral("Display Image"), QStringLiteral("IN [X Y]"), kPictureOptions,
         QStringLiteral("convert a picture file and stream it to the panel at X, Y"), DisplayImage,
         RunDisplayImageArguments, false, CheckDisplayImageArguments},
        {QStringLiteral("Convert"), QStringLiteral("IN OUT.dat"), kPictureOptions,
         QStringLiteral("convert a picture file to an image data file (no port needed)"), nullptr,
         RunConvertArguments, true, CheckConvertArguments},
        {QStringLiteral("Save BMP"), QStringLiteral("IN OUT.bmp"),
         QStringLiteral("--as-module, then ") + kPictureOptions,
         QStringLiteral("save a picture file as a 24-bit BMP file: as opened, or as the module shows it (no port "
                        "needed)"),
         nullptr, RunSaveBmpArguments, true, CheckSaveBmpArguments},
        {QStringLiteral("Build Slideshow"), QStringLiteral("OUT.dat IN..."), kPictureOptions,
         QStringLiteral("build a slideshow data file, pictures sorted by path (no port needed)"), nullptr,
         RunBuildSlideshowArguments, true, CheckBuildSlideshowArguments},
    };
    return commands;
}

const CommandInfo* FindCommandByCliName(const QString& name)
{
    for (const auto& command : AllCommands())
        if (CliName(command.caption) == name)
            return &command;
    return nullptr;
}

const CommandInfo* FindCommandByCaption(const QString& caption)
{
    for (const auto& command : AllCommands())
        if (command.caption == caption)
            return &command;
    return nullptr;
}

} // namespace tavrel
