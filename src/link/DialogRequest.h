// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

namespace tavrel {

// The parameter dialogs a command can ask for. The panel shows the matching
// dialog class; the command-line tool fills the fields from its arguments.
enum class DialogKind {
    Pixel,   // CPIxelDialog, "Enter Pixel Coordinates": x, y
    // Drawing commands
    Line,       // CLineDialog, "Enter Coordinates" (Draw Line, Draw Rectangle): x1, y1, x2, y2
    Triangle,   // CTriangleDialog, "Draw Triangle": x1, y1, x2, y2, x3, y3
    Circle,     // CCircleDialog, "Draw Circle": x, y, radius
    Polygon,    // CDrawPolygonDialog, "Draw Polygon": x1, y1 ... x7, y7, list "vertices"
    CopyArea,   // CCopyAreaDialog, "Copy Area": src-x, src-y, width, height, dst-x, dst-y

    // Text commands and the character editor
    TextCharacter,     // CTextCharacterDialog, "Text Character": x, y, character; check "formatted"
    PrintText,         // CPrintTextDialog, "Print Text": x, y, width, height, text; check "formatted"; "font" (no control)
    TextButton,        // CTextButtonDialog, "Text Button": x, y, width, height, text; check "button-down"; "font" (no control)
    DisplayCharacter,  // CDisplayCharacter, "Display User Character": x, y, number
    UserCharacter,     // COledCharEdit, "Character Editor": number, row0 ... row7 (decimal row bytes)
    FontChoice,        // no dialog (the font buttons): font
    TextModeChoice,    // no dialog (the text-mode buttons): mode

    // Display-control commands
    RepeatDeviceInfo,  // Yes/No/Cancel question "Repeat Device Info on Display?": flag "repeat"
    OledControl,       // COledControlDialog, "Oled Control Functions": radio "function", "display-off", contrast, "power-off"
    RotateDisplay,     // CRotateDisplayDialog, "Rotate Display": radio "orientation"
    DimArea,           // CDimAreaDialog, "Dim Area": x, y, width, height
    Scroll,            // CScrollDialog, "Scroll Control": radio "function", "enable", speed ... vertical-step
    WriteCommand,      // CWriteCommandDialog, "Write Command": command

    // SD card commands
    SdFilename,           // CGetFilename1, "Get Filename": name; "prompt" (not an entry) for the heading
    SdFilenameAndOrigin,  // CGetFilenameDialog, "Get Filename and Origin": name, x, y; "heading" (not an entry)
    SdWriteText,          // CWriteSdDialog, "Write to SD Data Entry": text
    SdReadCount,          // CReadSdDialog, "Read bytes from SD Card": count
    SdYModem,             // CYmodemDialog, "Start YModem Session": no fields

    // Pictures
    DisplayImage,  // CDisplayImageDialog, "Display Image": x, y; "depth" (16/8), "dither" (0/1); answers with `picture`
    Slideshow,     // CSlideShowDialog, "Display or Create Slideshow": name, x, y, delay
};

struct DialogField {
    QString name;   // stable key, also the argument name in the CLI's help
    QString value;  // the text in the field (check boxes and radio buttons: "0"/"1" or an index)
    // Text fields are the CLI's positional arguments, in dialog order; check
    // boxes and radio buttons are not positional: the CLI sets them by name
    // with --name (meaning "1") or --name=VALUE.
    bool positional = true;
    // Check boxes, radio groups and lists: the values the control can give,
    // each a value or "value: name" (commands/ChoiceFields.h). Empty for a
    // field that takes any text.
    QStringList choices = {};
    // A field the CLI must be given: a choice that stands for a button
    // pressed, which has nothing to fall back on.
    bool required = false;
    // A check box ("0"/"1"): the only kind of field the CLI also takes as a
    // bare --name, meaning "1". A radio group with two buttons has the same
    // choices but always needs its value.
    bool checkBox = false;
};

// A request to show one parameter dialog pre-filled with the given texts.
// The answer comes back in the same fields.
struct DialogRequest {
    DialogKind kind;
    QVector<DialogField> fields;
    // A dialog that makes a picture (Display Image) answers with it here.
    QImage picture = {};

    void setValue(const QString& name, const QString& text)
    {
        for (auto& f : fields)
            if (f.name == name)
                f.value = text;
    }

    QString value(const QString& name) const
    {
        for (const auto& f : fields)
            if (f.name == name)
                return f.value;
        return QString();
    }
};

} // namespace tavrel
