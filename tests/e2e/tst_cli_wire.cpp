// SPDX-License-Identifier: GPL-3.0-or-later
// What tavrel-cli lets onto the line and onto the user's terminal: texts
// with characters that would become a 0 byte are refused before anything is
// written; every word of a command or script line must fit one of the
// command's fields, and anything else is a usage error found before the port
// is opened; words that are not UTF-8 are refused, never changed; bytes from
// the module reach a terminal escaped and a pipe exactly; a packet that does
// not reach the line whole makes the run fail.

#include "commands/script/ScriptWords.h"
#include "support/CliRunner.h"
#include "support/CommandLines.h"
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

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kMissingPort = QStringLiteral("/dev/tavrel-no-such-device");

QString Ucs4(char32_t code)
{
    return QString::fromUcs4(&code, 1);
}

// Fills the line from the module's side of the terminal until it takes
// nothing more, so that the next write to it cannot go through.
void FillLine(int slaveFd)
{
    ::fcntl(slaveFd, F_SETFL, ::fcntl(slaveFd, F_GETFL) | O_NONBLOCK);
    const QByteArray chunk(4096, 'x');
    for (int quietRounds = 0, rounds = 0; quietRounds < 3 && rounds < 500; ++rounds) {
        qint64 taken = 0;
        for (;;) {
            const ssize_t n = ::write(slaveFd, chunk.constData(), size_t(chunk.size()));
            if (n <= 0)
                break;
            taken += n;
        }
        quietRounds = taken == 0 ? quietRounds + 1 : 0;
        ::usleep(20000);
    }
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
        QTest::newRow("character A macron") << QStringList{"print-character", "0", "0", "\u0100"}
                                            << "U+0100 \"\u0100\" at position 1";
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

    void choicesNoDialogOffersAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        using L = QStringList;
        QTest::newRow("vertices 8") << L{"draw-polygon", "--vertices=8"}
                                    << "\"8\" is not a choice for vertices (one of 3, 4, 5, 6, 7).";
        QTest::newRow("orientation 2") << L{"rotate-display", "--orientation=2"}
                                       << "\"2\" is not a choice for orientation (one of 0, 1).";
        QTest::newRow("scroll function 6") << L{"scroll-control", "--function=6"}
                                           << "\"6\" is not a choice for function (one of 0, 1, 2, 3, 4, 5).";
        QTest::newRow("scroll enable 2") << L{"scroll-control", "--enable=2"} << "(one of 0, 1).";
        QTest::newRow("oled function 3") << L{"oled-control-functions", "--function=3"} << "(one of 0, 1, 2).";
        QTest::newRow("display off yes") << L{"oled-control-functions", "--display-off=yes"} << "(one of 0, 1).";
        QTest::newRow("repeat 2") << L{"get-device-info", "--repeat=2"} << "(one of 0, 1).";
        QTest::newRow("set-font 4") << L{"set-font", "4"}
                                    << "\"4\" is not a choice for font (one of 0 (5x7), 1 (8x8), 2 (8x12), 3 (16x32)).";
        QTest::newRow("set-font without a font") << L{"set-font"}
                                                 << "font is missing (one of 0 (5x7), 1 (8x8), 2 (8x12), 3 (16x32)).";
        QTest::newRow("set-font-mode 2") << L{"set-font-mode", "2"}
                                         << "\"2\" is not a choice for mode (one of 0 (transparent), 1 (opaque)).";
        QTest::newRow("set-font-mode without a mode") << L{"set-font-mode"} << "mode is missing";
        QTest::newRow("formatted 2") << L{"print-character", "--formatted=2"} << "(one of 0, 1).";
        QTest::newRow("string font 9") << L{"print-text-string", "--font=9"} << "is not a choice for font";
        QTest::newRow("button down x") << L{"text-button", "--button-down=x"} << "(one of 0, 1).";
        QTest::newRow("picture depth 7") << L{"display-image", "in.png", "--depth", "7"} << "\"7\" is not a choice for depth (one of 16, 8).";
    }
    void choicesNoDialogOffersAreUsageErrors()
    {
        // The port does not exist: had the tool tried to open it, it would
        // say so and exit 1.
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliRun run = RunCli(QStringList{"--port", kMissingPort} + arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith("tavrel-cli: " + arguments.first() + ": "), qPrintable(run.err));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!run.err.contains(QStringLiteral("COM Port")));
    }

    void wordsThatFitNoFieldSendNothing()
    {
        // As a command and as a script line: exit status 2, the word named,
        // the port not opened (nothing printed on standard output) and not a
        // byte on the line.
        SilentPty line;
        QVERIFY(line.isOpen());
        const QStringList port{"--port", line.slavePath()};
        for (const RefusedLine& refused : RefusedLines()) {
            const CliRun command = RunCli(port + refused.words);
            QVERIFY2(command.exitCode == 2 && command.out.isEmpty(), qPrintable(refused.row + ": " + command.err));
            QVERIFY2(command.err.contains(refused.named), qPrintable(refused.row + ": " + command.err));
            QVERIFY2(command.err.contains(QStringLiteral("\nusage: tavrel-cli ")), qPrintable(command.err));
            CliRunOptions options;
            options.input = "set-pixel 1 1\n" + JoinScriptWords(refused.words).toUtf8() + '\n';
            const CliRun script = RunCliWith(port + QStringList{"run", "-"}, options);
            QVERIFY2(script.exitCode == 2 && script.out.isEmpty(), qPrintable(refused.row + ": " + script.err));
            QVERIFY2(script.err.startsWith(QStringLiteral("tavrel-cli: line 2: ")), qPrintable(script.err));
            QVERIFY2(script.err.contains(refused.named), qPrintable(refused.row + ": " + script.err));
            QCOMPARE(line.drainMaster(), QByteArray());
        }
        // Help instead of a write to the open file.
        const CliRun help = RunCli(port + QStringList{"write-to-file", "--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith(QStringLiteral("Usage: tavrel-cli [OPTIONS] write-to-file [TEXT]\n")),
                 qPrintable(help.out));
        QCOMPARE(line.drainMaster(), QByteArray());
    }

    void wordsThatAreNotUtf8AreRefusedNotChanged()
    {
        // The words reach tavrel-cli as bytes, through bash.
        QTemporaryDir dir;
        const QString picture = SavePicture(dir, QStringLiteral("in.png"), Filled(4, 4, Qt::red), "png");
        // The name a careless reading would make of out\xfe.dat.
        const QString lookalike = dir.filePath(QStringLiteral("out\uFFFD.dat"));
        QFile existing(lookalike);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("keep");
        existing.close();
        SilentPty line;
        QVERIFY(line.isOpen());
        CliRunOptions options;
        options.program = QStringLiteral("/bin/bash");
        options.workingDirectory = dir.path();
        for (const QString& words : {QStringLiteral("convert in.png $'out\\xfe.dat'"),
                                     QStringLiteral("convert $'in\\xff.png' out.dat"),
                                     QStringLiteral("--port %1 print-text-string 0 0 1 1 $'caf\\xe9'").arg(line.slavePath()),
                                     QStringLiteral("--port %1 open-file-to-write $'A\\x80.TXT'").arg(line.slavePath())}) {
            const CliRun run = RunCliWith({"-c", "exec \"$0\" " + words, CliProgram()}, options);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.contains(QStringLiteral("is not UTF-8 text")), qPrintable(run.err));
        }
        QCOMPARE(ReadAll(lookalike), QByteArray("keep"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);
        QCOMPARE(line.drainMaster(), QByteArray());
        Q_UNUSED(picture);
    }

    void choicesTheDialogsOfferStillOpenThePort()
    {
        // Names as the buttons show them, any letter case, blanks around.
        using L = QStringList;
        for (const L& arguments : {L{"draw-polygon", "--vertices=7"}, L{"set-font", "2: 8x12"}, L{"set-font", "16X32"},
                                   L{"set-font-mode", " OPAQUE"}, L{"print-character", "--formatted"},
                                   L{"scroll-control", "--function=5", "--enable=0"}, L{"clear-screen"}}) {
            const CliRun run = RunCli(L{"--port", kMissingPort} + arguments);
            QCOMPARE(run.out, QStringLiteral("Error Creating Com Port Interface.\n"));
            QCOMPARE(run.exitCode, 1);
        }
    }

    void moduleBytesReachATerminalEscapedAndAPipeExactly()
    {
        QTemporaryDir root;
        const QString card = root.filePath(QStringLiteral("card"));
        QDir().mkpath(card);
        // Window title, bell, clear screen, a backslash, Latin-1 and C1
        // bytes, DEL, a lone carriage return; no 0, which would end the data.
        const QByteArray hostile("A\x1b]0;pwned\x07" "B\x1b[2J\tC\\D\xe9\x80\xff\x7f\r\nE\rF\n");
        QFile file(QDir(card).filePath(QStringLiteral("RAW.BIN")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(hostile);
        file.close();
        EmulatorProcess emulator({QStringLiteral("--card"), card});
        QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
        const QStringList port{"--port", emulator.ptyPath()};
        const QByteArray status("Read data to SD card: 64, 114, 255, : 3 bytes written\n> Command Acknowledged\n");

        CliRunOptions pipe;
        QCOMPARE(RunCli(port + QStringList{"open-file-to-read", "RAW.BIN"}).exitCode, 0);
        const CliRun piped = RunCliWith(port + QStringList{"read-from-file", "255"}, pipe);
        QCOMPARE(piped.outBytes, hostile + status);

        CliRunOptions terminal;
        terminal.outputOnTerminal = true;
        QCOMPARE(RunCli(port + QStringList{"open-file-to-read", "RAW.BIN"}).exitCode, 0);
        const CliRun shown = RunCliWith(port + QStringList{"read-from-file", "255"}, terminal);
        const QByteArray escaped = QStringLiteral("A\\x1b]0;pwned\\x07B\\x1b[2J\tC\\\\D\u00E9\\x80\u00FF\\x7f\nE\\x0dF\n").toUtf8();
        QCOMPARE(shown.outBytes, escaped + status);
        QCOMPARE(shown.exitCode, 0);

        // The listing's line breaks: exact through a pipe, plain on a terminal.
        const QByteArray listed("Get SD File Directory: 64,68 : 3 bytes written\n");
        const QByteArray entry = QByteArray("RAW.BIN").leftJustified(12) + "  " + QByteArray::number(hostile.size());
        QCOMPARE(RunCliWith(port + QStringList{"view-directory"}, pipe).outBytes, entry + "\r\n" + listed);
        QCOMPARE(RunCliWith(port + QStringList{"view-directory"}, terminal).outBytes, entry + "\n" + listed);
    }

    void aPacketTheLineDoesNotTakeFailsTheRun()
    {
        SilentPty line;
        QVERIFY(line.isOpen());
        FillLine(line.slaveFd());
        const CliRun run = RunCli({"--port", line.slavePath(), "set-pixel", "1", "2"});
        QCOMPARE(run.out, QStringLiteral("Set Pixel: 80,1,2,255,255 : 0 bytes written\n> No response!\n"));
        QCOMPARE(run.exitCode, 1);
    }

    void anUploadWhoseLinkGoesAwayStopsAndFails()
    {
        QTemporaryDir dir;
        const QString picture = SavePicture(dir, QStringLiteral("white.png"), Filled(96, 64, Qt::white), "PNG");
        int master = -1;
        int slave = -1;
        char name[256] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        termios tio {};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        // The tool must not inherit the module's end, or it would never go.
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);

        QProcess cli;
        cli.start(CliProgram(), {"--port", QString::fromLocal8Bit(name), "display-image", picture});
        QVERIFY(cli.waitForStarted(10000));
        // Take a few rows of the upload, then the module is gone.
        QByteArray received;
        QElapsedTimer clock;
        clock.start();
        while (received.size() < 2000 && clock.elapsed() < 30000 && cli.state() == QProcess::Running) {
            pollfd fd{master, POLLIN, 0};
            if (::poll(&fd, 1, 50) > 0) {
                char buffer[4096];
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n > 0)
                    received.append(buffer, int(n));
            }
        }
        ::close(master);
        ::close(slave);
        QVERIFY(received.size() >= 2000);
        QVERIFY(cli.waitForFinished(30000));
        const QString out = QString::fromUtf8(cli.readAllStandardOutput());
        QVERIFY2(cli.exitCode() == 1, qPrintable(out + QString::fromUtf8(cli.readAllStandardError())));

        // The loss is named under the command's lines.
        const QRegularExpression log(QStringLiteral("^Display Image: 73, 0, 0, 96, 64, 16, 255, 255, 255, 255, \\.\\.\\. : "
                                                    "(\\d+) bytes written\n> No response!\n> Port lost: %1\n$")
                                         .arg(QRegularExpression::escape(QString::fromLocal8Bit(name))));
        const auto match = log.match(out);
        QVERIFY2(match.hasMatch(), qPrintable(out));
        // The count is what the line took: at least what arrived, and not
        // the whole picture.
        const int written = match.captured(1).toInt();
        QVERIFY2(written >= received.size() && written < 6 + 96 * 64 * 2, qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestCliWire)
#include "tst_cli_wire.moc"
