// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TrafficFile.h"

#include "imaging/SaveFileSystem.h"
#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"

#include <QSaveFile>

#include <algorithm>

namespace tavrel {

namespace {

// Lines are formatted and written this many entries at a time.
constexpr qint64 kEntriesPerWrite = 2000;

// Writes all of `bytes`. A short write is tried again for the rest, so that
// the system names its reason at the write that takes nothing.
bool WriteAll(QSaveFile& file, const QByteArray& bytes, QString& reason)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = WriteToSaveFile(file, bytes.constData() + done, bytes.size() - done, reason);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

QString SaveTrafficLines(const TrafficHistory& history, const QString& path)
{
    QSaveFile file(path);
    // Unbuffered: every write reaches the system at once, so a full disk or
    // a size limit shows at the write that meets it, not only in commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const qint64 end = history.committedEnd();
    for (qint64 first = history.firstSequence(); first < end; first += kEntriesPerWrite) {
        const QByteArray chunk = FormatTrafficLines(history, first, std::min(end, first + kEntriesPerWrite)).toUtf8();
        QString reason;
        if (!WriteAll(file, chunk, reason)) {
            file.cancelWriting();
            return reason;
        }
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace tavrel
