// What tavrel-cli lets onto the line: texts with characters that would
// become a 0 byte are refused before anything is written.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/PictureFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#else
#include <pty.h>
#endif

using namespace tavrel::testing;

namespace {

const QString kMissingPort = QStringLiteral("/dev/tavrel-no-such-device");

QString Ucs4(char32_t code)
{
    return QString::fromUcs4(&code, 1);
}

} // namespace

class TestCliWire : public QObject {
    Q_OBJECT
private slots:
    void charactersThatWouldEndTheTextAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("string with CJK one") << QStringList{"print-text-string", "0", "0", "1", "1", "A\u4E00E"}
                                              << "U+4E00 \"\u4E00\" at position 2";
        QTest::newRow("button with full-width space") << QStringList{"text-button", "0", "0", "1", "1", "a\u3000b"}
                                                       << "U+3000 at position 2";
        QTest::newRow("name with A macron") << QStringList{"open-file-to-write", "A\u0100B.TXT"}
                                            << "U+0100 \"\u0100\" at position 2";
        QTest::newRow("name with U+0080") << QStringList{"erase-file", QString(QChar(0x80)) + "X"} << "U+0080 at position 1";
        QTest::newRow("show image") << QStringList{"show-image", "P\u4E00.DAT"} << "U+4E00";
        QTest::newRow("slideshow with an emoji") << QStringList{"slideshow", Ucs4(0x1F600) + "S.DAT"}
                                                 << "U+1F600 \"" + Ucs4(0x1F600) + "\" at position 1";
    }
    void charactersThatWouldEndTheTextAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        SilentPty line;
        QVERIFY(line.isOpen());
        const CliRun run = RunCli(QStringList{"--port", line.slavePath()} + arguments);
        QVERIFY2(run.err.contains("The character " + named), qPrintable(run.err));
        QCOMPARE(run.out, QStringLiteral("Unsendable character: nothing sent.\n"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(line.drainMaster(), QByteArray());
    }

    void otherCharactersKeepTheirSevenBits()
    {
        SilentPty line;
        QVERIFY(line.isOpen());
        const CliRun run = RunCli({"--port", line.slavePath(), "print-text-string", "0", "0", "1", "1", "\u00E9"});
        QCOMPARE(line.drainMaster(), QByteArray::fromHex("53000000ffff0101" "69" "00"));
        QVERIFY2(run.out.startsWith("Print String: 83, 0, 0, 0, 255, 255, 1, 1, 105, 0, : 10 bytes written"),
                 qPrintable(run.out));
    }
};

QTEST_GUILESS_MAIN(TestCliWire)
#include "tst_cli_wire.moc"
