// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/Script.h"

#include "commands/script/CommandArguments.h"
#include "commands/script/ScriptWords.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace tavrel {

namespace {

const QString kRunCommand = QStringLiteral("run");

// The words of tavrel-cli's own command line that make no sense inside a
// script, whose port is opened once for all of it.
bool IsToolOnlyOption(const QString& word)
{
    for (const char* option : {"--port", "--baud", "--trace", "--help", "--version", "--keep-going"})
        if (word == QLatin1String(option) || word.startsWith(QLatin1String(option) + QLatin1Char('=')))
            return true;
    return false;
}

bool ParseWait(const QStringList& words, int& ms, QString& error)
{
    if (words.size() != 2) {
        error = QStringLiteral("wait takes one number of milliseconds, e.g. wait 500");
        return false;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const qlonglong value = digits.match(words.at(1)).hasMatch() ? words.at(1).toLongLong(&ok) : -1;
    if (!ok || value < 0 || value > kLongestWaitMs) {
        error = QStringLiteral("wait takes a whole number of milliseconds from 0 to %1, not \"%2\"")
                    .arg(kLongestWaitMs)
                    .arg(words.at(1));
        return false;
    }
    ms = int(value);
    return true;
}

bool ParseColourLine(const QStringList& words, HostColour& colour, QString& error)
{
    if (words.size() != 2 || !ParseColourArgument(words.at(1), colour)) {
        error = QStringLiteral("%1 takes one colour as RRGGBB, e.g. %1 FF8000").arg(words.first());
        return false;
    }
    return true;
}

// --fg and --bg before the command: that command's colours.
bool TakeLineColours(QStringList& words, ScriptStep& step, QString& error)
{
    while (!words.isEmpty() && words.first().startsWith(QLatin1String("--"))) {
        const QString option = words.first();
        if (IsToolOnlyOption(option)) {
            error = QStringLiteral("%1 belongs on tavrel-cli's own command line, before run").arg(option);
            return false;
        }
        if (option != QLatin1String("--fg") && option != QLatin1String("--bg")) {
            error = QStringLiteral("unknown option %1").arg(option);
            return false;
        }
        if (words.size() < 2) {
            error = QStringLiteral("%1 needs a value").arg(option);
            return false;
        }
        HostColour colour = 0;
        if (!ParseColourArgument(words.at(1), colour)) {
            error = QStringLiteral("%1 takes a colour as RRGGBB, not %2").arg(option, words.at(1));
            return false;
        }
        (option == QLatin1String("--fg") ? step.lineForeground : step.lineBackground) = colour;
        words.removeFirst();
        words.removeFirst();
    }
    return true;
}

} // namespace

bool ParseColourArgument(const QString& text, HostColour& colour)
{
    static const QRegularExpression pattern(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const uint rgb = match.captured(1).toUInt(nullptr, 16);
    colour = MakeHostColour(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    return true;
}

QString ColourArgument(HostColour colour)
{
    const uint rgb = (uint(RedOf(colour)) << 16) | (uint(GreenOf(colour)) << 8) | uint(BlueOf(colour));
    return QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

bool Script::needsPort() const
{
    for (const ScriptStep& step : steps)
        if (step.kind == ScriptStep::Kind::Command && !step.command->needsNoPort)
            return true;
    return false;
}

QString ScriptError::text() const
{
    return QStringLiteral("line %1: %2").arg(line).arg(message);
}

bool ParseScriptLine(const QString& line, ScriptStep& step, QString& error)
{
    QStringList words;
    if (!SplitScriptWords(line, words, error))
        return false;
    step.words = words;
    if (words.isEmpty())
        return true;
    const QString& first = words.first();
    if (first == kForegroundColourLine || first == kBackgroundColourLine) {
        step.kind = first == kForegroundColourLine ? ScriptStep::Kind::ForegroundColour
                                                   : ScriptStep::Kind::BackgroundColour;
        return ParseColourLine(words, step.colour, error);
    }
    if (first == kWaitLine) {
        step.kind = ScriptStep::Kind::Wait;
        return ParseWait(words, step.waitMs, error);
    }
    step.kind = ScriptStep::Kind::Command;
    if (!TakeLineColours(words, step, error))
        return false;
    if (words.isEmpty()) {
        error = QStringLiteral("a command is missing after the colours");
        return false;
    }
    const QString name = words.takeFirst();
    if (name == kRunCommand) {
        error = QStringLiteral("a script cannot run another script");
        return false;
    }
    step.command = FindCommandByCliName(name);
    if (!step.command) {
        error = QStringLiteral("unknown command %1 (tavrel-cli --help lists them)").arg(name);
        return false;
    }
    step.arguments = words;
    const QString problem = ArgumentProblem(*step.command, words);
    if (!problem.isEmpty()) {
        error = name + QStringLiteral(": ") + problem;
        return false;
    }
    return true;
}

bool ParseScript(const QByteArray& text, Script& script, ScriptError& error)
{
    script = Script();
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray bytes = lines.at(i);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(bytes);
        error.line = i + 1;
        if (decoder.hasError()) {
            error.message = QStringLiteral("not UTF-8 text");
            return false;
        }
        ScriptStep step;
        step.line = i + 1;
        if (!ParseScriptLine(line, step, error.message))
            return false;
        if (!step.words.isEmpty())
            script.steps.push_back(step);
    }
    error = ScriptError();
    return true;
}

} // namespace tavrel
