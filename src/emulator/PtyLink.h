// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quennel {

// A symbolic link that names the emulator's pseudo-terminal under a path of
// the user's choice for as long as the emulator runs, so that clients have a
// device name that stays the same when the emulator is restarted (and gets
// another /dev/pts number).
//
// Made atomically: a link under a temporary name in the same folder is
// renamed over the path, so a client never finds the path missing or half
// made while an earlier link is replaced. What may be replaced is an
// existing symbolic link that points at a pseudo-terminal (left by an
// emulator that was killed, or held by another running emulator, whose
// terminal then loses the name); anything else at the path (a file, a
// folder, a link to something other than a pseudo-terminal) is refused.
//
// The link is removed when the object ends, but only while it still points
// at this emulator's terminal: an emulator started later with the same path
// keeps its link when this one ends.
class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Points linkPath at ptyPath. False, with the reason in errorText, when
    // the path is taken by something that is not a link to a pseudo-terminal
    // or the link cannot be made.
    bool create(const QString& linkPath, const QString& ptyPath, QString* errorText = nullptr);
    // Removes the link now (as the destructor would).
    void remove();

    QString linkPath() const { return m_linkPath; }

private:
    QString m_linkPath;
    QString m_ptyPath;
};

// Whether a link target names a pseudo-terminal's slave, judged by the
// naming of this system's terminal `ownPty` (/dev/pts/N on Linux,
// /dev/ttysNNN on macOS).
bool LooksLikePtySlave(const QString& target, const QString& ownPty);

} // namespace quennel
