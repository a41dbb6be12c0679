#include "commands/CommandTable.h"

#include "link/PixelCommands.h"

namespace tavrel {

QString CliName(const QString& caption)
{
    return caption.simplified().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

const QVector<CommandInfo>& AllCommands()
{
    // One row per button, in the order of the panel's groups.
    static const QVector<CommandInfo> commands = {
        // General Functions

        // Basic Drawing
        {QStringLiteral("Set Pixel"), QStringLiteral("X Y"), QString(),
         QStringLiteral("draw one pixel in the foreground colour"), SetPixel},
        {QStringLiteral("Read Pixel"), QStringLiteral("X Y"), QString(),
         QStringLiteral("read a pixel back; it becomes the foreground colour"), ReadPixel},

        // Text Functions

        // Bitmap Functions

        // Display Specific Commands

        // SD Card Commands

        // Pictures (no button of their own)
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

} // namespace tavrel
