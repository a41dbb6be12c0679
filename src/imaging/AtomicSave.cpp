// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/AtomicSave.h"

#include "imaging/SaveFileSystem.h"
#include "imaging/SaveTemporary.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>

namespace tavrel {

namespace {

// Links are followed this deep, as the system follows them when it opens a
// path.
constexpr int kMaxLinkDepth = 40;

SaveResult Failure(SaveStatus status, const QString& detail)
{
    SaveResult result;
    result.status = status;
    result.detail = detail;
    return result;
}

QString LeftUnchanged(const QString& why)
{
    return QStringLiteral("Failed to open output file (%1). It was left unchanged.").arg(why);
}

QString NotARegularFileText(FileKind kind)
{
    switch (kind) {
    case FileKind::Directory:
        return LeftUnchanged(QStringLiteral("it is a folder, not a regular file"));
    case FileKind::Pipe:
        return LeftUnchanged(QStringLiteral("it is a named pipe, not a regular file"));
    case FileKind::Device:
        return LeftUnchanged(QStringLiteral("it is a device, not a regular file"));
    case FileKind::Socket:
        return LeftUnchanged(QStringLiteral("it is a socket, not a regular file"));
    case FileKind::Missing:
    case FileKind::Regular:
    case FileKind::Other:
        break;
    }
    return LeftUnchanged(QStringLiteral("it is not a regular file"));
}

// The file a save to `path` replaces: symbolic links followed to the end.
// A link to nowhere gives the path it names, which the save creates.
bool ResolveLinks(const QString& path, QString& target)
{
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == kMaxLinkDepth)
            return false;
        info.setFile(info.symLinkTarget());
    }
    target = info.absoluteFilePath();
    return true;
}

// What the writer of a save writes to. Every byte reaches the file, or the
// first failure is kept with the system's reason and every later write
// fails too; a short write of the system is retried, so that a failure is
// never a silent short count.
class SaveOutput : public QIODevice {
public:
    explicit SaveOutput(QFile& file)
        : m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    QString failure() const { return m_failure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_failure.isEmpty())
            return -1;
        for (qint64 done = 0; done < size;) {
            m_file.unsetError();
            const qint64 written = m_file.write(data + done, size - done);
            if (written <= 0) {
                m_failure = m_file.error() != QFileDevice::NoError ? m_file.errorString()
                                                                   : SystemErrorText(EIO);
                setErrorString(m_failure);
                return -1;
            }
            done += written;
        }
        return size;
    }

private:
    QFile& m_file;
    QString m_failure;
};

// Writes, syncs and closes the temporary file; empty on success, else the
// reason (empty too when the writer gave up by itself: `abandoned`).
QString WriteTemporary(QFile& temporary, const std::function<bool(QIODevice& out)>& write, bool& abandoned)
{
    abandoned = false;
    QString failure;
    {
        SaveOutput output(temporary);
        const bool written = write(output);
        failure = output.failure();
        if (!written && failure.isEmpty())
            abandoned = true;
    }
    if (failure.isEmpty() && !abandoned)
        SyncToDisk(temporary, failure);
    temporary.unsetError();
    temporary.close();
    if (failure.isEmpty() && temporary.error() != QFileDevice::NoError)
        failure = temporary.errorString();
    return failure;
}

} // namespace

QString SaveResultText(const SaveResult& result)
{
    switch (result.status) {
    case SaveStatus::Saved:
        return QStringLiteral("Save to file complete.");
    case SaveStatus::OpenFailed:
        if (result.detail.isEmpty())
            return QStringLiteral("Failed to open output file.");
        return QStringLiteral("Failed to open output file (%1).").arg(result.detail);
    case SaveStatus::Refused:
        return result.detail;
    case SaveStatus::WriteFailed:
        break;
    }
    QString text = QStringLiteral("Failed to write output file");
    if (!result.detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(result.detail);
    return text + QStringLiteral(". An earlier file of that name was left unchanged.");
}

SaveResult CheckSaveTarget(const QString& path, const QStringList& sources)
{
    if (path.isEmpty())
        return Failure(SaveStatus::OpenFailed, QString());
    QString target;
    if (!ResolveLinks(path, target))
        return Failure(SaveStatus::OpenFailed, SystemErrorText(ELOOP));
    const FileKind kind = KindOfFile(target);
    if (kind != FileKind::Missing && kind != FileKind::Regular)
        return Failure(SaveStatus::Refused, NotARegularFileText(kind));
    for (const QString& source : sources) {
        if (IsSameFile(target, source))
            return Failure(SaveStatus::Refused, LeftUnchanged(QStringLiteral("it is a picture this save reads from")));
    }
    if (kind == FileKind::Regular) {
        const QString problem = WriteAccessProblem(target);
        if (!problem.isEmpty())
            return Failure(SaveStatus::OpenFailed, problem);
    }
    return SaveResult();
}

SaveResult SaveFileAtomically(const QString& path, const std::function<bool(QIODevice& out)>& write,
                              const QStringList& sources)
{
    const SaveResult checked = CheckSaveTarget(path, sources);
    if (checked.status != SaveStatus::Saved)
        return checked;
    QString target;
    ResolveLinks(path, target);

    // What an earlier save of this name left when it was killed.
    RemoveStaleTemporaries(target);
    SaveTemporary temporary;
    QString reason;
    if (!temporary.create(target, reason))
        return Failure(SaveStatus::OpenFailed, reason);
    if (KindOfFile(target) == FileKind::Regular)
        CopyModeAndOwner(target, temporary.file());

    bool abandoned = false;
    reason = WriteTemporary(temporary.file(), write, abandoned);
    if (reason.isEmpty() && !abandoned) {
        // Whatever took the target's place while the file was written is
        // not replaced unless it is a file too.
        const FileKind kind = KindOfFile(target);
        if (kind != FileKind::Missing && kind != FileKind::Regular) {
            temporary.discard();
            return Failure(SaveStatus::Refused, NotARegularFileText(kind));
        }
        if (temporary.putInPlace(target, reason))
            return SaveResult();
    }
    temporary.discard();
    return Failure(SaveStatus::WriteFailed, reason);
}

} // namespace tavrel
