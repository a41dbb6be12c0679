// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

namespace tavrel {

// The file a save writes before it replaces its target. On Linux it has no
// name while it is written (O_TMPFILE), so a save killed on the way leaves
// nothing behind; it gets one only to be put in place. Where the system or
// the file system cannot do that it is a hidden file beside the target,
// ".NAME.XXXXXXXX", held locked while the save runs, and a later save of the
// same name removes such files that no save holds any more.
class SaveTemporary {
public:
    SaveTemporary() = default;
    ~SaveTemporary();
    SaveTemporary(const SaveTemporary&) = delete;
    SaveTemporary& operator=(const SaveTemporary&) = delete;

    // Creates the file in the target's folder, open for writing. On
    // failure `reason` is the system's text.
    bool create(const QString& target, QString& reason);
    // What the save writes to; it may be closed before putInPlace().
    QFile& file() { return m_file; }
    // Replaces (or creates) the target with the file written, in one step.
    bool putInPlace(const QString& target, QString& reason);
    // Gives up: nothing of the file is left.
    void discard();

private:
    bool createNamed(const QString& target, QString& reason);

    QFile m_file;
    QString m_name;      // the named file, while there is one
    int m_unnamed = -1;  // the unnamed file's descriptor
    int m_lock = -1;     // the named file's lock
};

// Removes the temporary files of earlier saves of `target` that were killed
// before they finished: hidden files of the pattern above beside it that no
// running save holds.
void RemoveStaleTemporaries(const QString& target);

// Why the existing file at `path` cannot be written, in the system's words
// ("Read-only file system", "Operation not permitted" for an immutable
// file, "Permission denied"); empty when it can.
QString WriteAccessProblem(const QString& path);

} // namespace tavrel
