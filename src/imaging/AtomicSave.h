// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace tavrel {

// How a save ended.
enum class SaveStatus {
    Saved,
    OpenFailed,   // the file could not be created
    WriteFailed,  // writing or finishing it failed; nothing was replaced
    Refused,      // the content or the target could not be saved as asked; detail says why
};

struct SaveResult {
    SaveStatus status = SaveStatus::Saved;
    QString detail;  // the system's reason for a failure, or the whole text of a refusal
};

// The text shown for a save's outcome: "Save to file complete.", "Failed to
// open output file." or a message naming the failure and the system's
// reason for it.
QString SaveResultText(const SaveResult& result);

// What a save checks before it writes anything: the target is a regular file
// or not there yet (a folder, pipe, device or socket is never replaced), it
// is none of the files the save reads from (compared as files, so a link to
// one counts), and an existing one may be written. A symbolic link is
// followed: the save replaces the file it points to and keeps the link.
// Saved when the save may go ahead.
SaveResult CheckSaveTarget(const QString& path, const QStringList& sources = {});

// Writes a file so that it is either complete or not there: after the checks
// above, the bytes go to a temporary file beside the target (SaveTemporary),
// which replaces it only when every write, the flush to disk and the close
// succeeded. A failure leaves an earlier file of that name byte for byte as
// it was, and no partial file behind; so does a save that is killed. `write` returns false to abandon the save; a write
// that fails is reported with the system's reason even if `write` ignores
// it.
SaveResult SaveFileAtomically(const QString& path, const std::function<bool(QIODevice& out)>& write,
                              const QStringList& sources = {});

} // namespace tavrel
