// SPDX-License-Identifier: GPL-3.0-or-later
// The text, font and user-character commands of tavrel-cli against
// quennel-emu over a pseudo-terminal: what is printed, what goes to standard
// error, and the exit status. The module's drawing is not looked at here.

#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"

#include <QtTest>

using namespace tavrel::testing;

namespace {

const QString kAck = QStringLiteral("\n> Command Acknowledged\n");

} // namespace

class TestCliText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_emulator = std::make_unique<EmulatorProcess>();
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void textCommands()
    {
        CliRun run = cli({"print-character"});
        QCOMPARE(run.out, QStringLiteral("Text Character: 116,82,0,0,255,255 : 6 bytes written") + kAck);
        QCOMPARE(run.exitCode, 0);
        run = cli({"print-character", "2", "3", "A", "--formatted"});
        QCOMPARE(run.out, QStringLiteral("Text Character: 84,65,2,3,255,255 : 6 bytes written") + kAck);
        run = cli({"print-text-string", "0", "0", "1", "1", "0123456789", "--formatted", "--font=2"});
        QCOMPARE(run.out, QStringLiteral("Print String: 115, 0, 0, 2, 255, 255, 48, 49, 50, 51, 52, 53, 54, 55, 56, "
                                         "57, \n0, : 17 bytes written")
                     + kAck);
        run = cli({"--bg", "0000FF", "text-button", "1", "2", "1", "1", "Go", "--button-down"});
        QCOMPARE(run.out,
                 QStringLiteral("Text Button: 98, 0, 1, 2, 0, 31, 0, 255, 255, 1, 1, 71, 111, 0, : 14 bytes written") + kAck);
        run = cli({"set-font", "8x12"});
        QCOMPARE(run.out, QStringLiteral("Set Font: 70,2 : 2 bytes written") + kAck);
        run = cli({"set-font-mode", "opaque"});
        QCOMPARE(run.out, QStringLiteral("Set Font Mode: 79,1 : 2 bytes written") + kAck);
        QCOMPARE(run.exitCode, 0);
    }

    void userCharacters()
    {
        CliRun run = cli({"add-user-char", "6", "########", "#......#", "#......#", "#..##..#", "#..##..#", "#......#",
                          "#......#", "########"});
        QCOMPARE(run.out,
                 QStringLiteral("Add User Character: 65,6,255,129,129,153,153,129,129,255 : 10 bytes written") + kAck);
        run = cli({"add-user-char", "5", "128"});
        QCOMPARE(run.out, QStringLiteral("Add User Character: 65,5,128,0,0,0,0,0,0,0 : 10 bytes written") + kAck);
        run = cli({"display-user-char", "10", "20", "6"});
        QCOMPARE(run.out, QStringLiteral("Display Character: 68,6,10,20,255,255 : 6 bytes written") + kAck);
        QCOMPARE(run.exitCode, 0);
    }

    void refusals()
    {
        const CliRun fits = cli({"print-text-string", "0", "0", "1", "1", QString(291, 'a')});
        QVERIFY2(fits.out.endsWith(QStringLiteral(": 300 bytes written") + kAck), qPrintable(fits.out.right(80)));
        const struct {
            QStringList arguments;
            QString out;
            QString errorPart;
        } cases[] = {
            {{"print-text-string", "0", "0", "1", "1", QString(292, 'a')}, "Text too long: nothing sent.\n", "291"},
            {{"add-user-char", "6", "#.#"}, "User character error.\n", "\"#.#\""},
            {{"display-user-char", "96", "0", "6"}, "Set pixel bounds error.\n", "Pixel out of bounds!"},
        };
        for (const auto& c : cases) {
            const CliRun run = cli(c.arguments);
            QCOMPARE(run.out, c.out);
            QVERIFY2(run.err.contains(c.errorPart), qPrintable(run.err));
            QCOMPARE(run.exitCode, 1);
        }
    }

    void helpListsTheCommands()
    {
        const CliRun help = run({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const char* line : {"print-character [X Y CHARACTER] [--formatted]",
                                 "print-text-string [X Y NXWIDTH NXHEIGHT TEXT] [--formatted] [--font=N]",
                                 "text-button [X Y NXWIDTH NXHEIGHT TEXT] [--button-down] [--font=N]", "set-font N",
                                 "set-font-mode N", "add-user-char [N ROW0 ROW1 ROW2 ROW3 ROW4 ROW5 ROW6 ROW7]",
                                 "display-user-char [X Y N]"})
            QVERIFY2(help.out.contains(QLatin1String(line)), line);
    }

private:
    CliRun cli(const QStringList& arguments)
    {
        return run(QStringList{"--port", m_emulator->ptyPath()} + arguments);
    }

    static CliRun run(const QStringList& arguments) { return RunCli(arguments); }

    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCliText)
#include "tst_cli_text.moc"
