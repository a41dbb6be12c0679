// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/ScriptRecorder.h"

#include "commands/TextCommands.h"
#include "commands/UserCharacter.h"
#include "commands/script/CommandGrammar.h"
#include "commands/script/Script.h"
#include "commands/script/ScriptWords.h"
#include "link/ParseDecimal.h"

#include <QDateTime>
#include <QFile>

namespace tavrel {

namespace {

// A row byte as the command line's picture of eight cells.
QString RowPicture(quint8 row)
{
    QString cells;
    for (int x = 0; x < kUserCharSize; ++x)
        cells += (row & (0x80u >> x)) ? QLatin1Char('#') : QLatin1Char('.');
    return cells;
}

// Text fields are positional; choice fields become options. A field that is
// neither (a heading shown in the dialog) is not the user's entry.
void SplitFields(const DialogRequest& request, QStringList& positional, QStringList& options)
{
    for (const DialogField& field : request.fields) {
        if (field.positional)
            positional << field.value;
        else if (!field.choices.isEmpty())
            options << (field.checkBox && field.value == QLatin1String("1")
                            ? QStringLiteral("--") + field.name
                            : QStringLiteral("--%1=%2").arg(field.name, field.value));
    }
}

bool PictureWords(const DialogRequest& request, QStringList& positional, QStringList& options, QString& whyNot)
{
    const QString file = request.value(kPictureFileField);
    if (file.isEmpty()) {
        whyNot = QStringLiteral("the picture sent was not converted straight from a picture file "
                                "(the placeholder, a picture pasted from the clipboard, or a file changed "
                                "since it was opened)");
        return false;
    }
    positional << file << request.value(QStringLiteral("x")) << request.value(QStringLiteral("y"));
    const QString resize = request.value(kPictureResizeField);
    if (resize == QLatin1String("maximize"))
        options << QStringLiteral("--maximize");
    else if (resize.contains(QLatin1Char('x')))
        options << QStringLiteral("--resize=") + resize;
    if (request.value(QStringLiteral("depth")) == QLatin1String("8"))
        options << QStringLiteral("--depth=8");
    if (request.value(QStringLiteral("dither")) == QLatin1String("1"))
        options << QStringLiteral("--dither");
    return true;
}

// A word a line can hold: no 0 (a shell ends a word there) and no half of a
// surrogate pair (which has no UTF-8 form).
bool Writable(const QString& word)
{
    for (int i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c.unicode() == 0)
            return false;
        if (c.isHighSurrogate() && i + 1 < word.size() && word.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

void UserCharacterWords(const DialogRequest& request, QStringList& positional)
{
    positional << request.value(TextField::kNumber);
    for (int y = 0; y < kUserCharSize; ++y)
        positional << RowPicture(LowByte(ParseDecimal(request.value(TextField::Row(y)))));
}

} // namespace

QStringList RecordedCommandWords(const CommandInfo& command, const QVector<DialogRequest>& answered, QString& whyNot)
{
    QStringList positional;
    QStringList options;
    for (const DialogRequest& request : answered) {
        if (request.kind == DialogKind::DisplayImage) {
            if (!PictureWords(request, positional, options, whyNot))
                return {};
        } else if (request.kind == DialogKind::UserCharacter) {
            UserCharacterWords(request, positional);
        } else {
            SplitFields(request, positional, options);
        }
    }
    for (const QString& word : positional) {
        if (!Writable(word)) {
            whyNot = QStringLiteral("a text holds a character no script line can hold (a 0, or half of a "
                                    "surrogate pair)");
            return {};
        }
    }
    QStringList words{CliName(command.caption)};
    // A text that begins like an option (--x, -x) or names a field (x=1)
    // would be taken for one: the options then go first and "--" ends them.
    bool dashes = false;
    for (const QString& word : positional)
        dashes = dashes || TakenForOption(command, word);
    if (dashes)
        words << options << QStringLiteral("--") << positional;
    else
        words << positional << options;
    return words;
}

ScriptRecorder::ScriptRecorder() = default;

ScriptRecorder::~ScriptRecorder() = default;

bool ScriptRecorder::start(const QString& path, HostColour foreground, HostColour background, QString& error)
{
    auto file = std::make_unique<QFile>(path);
    // Lines end in "\n" alone on every system, so that a script recorded on
    // one replays the same on another.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = file->errorString();
        return false;
    }
    return start(std::move(file), path, foreground, background, error);
}

bool ScriptRecorder::start(std::unique_ptr<QIODevice> device, const QString& name, HostColour foreground,
                           HostColour background, QString& error)
{
    stop();
    m_device = std::move(device);
    m_name = name;
    const QString heading =
        QStringLiteral("# Recorded by Tavrel on %1; replay with: tavrel-cli run FILE")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate));
    if (!writeLine(heading, error)
        || !writeLine(JoinScriptWords({kForegroundColourLine, ColourArgument(foreground)}), error)
        || !writeLine(JoinScriptWords({kBackgroundColourLine, ColourArgument(background)}), error)) {
        stop();
        return false;
    }
    return true;
}

void ScriptRecorder::stop()
{
    if (m_device)
        m_device->close();
    m_device.reset();
    m_answered.clear();
}

void ScriptRecorder::dialogAnswered(const DialogRequest& request)
{
    if (isRecording())
        m_answered.push_back(request);
}

void ScriptRecorder::commandEnded(const CommandInfo& command, bool sent)
{
    const QVector<DialogRequest> answered = m_answered;
    m_answered.clear();
    if (!isRecording() || !sent)
        return;
    QString whyNot;
    const QStringList words = RecordedCommandWords(command, answered, whyNot);
    if (words.isEmpty())
        writeOrStop(QStringLiteral("# %1 not recorded: %2").arg(CliName(command.caption), whyNot));
    else
        writeOrStop(JoinScriptWords(words));
}

void ScriptRecorder::writeWords(const QStringList& words)
{
    if (isRecording())
        writeOrStop(JoinScriptWords(words));
}

void ScriptRecorder::colourPicked(bool foreground, HostColour colour)
{
    writeWords({foreground ? kForegroundColourLine : kBackgroundColourLine, ColourArgument(colour)});
}

bool ScriptRecorder::writeLine(const QString& line, QString& error)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    bool written = m_device->write(bytes) == bytes.size();
    if (written) {
        if (auto* file = qobject_cast<QFileDevice*>(m_device.get()))
            written = file->flush();
    }
    if (!written)
        error = m_device->errorString();
    return written;
}

void ScriptRecorder::writeOrStop(const QString& line)
{
    QString error;
    if (writeLine(line, error))
        return;
    const QString name = m_name;
    stop();
    if (onWriteFailure)
        onWriteFailure(QStringLiteral("Recording stopped: the script %1 could not be written (%2). "
                                      "The lines before this one are in it.")
                           .arg(name, error));
}

} // namespace tavrel
