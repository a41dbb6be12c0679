// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/Script.h"

#include "commands/script/CommandArguments.h"
#include "commands/script/ScriptWords.h"
#include "imaging/PictureFileOpen.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cstdio>

namespace tavrel {

namespace {

const QString kRunCommand = QStringLiteral("run");

// The words of tavrel-cli's own command line that make no sense inside a
// script, whose port is opened once for all of it.
bool IsToolOnlyOption(const QString& word)
{
    if (!word.startsWith(QLatin1String("--")))
        return false;
    const QString name = word.mid(2).section(QLatin1Char('='), 0, 0);
    return name == QLatin1String("help") || name == QLatin1String("keep-going")
        || (IsToolOption(name) && name != QLatin1String("fg") && name != QLatin1String("bg"));
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
        error = QStringLiteral("wait takes a whole number of milliseconds from 0 to %1, not %2")
                    .arg(kLongestWaitMs)
                    .arg(QuotedWord(words.at(1)));
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

// --fg and --bg before the command: that command's colours, as
// --fg RRGGBB or --fg=RRGGBB.
bool TakeLineColours(QStringList& words, ScriptStep& step, QString& error)
{
    while (!words.isEmpty() && words.first().startsWith(QLatin1String("--"))) {
        const QString word = words.takeFirst();
        if (IsToolOnlyOption(word)) {
            error = QStringLiteral("%1 belongs on tavrel-cli's own command line, before run").arg(QuotedWord(word));
            return false;
        }
        const int equals = word.indexOf(QLatin1Char('='));
        const QString option = word.left(equals);
        if (option != QLatin1String("--fg") && option != QLatin1String("--bg")) {
            error = QStringLiteral("unknown option %1 before the command").arg(QuotedWord(word));
            return false;
        }
        if (equals < 0 && words.isEmpty()) {
            error = QStringLiteral("%1 needs a value").arg(option);
            return false;
        }
        const QString value = equals < 0 ? words.takeFirst() : word.mid(equals + 1);
        HostColour colour = 0;
        if (!ParseColourArgument(value, colour)) {
            error = QStringLiteral("%1 takes a colour as RRGGBB, not %2").arg(option, QuotedWord(value));
            return false;
        }
        (option == QLatin1String("--fg") ? step.lineForeground : step.lineBackground) = colour;
    }
    return true;
}

// Opens a script file for reading when it is a regular file; a pipe or a
// device is refused from what the file system says, without opening it.
bool OpenScriptFile(const QString& path, QFile& file, ScriptError& error)
{
    error.kind = ScriptError::Kind::Unreadable;
    const PictureFileCheck check = OpenPictureFile(path, kLargestScript, file);
    switch (check.problem) {
    case PictureFileProblem::None:
        return true;
    case PictureFileProblem::NotRegularFile:
        error.message = QStringLiteral("cannot read %1: it is %2, not a regular file")
                            .arg(QuotedWord(path), check.kind);
        return false;
    case PictureFileProblem::TooLarge:
        error.message = QStringLiteral("cannot read %1: it has %2 bytes, and a script may have at most %3 MiB")
                            .arg(QuotedWord(path))
                            .arg(check.size)
                            .arg(kLargestScript / (1024 * 1024));
        return false;
    case PictureFileProblem::Unreadable:
        break;
    }
    // An empty file is an empty script; anything else is named.
    const QFileInfo info(path);
    if (info.isFile() && info.isReadable() && info.size() == 0)
        return true;
    error.message = QStringLiteral("cannot read %1: %2")
                        .arg(QuotedWord(path),
                             !info.exists()      ? QStringLiteral("no such file")
                             : !info.isReadable() ? QStringLiteral("permission denied")
                                                  : QStringLiteral("it cannot be read"));
    return false;
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

ScriptStep Script::step(int index) const
{
    const Line& line = m_lines.at(index);
    const qint32 end = index + 1 < m_lines.size() ? m_lines.at(index + 1).start : qint32(m_text.size());
    ScriptStep step;
    step.line = line.number;
    QString error;
    // It parsed when it was read, and parses the same way again.
    ParseScriptLine(QString::fromUtf8(m_text.constData() + line.start, end - line.start), step, error);
    return step;
}

void Script::append(int lineNumber, const QString& line, const ScriptStep& step)
{
    m_lines.push_back({lineNumber, qint32(m_text.size())});
    m_text += line.toUtf8();
    m_needsPort = m_needsPort || (step.kind == ScriptStep::Kind::Command && !step.command->needsNoPort);
}

QString ScriptError::text() const
{
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(message) : message;
}

namespace {

// ParseScriptLine, which also hands over the checked words of a command.
bool ParseLine(const QString& line, ScriptStep& step, QString& error, ParsedCommand& parsed)
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
        QStringList names{kForegroundColourLine, kBackgroundColourLine, kWaitLine};
        for (const CommandInfo& command : AllCommands())
            names << CliName(command.caption);
        error = QStringLiteral("unknown command %1").arg(QuotedWord(name));
        const QString nearest = NearestName(name, names);
        if (!nearest.isEmpty())
            error += QStringLiteral(" (did you mean %1?)").arg(nearest);
        return false;
    }
    step.arguments = words;
    QString problem;
    if (!CheckCommandWords(*step.command, words, parsed, problem)) {
        error = name + QStringLiteral(": ") + problem;
        return false;
    }
    if (parsed.helpAsked) {
        error = name + QStringLiteral(": --help shows the command's help on tavrel-cli's command line; a script "
                                      "line cannot ask for it");
        return false;
    }
    return true;
}

// The lines of a device, read in blocks. A line may hold any byte, a 0
// byte too (a FILE-based readLine would end it there and lose the rest); a
// line longer than `cut` bytes comes back cut there, so that the caller
// sees it is too long without holding all of it.
class LineReader {
public:
    LineReader(QIODevice& device, qsizetype cut)
        : m_device(device)
        , m_cut(cut)
    {
    }

    // The next line with its line break; empty at the end.
    QByteArray next()
    {
        for (;;) {
            const qsizetype newline = m_buffer.indexOf('\n', m_start);
            if (newline >= 0 && newline - m_start < m_cut)
                return take(newline + 1 - m_start);
            if (m_buffer.size() - m_start >= m_cut)
                return take(m_cut);
            if (m_atEnd)
                return take(m_buffer.size() - m_start);
            m_buffer.remove(0, m_start);
            m_start = 0;
            const QByteArray block = m_device.read(kBlock);
            if (block.isEmpty())
                m_atEnd = true;
            m_buffer += block;
        }
    }

private:
    static constexpr qint64 kBlock = 64 * 1024;

    QByteArray take(qsizetype size)
    {
        const QByteArray line = m_buffer.mid(m_start, size);
        m_start += size;
        return line;
    }

    QIODevice& m_device;
    const qsizetype m_cut;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    bool m_atEnd = false;
};

} // namespace

bool ParseScriptLine(const QString& line, ScriptStep& step, QString& error)
{
    ParsedCommand parsed;
    return ParseLine(line, step, error, parsed);
}

bool ReadScript(QIODevice& device, Script& script, ScriptError& error, const ScriptReadOptions& options)
{
    script = Script();
    CommandRehearsal rehearsal;
    qint64 total = 0;
    // One byte more than a line may have, and its line break, tells a line
    // that is too long.
    LineReader lines(device, kLongestScriptLine + 2);
    for (int number = 1;; ++number) {
        QByteArray bytes = lines.next();
        if (bytes.isEmpty())
            break;
        error = ScriptError();
        error.line = number;
        total += bytes.size();
        if (total > kLargestScript) {
            error.kind = ScriptError::Kind::Unreadable;
            error.message = QStringLiteral("the script goes on past %1 MiB, the most a script may have")
                                .arg(kLargestScript / (1024 * 1024));
            return false;
        }
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.size() > kLongestScriptLine) {
            error.kind = ScriptError::Kind::Unreadable;
            error.message = QStringLiteral("the line is longer than %1 bytes, the most a line may have")
                                .arg(kLongestScriptLine);
            return false;
        }
        // A byte-order mark at the very start is how some editors mark UTF-8.
        if (number == 1 && bytes.startsWith("\xef\xbb\xbf"))
            bytes.remove(0, 3);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(bytes);
        if (decoder.hasError() || bytes.contains('\0')) {
            error.message = QStringLiteral("not UTF-8 text");
            return false;
        }
        ScriptStep step;
        step.line = number;
        ParsedCommand parsed;
        if (!ParseLine(line, step, error.message, parsed)) {
            if (error.message.startsWith(QLatin1String("unknown command")) && !options.commandsHint.isEmpty())
                error.message += QLatin1Char(' ') + options.commandsHint;
            return false;
        }
        if (step.words.isEmpty())
            continue;
        if (step.kind == ScriptStep::Kind::Command) {
            const QString refusal = rehearsal.refusal(*step.command, parsed.arguments);
            if (!refusal.isEmpty() && options.refusalsFail) {
                error.kind = ScriptError::Kind::Refusal;
                error.message = CliName(step.command->caption) + QStringLiteral(": ") + refusal;
                return false;
            }
        }
        script.append(number, line, step);
    }
    error = ScriptError();
    return true;
}

bool ParseScript(const QByteArray& text, Script& script, ScriptError& error, const ScriptReadOptions& options)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return ReadScript(buffer, script, error, options);
}

bool ReadScriptFile(const QString& path, Script& script, ScriptError& error, const ScriptReadOptions& options)
{
    QFile file;
    if (path == QLatin1String("-")) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            error.kind = ScriptError::Kind::Unreadable;
            error.message = QStringLiteral("cannot read standard input: ") + file.errorString();
            return false;
        }
    } else if (!OpenScriptFile(path, file, error)) {
        return false;
    }
    if (!file.isOpen())
        return ParseScript(QByteArray(), script, error, options);
    if (!ReadScript(file, script, error, options))
        return false;
    if (file.error() != QFileDevice::NoError) {
        error.kind = ScriptError::Kind::Unreadable;
        error.message = QStringLiteral("cannot read %1: %2").arg(QuotedWord(path), file.errorString());
        return false;
    }
    return true;
}

} // namespace tavrel
