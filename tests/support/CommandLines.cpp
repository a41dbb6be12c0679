// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CommandLines.h"

#include "commands/CommandTable.h"
#include "commands/script/CommandGrammar.h"

namespace tavrel::testing {

namespace {

using Kind = ArgumentField::Kind;

// A value a field takes: the last of its choices (so not its default), a
// size for --resize, a file name for a picture command's files, else 1.
QString SampleValue(const ArgumentField& field)
{
    if (!field.choices.isEmpty())
        return field.choices.last().section(QStringLiteral(": "), 0, 0);
    if (field.name == QLatin1String("resize"))
        return QStringLiteral("8x8");
    if (field.name == QLatin1String("in"))
        return QStringLiteral("in.png");
    if (field.name == QLatin1String("out"))
        return QStringLiteral("out.dat");
    return QStringLiteral("1");
}

// The command with its required words, which makes a valid line.
QStringList BaseLine(const CommandInfo& command)
{
    QStringList words{CliName(command.caption)};
    for (const ArgumentField& field : CommandArgumentFields(command))
        if (field.kind == Kind::Text && field.required)
            words << SampleValue(field);
    return words;
}

// The name with two letters swapped (or, when short, a letter added).
QString Misspelled(const QString& name)
{
    QString slip = name;
    if (slip.size() >= 4)
        std::swap(slip[1], slip[2]);
    else
        slip += QLatin1Char('s');
    return slip;
}

} // namespace

QVector<RefusedLine> RefusedLines()
{
    QVector<RefusedLine> lines = {
        {QStringLiteral("typo"), {"print-text-string", "1", "2", "1", "1", "AB", "--fromatted"}, "--fromatted"},
        {QStringLiteral("text that looks like an option"), {"print-text-string", "1", "2", "1", "1", "--x"}, "--x"},
        {QStringLiteral("colour after the command"), {"set-pixel", "1", "2", "--fg=FF0000"}, "--fg=FF0000"},
        {QStringLiteral("third coordinate"), {"set-pixel", "1", "2", "3"}, "\"3\""},
        {QStringLiteral("word after the font"), {"set-font", "3", "extra"}, "\"extra\""},
        {QStringLiteral("single dash"), {"print-character", "1", "2", "A", "-formatted"}, "-formatted"},
        {QStringLiteral("fields by name"), {"set-pixel", "x=1", "y=2"}, "\"x=1\""},
        {QStringLiteral("option without dashes"), {"print-text-string", "1", "2", "1", "1", "AB", "font=2"}, "\"font=2\""},
        {QStringLiteral("check box before a 0"), {"scroll-control", "--enable", "0"}, "--enable 0"},
    };
    for (const CommandInfo& command : AllCommands()) {
        const QString name = CliName(command.caption);
        const QStringList base = BaseLine(command);
        const QVector<ArgumentField>& fields = CommandArgumentFields(command);
        // Every text field given, and one word more (unless the last takes
        // every word left).
        bool repeats = false;
        for (const ArgumentField& field : fields)
            repeats = repeats || field.repeats;
        if (!repeats) {
            QStringList full{name};
            for (const ArgumentField& field : fields)
                if (field.kind == Kind::Text && !field.repeats)
                    full << SampleValue(field);
            lines.push_back({name + QStringLiteral(" extra word"), full << QStringLiteral("7"), QStringLiteral("\"7\"")});
        }
        lines.push_back({name + QStringLiteral(" unknown option"), base + QStringList{"--bogus"}, "--bogus"});
        lines.push_back({name + QStringLiteral(" port after the command"), base + QStringList{"--port", "emulator"},
                         "--port"});
        for (const ArgumentField& field : fields) {
            if (field.kind == Kind::Text)
                continue;
            const QString option = QStringLiteral("--") + field.name;
            const QString given = QStringLiteral("%1=%2").arg(option, SampleValue(field));
            const QString row = name + QLatin1Char(' ') + option;
            lines.push_back({row + QStringLiteral(" twice"), base + QStringList{given, given}, option});
            const QString slip = QStringLiteral("--") + Misspelled(field.name);
            lines.push_back({row + QStringLiteral(" misspelled"), base + QStringList{slip}, slip});
            if (field.kind == Kind::CheckBox)
                lines.push_back({row + QStringLiteral("=2"), base + QStringList{option + QStringLiteral("=2")}, "\"2\""});
            else
                lines.push_back({row + QStringLiteral(" without its value"), base + QStringList{option}, option});
        }
    }
    return lines;
}

QVector<SameLines> EquivalentLines()
{
    QVector<SameLines> lines;
    for (const CommandInfo& command : AllCommands()) {
        // The picture commands read files; the rest send.
        if (command.runArguments)
            continue;
        const QStringList base = BaseLine(command);
        for (const ArgumentField& field : CommandArgumentFields(command)) {
            if (field.kind == Kind::Text)
                continue;
            const QString option = QStringLiteral("--") + field.name;
            const QString value = SampleValue(field);
            lines.push_back({base.first() + QLatin1Char(' ') + option,
                             base + QStringList{QStringLiteral("%1=%2").arg(option, value)},
                             field.kind == Kind::CheckBox ? base + QStringList{option} : base + QStringList{option, value}});
            // Left out, it is what the dialog starts with.
            lines.push_back({base.first() + QLatin1Char(' ') + option + QStringLiteral(" left out"), base,
                             base + QStringList{QStringLiteral("%1=%2").arg(option, field.defaultText)}});
        }
    }
    return lines;
}

} // namespace tavrel::testing
