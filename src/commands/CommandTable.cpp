#include "commands/CommandTable.h"

#include "link/PixelCommands.h"

namespace tavrel {

QString CliName(const QString& caption)
{
    return caption.simplified().toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

const QVector<CommandInfo>& AllCommands()
{
    static const QVector<CommandInfo> commands = {
        {QStringLiteral("Set Pixel"), QStringLiteral("X Y"),
         QStringLiteral("draw one pixel in the foreground colour"), SetPixel},
        {QStringLiteral("Read Pixel"), QStringLiteral("X Y"),
         QStringLiteral("read a pixel back; it becomes the foreground colour"), ReadPixel},
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
