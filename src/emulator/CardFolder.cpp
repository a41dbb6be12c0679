// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/CardFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace quennel {

namespace {

bool isNameCharacter(char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    static const char kPunctuation[] = "!#$%&'()-@^_`{}~";
    return c != '\0' && std::find(std::begin(kPunctuation), std::end(kPunctuation) - 1, c) != std::end(kPunctuation) - 1;
}

bool isDeviceName(const QByteArray& base)
{
    const QByteArray upper = base.toUpper();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices)
        if (upper == device)
            return true;
    return upper.size() == 4 && (upper.startsWith("COM") || upper.startsWith("LPT")) && upper.at(3) >= '0'
           && upper.at(3) <= '9';
}

} // namespace

bool isPlainCardName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 12)
        return false;
    const int point = name.indexOf('.');
    const QByteArray base = point < 0 ? name : name.left(point);
    const QByteArray extension = point < 0 ? QByteArray() : name.mid(point + 1);
    if (base.isEmpty() || base.size() > 8 || extension.size() > 3)
        return false;
    if (point >= 0 && extension.isEmpty())
        return false;
    for (char c : base + extension)
        if (!isNameCharacter(c))
            return false;
    return !isDeviceName(base);
}

QString defaultCardDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/card");
}

CardFolder::CardFolder(const QString& directory)
    : m_directory(directory)
{
    if (!m_directory.isEmpty())
        m_ready = QDir().mkpath(m_directory);
}

QList<CardFolder::Entry> CardFolder::entries() const
{
    QList<Entry> result;
    if (!m_ready)
        return result;
    const QDir dir(m_directory);
    // Links are left out, so nothing the folder points to elsewhere can be
    // read or written through a name from the line.
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QFileInfo& info : infos) {
        if (info.isSymLink() || !info.isFile())
            continue;
        const QString name = info.fileName();
        if (!isPlainCardName(name.toLatin1()))
            continue;
        result.push_back(Entry{name, info.size()});
    }
    return result;
}

QString CardFolder::existingFile(const QByteArray& name) const
{
    if (!m_ready || !isPlainCardName(name))
        return QString();
    const QString wanted = QString::fromLatin1(name);
    for (const Entry& entry : entries())
        if (entry.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return QDir(m_directory).filePath(entry.name);
    return QString();
}

QString CardFolder::fileForWriting(const QByteArray& name) const
{
    if (!m_ready || !isPlainCardName(name))
        return QString();
    const QString existing = existingFile(name);
    if (!existing.isEmpty())
        return existing;
    // Something that is not a plain file may already carry the name in any
    // letter case (a folder, a link): leave it alone.
    const QDir dir(m_directory);
    const QString wanted = QString::fromLatin1(name);
    const QStringList all = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& other : all)
        if (other.compare(wanted, Qt::CaseInsensitive) == 0)
            return QString();
    if (entries().size() >= kCardMaxEntries)
        return QString();
    return dir.filePath(wanted.toUpper());
}

qint64 CardFolder::usedBytes() const
{
    qint64 total = 0;
    for (const Entry& entry : entries())
        total += entry.size;
    return total;
}

bool CardFolder::hasRoom(qint64 extra, qint64 replaced) const
{
    return m_ready && usedBytes() - replaced + extra <= kCardCapacityBytes;
}

QByteArray CardFolder::listing() const
{
    QByteArray text;
    QList<Entry> list = entries();
    for (Entry& entry : list)
        entry.name = entry.name.toUpper();
    std::sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const Entry& entry : list)
        text += entry.name.toLatin1().leftJustified(12, ' ') + "  " + QByteArray::number(entry.size) + "\r\n";
    return text;
}

bool CardFolder::readWhole(const QString& path, QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxReadBytes)
        return false;
    // One byte more than the file has tells whether it grew past the limit
    // meanwhile, without setting aside the limit's worth of memory each time.
    contents = file.read(file.size() + 1);
    return contents.size() <= kMaxReadBytes;
}

} // namespace quennel
