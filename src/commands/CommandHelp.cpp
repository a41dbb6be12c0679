// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/CommandHelp.h"

#include "commands/ChoiceFields.h"
#include "commands/script/CommandGrammar.h"

#include <QHash>

namespace tavrel {

namespace {

const QString kX = QStringLiteral("0 to 95");
const QString kY = QStringLiteral("0 to 63");
const QString kByte = QStringLiteral("0 to 255 (its low 8 bits are sent)");
const QString kCardName = QStringLiteral("up to 12 characters, an 8.3 name");
const QString kRemembered = QStringLiteral("the last one accepted (0 at first)");

// X and Y of a command's first point, which every command remembers.
QVector<FieldHelp> FirstPoint(const QString& what)
{
    return {{QStringLiteral("x"), QString(), kX, QStringLiteral("column of ") + what, kRemembered},
            {QStringLiteral("y"), QString(), kY, QStringLiteral("row of ") + what, kRemembered}};
}

// The numbered points of a shape: x1 y1 x2 y2 ...
QVector<FieldHelp> NumberedPoints(int count, const QString& what)
{
    QVector<FieldHelp> fields;
    for (int i = 1; i <= count; ++i) {
        const QString point = QStringLiteral("%1 %2").arg(what).arg(i);
        fields.push_back({QStringLiteral("x%1").arg(i), QString(), kX, QStringLiteral("column of ") + point,
                          kRemembered});
        fields.push_back({QStringLiteral("y%1").arg(i), QString(), kY, QStringLiteral("row of ") + point,
                          kRemembered});
    }
    return fields;
}

// A text's first point; with --formatted, a text column and row.
QVector<FieldHelp> TextPoint(const QString& what, bool formatted)
{
    QVector<FieldHelp> point = FirstPoint(what);
    if (formatted) {
        point[0].text += QStringLiteral(" (with --formatted: its text column)");
        point[1].text += QStringLiteral(" (with --formatted: its text row)");
    }
    return point;
}

QVector<FieldHelp> TextBox(const QString& checkName, const QString& checkText)
{
    return TextPoint(QStringLiteral("the text's top left corner"), checkName == QLatin1String("formatted"))
        + QVector<FieldHelp>{
            {QStringLiteral("width"), QStringLiteral("NXWIDTH"), QStringLiteral("0 to 255"),
             QStringLiteral("width factor of each character")},
            {QStringLiteral("height"), QStringLiteral("NXHEIGHT"), QStringLiteral("0 to 255"),
             QStringLiteral("height factor of each character")},
            {QStringLiteral("text"), QString(),
             QStringLiteral("up to 293 characters formatted, 291 free, 288 on a button; each character goes out as "
                            "its low seven bits, a line break as CR LF"),
             QStringLiteral("the text")},
            {checkName, QString(), QString(), checkText},
            {QStringLiteral("font"), QStringLiteral("N"), QString(),
             QStringLiteral("the font the panel would have chosen with its Font buttons"),
             QStringLiteral("0 (each run of tavrel-cli starts with font 0; in a script, the last set-font)")},
        };
}

QVector<FieldHelp> CardFile(const QString& what)
{
    return {{QStringLiteral("name"), QString(), kCardName, what}};
}

QVector<FieldHelp> CardFileAt(const QString& what)
{
    return CardFile(what)
        + QVector<FieldHelp>{{QStringLiteral("x"), QString(), kByte, QStringLiteral("column of its top left corner")},
                             {QStringLiteral("y"), QString(), kByte, QStringLiteral("row of its top left corner")}};
}

QVector<FieldHelp> PictureOptions()
{
    return {
        {QStringLiteral("no-resize"), QString(), QString(),
         QStringLiteral("take the picture as it is, its top left 96 x 64 pixels at most (the default)")},
        {QStringLiteral("maximize"), QString(), QString(),
         QStringLiteral("shrink or stretch it to fill the panel, keeping its proportions")},
        {QStringLiteral("resize"), QStringLiteral("WxH"), QStringLiteral("width 1 to 96, height 1 to 64"),
         QStringLiteral("shrink or stretch it to W x H pixels"), QStringLiteral("none")},
        {QStringLiteral("depth"), QStringLiteral("BITS"), QString(),
         QStringLiteral("bits per pixel on the module: 16 (65536 colours) or 8 (256 colours)")},
        {QStringLiteral("dither"), QString(), QString(),
         QStringLiteral("spread what the bit depth cuts off over the neighbouring pixels (Floyd-Steinberg) instead "
                        "of cutting each pixel")},
    };
}

FieldHelp PictureIn(const QString& text)
{
    return {QStringLiteral("in"), QString(),
            QStringLiteral("a PNG, JPEG, BMP, GIF, WebP, TIFF, SVG or PBM/PGM/PPM file of at most 256 MB"), text};
}

const QHash<QString, CommandHelp>& HelpTable()
{
    static const QHash<QString, CommandHelp> table = {
        {QStringLiteral("set-background-color"), {{}, QStringLiteral("--bg 000080 set-background-color")}},
        {QStringLiteral("clear-screen"), {{}, QStringLiteral("clear-screen")}},
        {QStringLiteral("get-device-info"),
         {{{QStringLiteral("repeat"), QString(), QString(),
            QStringLiteral("also show the information on the module's display")}},
          QStringLiteral("get-device-info --repeat")}},
        {QStringLiteral("oled-control-functions"),
         {{{QStringLiteral("contrast"), QString(), QStringLiteral("0 to 15"),
            QStringLiteral("the contrast sent with --function=1")},
           {QStringLiteral("function"), QStringLiteral("F"), QString(),
            QStringLiteral("0 switches the display on or off, 1 sets the contrast, 2 switches the power on or off")},
           {QStringLiteral("display-off"), QString(), QString(),
            QStringLiteral("with --function=0: switch the display off instead of on")},
           {QStringLiteral("power-off"), QString(), QString(),
            QStringLiteral("with --function=2: switch the power off instead of on")}},
          QStringLiteral("oled-control-functions 12 --function=1")}},

        {QStringLiteral("set-pixel"), {FirstPoint(QStringLiteral("the pixel")), QStringLiteral("set-pixel 95 63")}},
        {QStringLiteral("draw-line"),
         {NumberedPoints(2, QStringLiteral("end")), QStringLiteral("draw-line 0 0 95 63")}},
        {QStringLiteral("draw-rectangle"),
         {NumberedPoints(2, QStringLiteral("corner")), QStringLiteral("draw-rectangle 10 10 40 30")}},
        {QStringLiteral("draw-triangle"),
         {NumberedPoints(3, QStringLiteral("corner")), QStringLiteral("draw-triangle 10 60 30 40 50 60")}},
        {QStringLiteral("draw-circle"),
         {FirstPoint(QStringLiteral("the centre"))
              + QVector<FieldHelp>{{QStringLiteral("radius"), QString(), kByte, QStringLiteral("the radius")}},
          QStringLiteral("draw-circle 48 32 20")}},
        {QStringLiteral("draw-polygon"),
         {NumberedPoints(7, QStringLiteral("point"))
              + QVector<FieldHelp>{{QStringLiteral("vertices"), QStringLiteral("N"), QString(),
                                    QStringLiteral("how many of the seven points make the polygon; all seven are "
                                                   "checked against the panel")}},
          QStringLiteral("draw-polygon 10 10 80 10 45 60 0 0 0 0 0 0 0 0 --vertices=3")}},
        {QStringLiteral("set-wireframe-mode"), {{}, QStringLiteral("set-wireframe-mode")}},
        {QStringLiteral("set-solid-mode"), {{}, QStringLiteral("set-solid-mode")}},
        {QStringLiteral("read-pixel"), {FirstPoint(QStringLiteral("the pixel")), QStringLiteral("read-pixel 3 4")}},

        {QStringLiteral("print-character"),
         {TextPoint(QStringLiteral("the character"), true)
              + QVector<FieldHelp>{
                  {QStringLiteral("character"), QString(),
                   QStringLiteral("one character; it goes out as its low seven bits"),
                   QStringLiteral("the character (only the first one of the text counts)")},
                  {QStringLiteral("formatted"), QString(), QString(),
                   QStringLiteral("X and Y are a text column and row instead of pixels")}},
          QStringLiteral("print-character 2 3 A --formatted")}},
        {QStringLiteral("print-text-string"),
         {TextBox(QStringLiteral("formatted"),
                  QStringLiteral("X and Y are a text column and row; the size factors are not sent")),
          QStringLiteral("print-text-string 0 20 1 1 'Hello, world' --font=2")}},
        {QStringLiteral("text-button"),
         {TextBox(QStringLiteral("button-down"), QStringLiteral("draw the button pressed instead of released")),
          QStringLiteral("--bg 0000FF text-button 10 40 1 1 OK --button-down")}},
        {QStringLiteral("set-font"),
         {{{QStringLiteral("font"), QStringLiteral("N"), QString(),
            QStringLiteral("the font: its number, or its size as the button shows it (8x12)")}},
          QStringLiteral("set-font 8x12")}},
        {QStringLiteral("set-font-mode"),
         {{{QStringLiteral("mode"), QStringLiteral("N"), QString(),
            QStringLiteral("transparent draws only the characters, opaque their background too")}},
          QStringLiteral("set-font-mode opaque")}},

        {QStringLiteral("add-user-char"),
         {QVector<FieldHelp>{{QStringLiteral("number"), QStringLiteral("N"), QStringLiteral("0 to 31"),
                              QStringLiteral("the user character to define"), QStringLiteral("0")}}
              + [] {
                    QVector<FieldHelp> rows;
                    for (int y = 0; y < 8; ++y)
                        rows.push_back(
                            {QStringLiteral("row%1").arg(y), QString(),
                             QStringLiteral("a byte, or 8 cells of # (set) and . (clear)"),
                             y == 0 ? QStringLiteral("row 0, the top row; or all eight rows as one word of 8 "
                                                     "lines")
                                    : QStringLiteral("row %1").arg(y)});
                    return rows;
                }(),
          QStringLiteral("add-user-char 1 '..#..#..' '.######.' '########' '########' '.######.' '..####..' "
                         "'...##...' '........'")}},
        {QStringLiteral("display-user-char"),
         {FirstPoint(QStringLiteral("the character's top left corner"))
              + QVector<FieldHelp>{{QStringLiteral("number"), QStringLiteral("N"), kByte,
                                    QStringLiteral("the user character to draw")}},
          QStringLiteral("display-user-char 44 44 1")}},
        {QStringLiteral("copy-area"),
         {{{QStringLiteral("src-x"), QString(), kX, QStringLiteral("column of the area's top left corner"),
            kRemembered},
           {QStringLiteral("src-y"), QString(), kY, QStringLiteral("row of the area's top left corner"), kRemembered},
           {QStringLiteral("width"), QString(), kByte, QStringLiteral("width of the area")},
           {QStringLiteral("height"), QString(), kByte, QStringLiteral("height of the area")},
           {QStringLiteral("dst-x"), QString(), kX, QStringLiteral("column it is copied to"), kRemembered},
           {QStringLiteral("dst-y"), QString(), kY, QStringLiteral("row it is copied to"), kRemembered}},
          QStringLiteral("copy-area 0 0 16 16 48 32")}},

        {QStringLiteral("rotate-display"),
         {{{QStringLiteral("orientation"), QStringLiteral("N"), QString(),
            QStringLiteral("0 normal, 1 upside down")}},
          QStringLiteral("rotate-display --orientation=1")}},
        {QStringLiteral("dim-area"),
         {FirstPoint(QStringLiteral("the area's top left corner"))
              + QVector<FieldHelp>{{QStringLiteral("width"), QString(), kByte, QStringLiteral("width of the area")},
                                   {QStringLiteral("height"), QString(), kByte,
                                    QStringLiteral("height of the area")}},
          QStringLiteral("dim-area 0 0 48 32")}},
        {QStringLiteral("scroll-control"),
         {{{QStringLiteral("speed"), QString(), kByte, QStringLiteral("scrolling speed, sent with --function=1")},
           {QStringLiteral("horizontal-step"), QStringLiteral("H-STEP"), kByte,
            QStringLiteral("columns per step, sent with --function=2")},
           {QStringLiteral("start-row"), QString(), kByte, QStringLiteral("first row that scrolls, sent with --function=3")},
           {QStringLiteral("row-count"), QStringLiteral("ROWS"), kByte,
            QStringLiteral("how many rows scroll, sent with --function=4")},
           {QStringLiteral("vertical-step"), QStringLiteral("V-STEP"), kByte, QStringLiteral("rows per step, sent with --function=5")},
           {QStringLiteral("function"), QStringLiteral("F"), QString(),
            QStringLiteral("the setting sent: 0 scrolling on or off (--enable), 1 speed, 2 horizontal step, 3 start "
                           "row, 4 row count, 5 vertical step")},
           {QStringLiteral("enable"), QString(), QString(),
            QStringLiteral("with --function=0: 1 starts scrolling, 0 stops it")}},
          QStringLiteral("scroll-control 3 --function=1")}},
        {QStringLiteral("write-command"),
         {{{QStringLiteral("command"), QStringLiteral("BYTE"), kByte,
            QStringLiteral("the command byte for the display controller")}},
          QStringLiteral("write-command 164")}},

        {QStringLiteral("show-bitmap"),
         {CardFileAt(QStringLiteral("the Windows bitmap file on the card")), QStringLiteral("show-bitmap LOGO.BMP 0 0")}},
        {QStringLiteral("show-image"),
         {CardFileAt(QStringLiteral("the image data file on the card")), QStringLiteral("show-image PHOTO.DAT 0 0")}},
        {QStringLiteral("slideshow"),
         {CardFileAt(QStringLiteral("the slideshow data file on the card"))
              + QVector<FieldHelp>{{QStringLiteral("delay"), QStringLiteral("MS"), QStringLiteral("0 to 65535"),
                                    QStringLiteral("milliseconds each picture stays")}},
          QStringLiteral("slideshow SHOW.DAT 0 0 2000")}},
        {QStringLiteral("print-screen"),
         {CardFile(QStringLiteral("the bitmap file the screen is saved to")), QStringLiteral("print-screen SCREEN.BMP")}},
        {QStringLiteral("load-binary"),
         {CardFile(QStringLiteral("the program file on the card")), QStringLiteral("load-binary PROG.BIN")}},
        {QStringLiteral("load-norvel"), {{}, QStringLiteral("load-norvel")}},
        {QStringLiteral("ymodem-session"), {{}, QStringLiteral("ymodem-session")}},
        {QStringLiteral("view-directory"), {{}, QStringLiteral("view-directory")}},
        {QStringLiteral("open-file-to-write"),
         {CardFile(QStringLiteral("the card file to write (made or emptied)")),
          QStringLiteral("open-file-to-write NOTE.TXT")}},
        {QStringLiteral("write-to-file"),
         {{{QStringLiteral("text"), QString(), QStringLiteral("up to 255 characters"),
            QStringLiteral("the text written to the file open for writing")}},
          QStringLiteral("write-to-file 'Hello, card'")}},
        {QStringLiteral("open-file-to-read"),
         {CardFile(QStringLiteral("the card file to read")), QStringLiteral("open-file-to-read NOTE.TXT")}},
        {QStringLiteral("read-from-file"),
         {{{QStringLiteral("count"), QString(), QStringLiteral("0 to 255"),
            QStringLiteral("how many bytes to read; the file's end stops earlier")}},
          QStringLiteral("read-from-file 255")}},
        {QStringLiteral("close-file"), {{}, QStringLiteral("close-file")}},
        {QStringLiteral("erase-file"),
         {CardFile(QStringLiteral("the card file to erase")), QStringLiteral("erase-file NOTE.TXT")}},

        {QStringLiteral("display-image"),
         {QVector<FieldHelp>{PictureIn(QStringLiteral("the picture file"))}
              + FirstPoint(QStringLiteral("the picture's top left corner")) + PictureOptions(),
          QStringLiteral("display-image photo.jpg 0 0 --maximize --depth=8 --dither")}},
        {QStringLiteral("convert"),
         {QVector<FieldHelp>{PictureIn(QStringLiteral("the picture file")),
                             {QStringLiteral("out"), QStringLiteral("OUT.dat"), QString(),
                              QStringLiteral("the image data file written (for show-image)")}}
              + PictureOptions(),
          QStringLiteral("convert photo.jpg PHOTO.DAT --resize=48x32")}},
        {QStringLiteral("save-bmp"),
         {QVector<FieldHelp>{PictureIn(QStringLiteral("the picture file")),
                             {QStringLiteral("out"), QStringLiteral("OUT.bmp"), QString(),
                              QStringLiteral("the 24-bit BMP file written")},
                             {QStringLiteral("as-module"), QString(), QString(),
                              QStringLiteral("save the picture converted, in the colours the module shows; "
                                             "without it, the picture as opened")}}
              + PictureOptions(),
          QStringLiteral("save-bmp photo.jpg preview.bmp --as-module --depth=8 --dither")}},
        {QStringLiteral("build-slideshow"),
         {QVector<FieldHelp>{{QStringLiteral("out"), QStringLiteral("OUT.dat"), QString(),
                              QStringLiteral("the slideshow data file written (for slideshow)")},
                             PictureIn(QStringLiteral("the pictures, in any order: they are sorted by their full "
                                                      "path, letter case ignored"))}
              + PictureOptions(),
          QStringLiteral("build-slideshow SHOW.DAT holiday/*.jpg --maximize")}},
    };
    return table;
}

} // namespace

const CommandHelp& HelpOf(const CommandInfo& command)
{
    static const CommandHelp none;
    const auto& table = HelpTable();
    const auto found = table.find(CliName(command.caption));
    return found == table.end() ? none : found.value();
}

QVector<FieldDescription> DescribeFields(const CommandInfo& command)
{
    QVector<FieldDescription> described;
    for (const ArgumentField& field : CommandArgumentFields(command)) {
        const FieldHelp* help = FindFieldHelp(command, field.name);
        const QString metavar = FieldMetavar(command, field);
        FieldDescription description;
        description.required = field.required;
        description.text = help ? help->text : QString();
        // A dialog's own text is shown as typed, in quotes unless a number.
        bool number = false;
        field.defaultText.toInt(&number);
        description.defaultValue = help && !help->defaultText.isEmpty() ? help->defaultText
            : field.defaultText.isEmpty()                               ? QStringLiteral("empty")
            : number                                                    ? field.defaultText
                                                                        : QuotedWord(field.defaultText);
        switch (field.kind) {
        case ArgumentField::Kind::Text:
            description.label = field.repeats ? metavar + QStringLiteral("...") : metavar;
            description.values = !field.choices.isEmpty() ? ChoicesText(field.choices)
                : help && !help->range.isEmpty()          ? help->range
                                                          : QStringLiteral("any text");
            break;
        case ArgumentField::Kind::CheckBox:
            description.label = QStringLiteral("--") + field.name;
            description.values = QStringLiteral("0 or 1 (--%1 alone is 1)").arg(field.name);
            break;
        case ArgumentField::Kind::Choice:
        case ArgumentField::Kind::Value:
            description.label = QStringLiteral("--%1=%2").arg(field.name, metavar);
            description.values = field.choices.isEmpty() ? (help ? help->range : QString())
                                                         : ChoicesText(field.choices);
            break;
        }
        if (field.required)
            description.defaultValue = QStringLiteral("none (it must be given)");
        described.push_back(description);
    }
    return described;
}

const FieldHelp* FindFieldHelp(const CommandInfo& command, const QString& fieldName)
{
    for (const FieldHelp& field : HelpOf(command).fields)
        if (field.name == fieldName)
            return &field;
    return nullptr;
}

} // namespace tavrel
