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

#include <QHash>

namespace tavrel {

QString CliName(const QString& caption)
{
    return caption.simplified().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

namespace {

using Kind = ArgumentField::Kind;

ArgumentField TextArgument(const QString& name, bool required = true, bool repeats = false)
{
    return {name, Kind::Text, {}, QString(), required, repeats};
}

ArgumentField CheckArgument(const QString& name)
{
    return {name, Kind::CheckBox, {QStringLiteral("0"), QStringLiteral("1")}, QStringLiteral("0")};
}

// The options the picture commands share, after their file names; save-bmp
// has --as-module first.
QVector<ArgumentField> PictureWords(QVector<ArgumentField> fields, bool asModule = false)
{
    if (asModule)
        fields << CheckArgument(QStringLiteral("as-module"));
    fields << CheckArgument(QStringLiteral("no-resize")) << CheckArgument(QStringLiteral("maximize"))
           << ArgumentField{QStringLiteral("resize"), Kind::Value}
           << ArgumentField{QStringLiteral("depth"), Kind::Choice, {QStringLiteral("16"), QStringLiteral("8")},
                            QStringLiteral("16")}
           << CheckArgument(QStringLiteral("dither"));
    return fields;
}

} // namespace

const QVector<CommandInfo>& AllCommands()
{
    // One row per button, in the order of the panel's groups. What each
    // command takes on the command line comes from its dialog's fields.
    static const QVector<CommandInfo> commands = {
        // General Functions
        {QStringLiteral("Set Background Color"), QStringLiteral("send the background colour (--bg) to the module"),
         SetBackgroundColor},
        {QStringLiteral("Clear Screen"), QStringLiteral("erase the screen to the background colour"), ClearScreen},
        {QStringLiteral("Get Device Info"), QStringLiteral("ask the module for its type, versions and resolution"),
         GetDeviceInfo},
        {QStringLiteral("Oled Control Functions"),
         QStringLiteral("switch the display or its power, or set the contrast"), OledControlFunctions},

        // Basic Drawing
        {QStringLiteral("Set Pixel"), QStringLiteral("draw one pixel in the foreground colour"), SetPixel},
        {QStringLiteral("Draw Line"), QStringLiteral("draw a line in the foreground colour"), DrawLine},
        {QStringLiteral("Draw Rectangle"), QStringLiteral("draw a rectangle between two corners"), DrawRectangle},
        {QStringLiteral("Draw Triangle"), QStringLiteral("draw a triangle"), DrawTriangle},
        {QStringLiteral("Draw Circle"), QStringLiteral("draw a circle"), DrawCircle},
        {QStringLiteral("Draw Polygon"),
         QStringLiteral("draw a polygon through the first N of seven points (all seven must be on the panel)"),
         DrawPolygon},
        {QStringLiteral("Set WireFrame Mode"), QStringLiteral("draw shapes as outlines"), SetWireFrameMode},
        {QStringLiteral("Set Solid Mode"), QStringLiteral("draw shapes filled"), SetSolidMode},
        {QStringLiteral("Read Pixel"), QStringLiteral("read a pixel back; it becomes the foreground colour"),
         ReadPixel},

        // Text Functions
        {QStringLiteral("Print Character"), QStringLiteral("print one character in the foreground colour"),
         PrintCharacter},
        {QStringLiteral("Print Text String"), QStringLiteral("print a text in the foreground colour"),
         PrintTextString},
        {QStringLiteral("Text Button"),
         QStringLiteral("draw a labelled button: face in the background colour, label in the foreground colour"),
         TextButton},
        {QStringLiteral("Set Font"), QStringLiteral("press a Font button: the font of later texts and buttons"),
         SetFontCommand},
        {QStringLiteral("Set Font Mode"), QStringLiteral("press a Text Mode button: transparent or opaque text"),
         SetFontModeCommand},

        // Bitmap Functions
        {QStringLiteral("Add User Char"), QStringLiteral("define a user character of 8 x 8 cells"), AddUserChar},
        {QStringLiteral("Display User Char"), QStringLiteral("draw a user character"), DisplayUserChar},
        {QStringLiteral("Copy Area"), QStringLiteral("copy an area of the screen to another place"), CopyArea},

        // Display Specific Commands
        {QStringLiteral("Rotate Display"), QStringLiteral("turn the picture"), RotateDisplay},
        {QStringLiteral("Dim Area"), QStringLiteral("dim an area of the screen"), DimArea},
        {QStringLiteral("Scroll Control"), QStringLiteral("send one setting of the hardware scrolling"),
         ScrollControl},
        {QStringLiteral("Write Command"), QStringLiteral("send one command byte to the display controller"),
         WriteCommand},

        // SD Card Commands
        {QStringLiteral("Show Bitmap"), QStringLiteral("show a Windows bitmap file of the card"), ShowBitmap},
        {QStringLiteral("Show Image"), QStringLiteral("show an image data file of the card"), ShowImage},
        {QStringLiteral("Slideshow"), QStringLiteral("play a slideshow data file of the card"), Slideshow},
        {QStringLiteral("Print Screen"), QStringLiteral("save the screen as a bitmap file on the card"),
         PrintScreen},
        {QStringLiteral("Load Binary"), QStringLiteral("run a binary program from the card"), LoadBinary},
        {QStringLiteral("Load Norvel"), QStringLiteral("run the Norvel interpreter from the card"), LoadNorvel},
        {QStringLiteral("YModem Session"),
         QStringLiteral("hand the line over to a terminal program's YModem transfer"), YModemSession},
        {QStringLiteral("View Directory"),
         QStringLiteral("list the card's files (the listing goes to standard output)"), ViewDirectory},
        {QStringLiteral("Open File to Write"), QStringLiteral("open a card file for writing"), OpenFileToWrite},
        {QStringLiteral("Write to File"), QStringLiteral("write a text to the file open for writing"), WriteToFile},
        {QStringLiteral("Open File to Read"), QStringLiteral("open a card file for reading"), OpenFileToRead},
        {QStringLiteral("Read from File"),
         QStringLiteral("read bytes of the file open for reading (they go to standard output)"), ReadFromFile},
        {QStringLiteral("Close File"), QStringLiteral("close the open card file"), CloseFile},
        {QStringLiteral("Erase File"), QStringLiteral("erase a card file"), EraseFile},

        // Pictures (no button of their own)
        {QStringLiteral("Display Image"), QStringLiteral("convert a picture file and stream it to the panel"),
         DisplayImage, RunDisplayImageArguments, false, CheckDisplayImageArguments,
         PictureWords({TextArgument(QStringLiteral("in")), TextArgument(QStringLiteral("x"), false),
                           TextArgument(QStringLiteral("y"), false)})},
        {QStringLiteral("Convert"),
         QStringLiteral("convert a picture file to an image data file (no port needed)"), nullptr,
         RunConvertArguments, true, CheckConvertArguments,
         PictureWords({TextArgument(QStringLiteral("in")), TextArgument(QStringLiteral("out"))})},
        {QStringLiteral("Save BMP"),
         QStringLiteral("save a picture file as a 24-bit BMP file, as opened or as the module shows it "
                        "(no port needed)"),
         nullptr, RunSaveBmpArguments, true, CheckSaveBmpArguments,
         PictureWords({TextArgument(QStringLiteral("in")), TextArgument(QStringLiteral("out"))}, true)},
        {QStringLiteral("Build Slideshow"),
         QStringLiteral("build a slideshow data file of pictures sorted by path (no port needed)"), nullptr,
         RunBuildSlideshowArguments, true, CheckBuildSlideshowArguments,
         PictureWords({TextArgument(QStringLiteral("out")), TextArgument(QStringLiteral("in"), true, true)})},
    };
    return commands;
}

const CommandInfo* FindCommandByCliName(const QString& name)
{
    // Looked up for every line of a script: by a table made once.
    static const QHash<QString, const CommandInfo*> byName = [] {
        QHash<QString, const CommandInfo*> names;
        for (const auto& command : AllCommands())
            names.insert(CliName(command.caption), &command);
        return names;
    }();
    return byName.value(name);
}

const CommandInfo* FindCommandByCaption(const QString& caption)
{
    for (const auto& command : AllCommands())
        if (command.caption == caption)
            return &command;
    return nullptr;
}

} // namespace tavrel
