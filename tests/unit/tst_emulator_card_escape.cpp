// SPDX-License-Identifier: GPL-3.0-or-later
// Names from the wire never reach outside the emulator's card folder. The card
// lies in a temporary folder next to sentinel files and folders, and holds
// symbolic links that point out of it (to files, to folders, to "..", and to
// files that do not exist yet). Every card command is run with hostile names,
// and random card streams besides; after each stream nothing outside the card
// folder (nor its links and sub-folder) was created, changed or deleted -
// names, kinds, sizes, contents, link targets and modification times are
// compared - nothing of the sentinels reached a reply or the display, and the
// emulator still answers Get Device Info after the resynchronising zeros.
//
// What the emulator does with a symbolic link in its card folder: nothing. A
// link is not a file of the card, whatever it points to: it is not listed,
// cannot be opened, read, shown, run, written through or erased, and a new
// file cannot take its name (0x0F), so the link itself stays as it is too.

#include "emulator/CardFolder.h"
#include "emulator/CardPictures.h"
#include "emulator/CommandFramer.h"
#include "emulator/Emulator.h"
#include "support/CommandStreams.h"
#include "support/HostileSaveTargets.h"
#include "support/StreamWatchdog.h"
#include "support/TestBytes.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using quennel::CommandFramer;
using quennel::CommandShape;
using quennel::Emulator;
using tavrel::testing::Bytes;
using tavrel::testing::kInfoReply;
using tavrel::testing::kInfoRequest;
using tavrel::testing::Hex;
using tavrel::testing::kNoSymbolicLinks;
using tavrel::testing::MakeSymbolicLink;
using tavrel::testing::StreamBuilder;

namespace {

// Every sentinel file carries this text, so no reply may contain it.
const QByteArray kSecret = "OUTSIDE-SECRET";
// Sentinel pictures are drawn in this colour and nothing on the card is.
constexpr quint16 kSecretColour = 0xF81F;

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

// An image data file: w, h, 16, then w x h pixels low byte first.
QByteArray imageData(int w, int h, quint16 colour, int frames = 1)
{
    QByteArray out = Bytes({w, h, 16});
    for (int i = 0; i < w * h * frames; ++i)
        out += Bytes({colour & 0xFF, colour >> 8});
    return out;
}

QByteArray bitmap(int w, int h, QRgb colour)
{
    QImage picture(w, h, QImage::Format_RGB888);
    picture.fill(colour);
    return quennel::encodeBmp24(picture);
}

// A temporary folder holding the card and, around and inside it, what the
// module must never touch.
class Sandbox {
public:
    Sandbox()
    {
        const QDir root(m_root.path());
        m_card = root.filePath(QStringLiteral("card"));
        root.mkpath(QStringLiteral("card/SUB"));
        root.mkpath(QStringLiteral("outside"));
        root.mkpath(QStringLiteral("card2"));
        // Outside the card.
        m_ok = writeFile(path("SECRET.TXT"), kSecret + "-1")
               && writeFile(path("SECRET.BMP"), bitmap(8, 8, qRgb(255, 0, 255)) + kSecret)
               && writeFile(path("SECRET.DAT"), imageData(8, 8, kSecretColour, 2) + kSecret)
               && writeFile(path("outside/INNER.TXT"), kSecret + "-2")
               && writeFile(path("card2/SIB.TXT"), kSecret + "-3")
               // Inside the card, but in a sub-folder the module does not see.
               && writeFile(path("card/SUB/X.TXT"), kSecret + "-4")
               // The card's own files.
               && writeFile(path("card/A.TXT"), "inside the card")
               && writeFile(path("card/PIC.BMP"), bitmap(4, 4, qRgb(0, 255, 0)))
               && writeFile(path("card/IMG.DAT"), imageData(4, 4, 0x001F))
               && writeFile(path("card/SHOW.DAT"), imageData(4, 4, 0x07E0, 3));
        // Links in the card pointing out of it, and one pointing inside.
        const QList<QPair<const char*, QString>> links = {
            {"card/LINK.TXT", QStringLiteral("../SECRET.TXT")},
            {"card/ABS.TXT", path("SECRET.TXT")},
            {"card/LINK.BMP", QStringLiteral("../SECRET.BMP")},
            {"card/link.dat", QStringLiteral("../SECRET.DAT")},
            {"card/SHOWL.DAT", QStringLiteral("../SECRET.DAT")},
            {"card/DIRLINK", QStringLiteral("../outside")},
            {"card/UP", QStringLiteral("..")},
            {"card/DANGLE.TXT", QStringLiteral("../NEWFILE.TXT")},
            {"card/DANGLE.BMP", QStringLiteral("../outside/NEW.BMP")},
            {"card/SELF.TXT", QStringLiteral("A.TXT")},
        };
        m_linked = true;
        for (const auto& link : links)
            m_linked = m_linked && MakeSymbolicLink(link.second, path(link.first));
    }

    bool isReady() const { return m_ok && m_root.isValid(); }
    bool hasLinks() const { return m_linked; }
    QString card() const { return m_card; }
    QString path(const char* relative) const { return QDir(m_root.path()).filePath(QString::fromLatin1(relative)); }

    // Everything the module must leave alone: the whole tree except the
    // regular files directly in the card folder (and that folder's own time).
    QStringList snapshot() const { return snapshotOf(m_root.path(), QString()); }

private:
    QStringList snapshotOf(const QString& folder, const QString& prefix) const
    {
        QStringList lines;
        const QFileInfoList infos = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        const bool inCard = QFileInfo(folder) == QFileInfo(m_card);
        for (const QFileInfo& info : infos) {
            const QString name = prefix + info.fileName();
            if (info.isSymLink()) {
                lines << name + QStringLiteral(" -> ") + info.symLinkTarget();
            } else if (info.isDir()) {
                const bool isCard = info == QFileInfo(m_card);
                lines << name + QStringLiteral("/ ")
                             + (isCard ? QString() : QString::number(info.lastModified().toMSecsSinceEpoch()));
                lines << snapshotOf(info.filePath(), name + QLatin1Char('/'));
            } else if (!inCard) {
                const QByteArray contents = fileContents(info.filePath());
                lines << QStringLiteral("%1 %2 %3 %4")
                             .arg(name)
                             .arg(info.size())
                             .arg(info.lastModified().toMSecsSinceEpoch())
                             .arg(QString::fromLatin1(QCryptographicHash::hash(contents, QCryptographicHash::Sha1).toHex()));
            }
        }
        return lines;
    }

    QTemporaryDir m_root;
    QString m_card;
    bool m_ok = false;
    bool m_linked = false;
};

QByteArray named(const QByteArray& name)
{
    return name + '\0';
}

// Every card command that takes a name, with that name, and the commands
// that act on what an Open opened.
QByteArray everyCardCommand(const QByteArray& name)
{
    const QByteArray n = named(name);
    QByteArray s;
    s += Bytes({0x40, 'W'}) + n;
    s += Bytes({0x40, 'w', 6}) + "marker";
    s += Bytes({0x40, 'C'});
    s += Bytes({0x40, 'R'}) + n;
    s += Bytes({0x40, 'r', 255});
    s += Bytes({0x40, 'C'});
    s += Bytes({0x40, 'B', 0, 0}) + n;
    s += Bytes({0x40, 'I', 0, 0}) + n;
    s += Bytes({0x40, 's', 0, 0, 0, 10}) + n;
    s += Bytes({0x40, 'L'}) + n;
    s += Bytes({0x40, 'S'}) + n;
    s += Bytes({0x40, 'E'}) + n;
    s += Bytes({0x40, 'D', 0});
    return s;
}

QList<QByteArray> pathAndDeviceNames(const QString& secretPath)
{
    QList<QByteArray> names = {
        "../SECRET.TXT", "..\\SECRET.TXT", "..", ".", "...", "", "/", "\\", "/SECRET.TXT", "\\SECRET.TXT",
        "C:SECRET.TXT", "C:\\SECRET.TXT", "C:", "outside/INNER.TXT", "SUB/X.TXT", "SUB\\X.TXT", "SUB",
        "card2/SIB.TXT", "../card2/SIB.TXT", "..card", "~", "*.*", "?.TXT", "A.TXT:S", "A.TXT::$DATA",
        "CON", "con", "NUL", "NUL.TXT", "AUX", "PRN", "COM1", "com9.dat", "LPT1.TXT", "CONIN$", "CONOUT$",
        "CLOCK$", "A.TXT ", " A.TXT", "A.TXT.", "A..TXT", "A B", "A\x01.TXT", "\x01", "\x1b[2J", "A\nB",
        "A\rB", "\t", "\x7F.TXT", "\xE9T\xE9.TXT", "\xC3\xA9.TXT", "\xFF", "%2e%2e", "ABCDEFGHI",
        QByteArray(12, 'A'), QByteArray(64, 'A'), QByteArray(65, 'A'), QByteArray(300, '.')};
    names << secretPath.toLocal8Bit() << QByteArray("..") + QByteArray("/..").repeated(20) + "/etc/passwd";
    return names;
}

const QList<QByteArray> kLinkNames = {"LINK.TXT", "link.txt", "Link.Txt", "ABS.TXT", "LINK.BMP", "LINK.DAT",
                                      "link.dat", "SHOWL.DAT", "DIRLINK", "dirlink", "UP", "DANGLE.TXT",
                                      "DANGLE.BMP", "SELF.TXT", "UP/SECRET.TXT", "DIRLINK/INNER.TXT"};

const QList<QByteArray> kCardNames = {"A.TXT", "PIC.BMP", "IMG.DAT", "SHOW.DAT", "NEW.TXT", "NEWFILE.TXT",
                                      "SECRET.TXT", "secret.bmp"};

// The names in a directory listing reply: lines "NAME    size\r\n".
QStringList listedNames(const QByteArray& listing)
{
    QStringList names;
    for (const QByteArray& line : listing.split('\n')) {
        const QByteArray name = line.left(12).trimmed();
        if (!name.isEmpty() && line.endsWith('\r'))
            names << QString::fromLatin1(name);
    }
    return names;
}

} // namespace

class TestEmulatorCardEscape : public QObject {
    Q_OBJECT

private slots:
    void namesStayInsideTheCard_data();
    void namesStayInsideTheCard();
    void windowsDeviceNamesAreRefused();
};

void TestEmulatorCardEscape::namesStayInsideTheCard_data()
{
    QTest::addColumn<quint32>("firstSeed");
    QTest::addColumn<int>("randomStreams");

    // The first two run every card command with each name of their list;
    // the third runs random card streams over all the names.
    QTest::newRow("path and device names") << 0u << 0;
    QTest::newRow("symlinks in the card") << 0u << 0;
    QTest::newRow("random card streams") << 0xCA4D0000u << 600;
}

void TestEmulatorCardEscape::namesStayInsideTheCard()
{
    QFETCH(quint32, firstSeed);
    QFETCH(int, randomStreams);
    const QString family = QString::fromLatin1(QTest::currentDataTag());

    Sandbox sandbox;
    QVERIFY(sandbox.isReady());
    const QStringList before = sandbox.snapshot();
    const QList<QByteArray> hostile = pathAndDeviceNames(sandbox.path("SECRET.TXT"));

    // One label and stream per check.
    QList<QPair<QString, QByteArray>> streams;
    if (family == QLatin1String("path and device names")) {
        for (const QByteArray& name : hostile)
            streams.append({QStringLiteral("name %1").arg(Hex(name)), everyCardCommand(name)});
    } else if (family == QLatin1String("symlinks in the card")) {
        if (!sandbox.hasLinks())
            QSKIP(kNoSymbolicLinks);
        for (const QByteArray& name : kLinkNames)
            streams.append({QStringLiteral("name %1").arg(QString::fromLatin1(name)), everyCardCommand(name)});
    } else {
        for (quint32 seed = firstSeed; seed < firstSeed + quint32(randomStreams); ++seed) {
            StreamBuilder builder(seed);
            builder.setShapeFilter([](const CommandShape& shape) { return shape.code == 0x40; });
            builder.setCardNames(hostile + kLinkNames + kCardNames);
            builder.setPrintableFileData(true);
            streams.append({QStringLiteral("seed 0x%1").arg(seed, 0, 16),
                            builder.commands(1 + int(builder.below(30)))});
        }
    }
    QVERIFY(!streams.isEmpty());

    // One emulator for the whole family, as one module that keeps its card.
    Emulator emulator;
    emulator.setCardDirectory(sandbox.card());
    StreamWatchdog watchdog(30000);
    const QByteArray zeros(CommandFramer::kResyncZeros, '\0');
    for (const auto& labelled : streams) {
        const QByteArray& stream = labelled.second;
        const QString where = QStringLiteral("%1, %2").arg(family, labelled.first);
        auto fail = [&](const QString& problem) {
            qWarning("stream (%lld bytes): %s", static_cast<long long>(stream.size()), qPrintable(Hex(stream)));
            return QStringLiteral("%1: %2").arg(where, problem).toLocal8Bit();
        };
        watchdog.arm(where, stream);
        const QByteArray reply = emulator.feed(stream);
        emulator.feed(zeros);
        const QByteArray info = emulator.feed(kInfoRequest);
        const QByteArray listing = emulator.feed(Bytes({0x40, 'D', 0}));
        watchdog.disarm();

        if (reply.contains(kSecret))
            QFAIL(fail(QStringLiteral("a sentinel's contents were read onto the line")).constData());
        if (emulator.frame().contains(kSecretColour))
            QFAIL(fail(QStringLiteral("a sentinel picture was drawn")).constData());
        if (info != kInfoReply)
            QFAIL(fail(QStringLiteral("Get Device Info answered %1").arg(Hex(info))).constData());
        for (const QString& name : listedNames(listing)) {
            const QFileInfo listed(QDir(sandbox.card()).filePath(name));
            if (!listed.exists() || listed.isSymLink() || !listed.isFile())
                QFAIL(fail(QStringLiteral("the listing names %1, which is no file of the card").arg(name)).constData());
        }
        const QStringList after = sandbox.snapshot();
        if (after != before) {
            QStringList changes;
            for (const QString& line : after)
                if (!before.contains(line))
                    changes << QStringLiteral("+ ") + line;
            for (const QString& line : before)
                if (!after.contains(line))
                    changes << QStringLiteral("- ") + line;
            QFAIL(fail(QStringLiteral("outside the card: %1").arg(changes.join(QStringLiteral("; ")))).constData());
        }
    }
}

// On Windows these names open the console or the clock whatever folder they
// are in, so they are no card file names on any system.
void TestEmulatorCardEscape::windowsDeviceNamesAreRefused()
{
    for (const char* name : {"CON", "conin$", "CONOUT$", "CONOUT$.TXT", "CLOCK$", "AUX.DAT", "Lpt9", "COM0"})
        QVERIFY2(!quennel::isPlainCardName(name), name);
    for (const char* name : {"CONSOLE", "CONIN", "COM10.TXT", "AUXX.DAT"})
        QVERIFY2(quennel::isPlainCardName(name), name);
}

QTEST_GUILESS_MAIN(TestEmulatorCardEscape)
#include "tst_emulator_card_escape.moc"
