// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/CommandTable.h"
#include "link/DialogRequest.h"
#include "link/HostColour.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace tavrel {

// Field names a picture dialog adds to its answer so that the command can
// be written as a line: the picture file the preview was converted from
// (empty when it was not converted straight from a file) and the resizing
// rule that made it ("no-resize", "maximize" or WIDTHxHEIGHT).
const QString kPictureFileField = QStringLiteral("file");
const QString kPictureResizeField = QStringLiteral("resize");

// The words that replay a command the panel ran through its dialog: the
// command's name, then the answered fields as tavrel-cli takes them (every
// text field, every check box and choice), so that the line sends the same
// bytes whatever the session it is replayed in remembers. Returns an empty
// list, with the reason in `whyNot`, when no line can do that.
QStringList RecordedCommandWords(const CommandInfo& command, const QVector<DialogRequest>& answered, QString& whyNot);

// Records what the user does in the panel as a script: each command that
// was sent becomes its line, each colour pick a colour line. Lines are
// written as they happen and flushed one by one, so a crash loses at most
// the line being written. The first write that fails stops the recording
// and is reported once, through onWriteFailure.
class ScriptRecorder {
public:
    ScriptRecorder();
    ~ScriptRecorder();
    ScriptRecorder(const ScriptRecorder&) = delete;
    ScriptRecorder& operator=(const ScriptRecorder&) = delete;

    // Starts recording into the file (replacing it) with a heading and the
    // colours the following commands use. False, with the reason, when the
    // file cannot be written; nothing is recorded then.
    bool start(const QString& path, HostColour foreground, HostColour background, QString& error);
    // The same on a device that is already open for writing.
    bool start(std::unique_ptr<QIODevice> device, const QString& name, HostColour foreground, HostColour background,
               QString& error);
    void stop();
    bool isRecording() const { return m_device != nullptr; }
    QString name() const { return m_name; }

    // A dialog of the command that is running was answered with OK.
    void dialogAnswered(const DialogRequest& request);
    // The command has ended: when it was sent, its line is written. The
    // answered dialogs are forgotten either way.
    void commandEnded(const CommandInfo& command, bool sent);
    // A line given by its words (a font button, a line of a script the
    // panel ran).
    void writeWords(const QStringList& words);
    void colourPicked(bool foreground, HostColour colour);

    std::function<void(const QString& message)> onWriteFailure;

private:
    bool writeLine(const QString& line, QString& error);
    void writeOrStop(const QString& line);

    std::unique_ptr<QIODevice> m_device;
    QString m_name;
    QVector<DialogRequest> m_answered;
};

} // namespace tavrel
