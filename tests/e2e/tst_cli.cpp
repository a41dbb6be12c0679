// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli against quennel-emu over a pseudo-terminal, against a silent
// line, a missing device and the in-process emulator; its help, manual pages
// and completion.

#include "commands/CommandTable.h"
#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/PictureFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;


class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_emulator = std::make_unique<EmulatorProcess>();
        QVERIFY2(m_emulator->isReady(), qPrintable(m_emulator->errorString()));
    }
    void cleanupTestCase() { m_emulator.reset(); }

    void setPixelIsAcknowledged()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "set-pixel", "95", "63"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QStringLiteral("Set Pixel: 80,95,63,255,255 : 5 bytes written\n> Command Acknowledged\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void readPixelReturnsAColourSetBefore()
    {
        // Each call is its own client of the same emulator; the module keeps
        // its picture between them.
        QCOMPARE(RunCli({"--port", m_emulator->ptyPath(), "--fg", "FF8000", "set-pixel", "3", "4"}).exitCode, 0);
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "read-pixel", "3", "4"});
        // 0xFF8000 -> RGB565 0xFC00 -> bytes 252, 0.
        QCOMPARE(run.out, QStringLiteral("Read Pixel: 82,3,4 : 3 bytes written\n"
                                         "> Foreground color set to 16-bit color response: 252, 0\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void fieldTextsConvertAsTheDialogDoes()
    {
        const CliRun run = RunCli({"--port", m_emulator->ptyPath(), "set-pixel", "10px", "abc"});
        QVERIFY2(run.out.startsWith(QStringLiteral("Set Pixel: 80,10,0,255,255 : 5 bytes written")), qPrintable(run.out));
        QCOMPARE(run.exitCode, 0);
    }

    void outOfBoundsIsRefused_data()
    {
        QTest::addColumn<QStringList>("point");
        QTest::newRow("x 96") << QStringList{"96", "0"};
        QTest::newRow("y 64") << QStringList{"0", "64"};
        QTest::newRow("negative") << QStringList{"-1", "0"};
    }
    void outOfBoundsIsRefused()
    {
        QFETCH(QStringList, point);
        const CliRun run = RunCli(QStringList{"--port", m_emulator->ptyPath(), "set-pixel"} + point);
        QCOMPARE(run.out, QStringLiteral("Set pixel bounds error.\n"));
        QCOMPARE(run.err, QStringLiteral("Pixel out of bounds!\n"));
        QCOMPARE(run.exitCode, 1);
    }

    void missingDeviceFailsToOpen()
    {
        const CliRun run = RunCli({"--port", "/dev/tavrel-no-such-device", "set-pixel", "1", "1"});
        QCOMPARE(run.out, QStringLiteral("Error Creating Com Port Interface.\n"));
        QCOMPARE(run.exitCode, 1);
    }

    void silentLineGivesNoResponseAfterAboutHalfASecond()
    {
        SilentPty silent;
        QVERIFY(silent.isOpen());
        const CliRun run = RunCli({"--port", silent.slavePath(), "set-pixel", "1", "2"});
        QCOMPARE(run.out, QStringLiteral("Set Pixel: 80,1,2,255,255 : 5 bytes written\n> No response!\n"));
        QCOMPARE(run.exitCode, 0);
        // The reply wait is 10 ms plus a 510 ms read time-out: the whole run
        // takes at least that, and nowhere near several seconds.
        QVERIFY2(run.elapsedMs >= 500, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY2(run.elapsedMs < 4000, qPrintable(QString::number(run.elapsedMs)));
        QCOMPARE(silent.drainMaster(), QByteArray::fromHex("500102ffff"));
    }

    void inProcessEmulator()
    {
        const CliRun run = RunCli({"--port", "emulator", "read-pixel", "0", "0"});
        QCOMPARE(run.out, QStringLiteral("Read Pixel: 82,0,0 : 3 bytes written\n"
                                         "> Foreground color set to 16-bit color response: 0, 0\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void usageErrors()
    {
        QCOMPARE(RunCli({}).exitCode, 2);
        QCOMPARE(RunCli({"no-such-command"}).exitCode, 2);
        QCOMPARE(RunCli({"--fg", "red", "set-pixel"}).exitCode, 2);
        const CliRun help = RunCli({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("set-pixel [X Y]")));
        QVERIFY(help.out.contains(QStringLiteral("read-pixel [X Y]")));
        QCOMPARE(RunCli({"help"}).out, help.out);
    }

    void helpForOneCommand()
    {
        // Both ways of asking, the fields in the dialog's order with their
        // values and defaults, and an example that runs.
        const CliRun help = RunCli({"help", "draw-circle"});
        QCOMPARE(help.exitCode, 0);
        QCOMPARE(RunCli({"draw-circle", "--help"}).out, help.out);
        QCOMPARE(RunCli({"draw-circle", "1", "--help"}).out, help.out);
        QCOMPARE(RunCli({"--help", "draw-circle"}).out, help.out);
        QCOMPARE(RunCli({"draw-circle", "-h"}).out, help.out);
        const QStringList lines = help.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("Usage: tavrel-cli [OPTIONS] draw-circle [X Y RADIUS]"));
        const int x = help.out.indexOf(QStringLiteral("\n  X "));
        const int y = help.out.indexOf(QStringLiteral("\n  Y "));
        const int radius = help.out.indexOf(QStringLiteral("\n  RADIUS "));
        QVERIFY2(x > 0 && x < y && y < radius, qPrintable(help.out));
        QVERIFY(help.out.contains(QStringLiteral("Values: 0 to 95.")));
        QVERIFY(help.out.contains(QStringLiteral("Default: 3.")));
        const int example = lines.indexOf(QStringLiteral("Example:"));
        QVERIFY(example > 0);
        QStringList words = lines.at(example + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(words.takeFirst(), QStringLiteral("tavrel-cli"));
        QCOMPARE(RunCli(QStringList{"--port", "emulator"} + words).exitCode, 0);

        const CliRun picture = RunCli({"help", "convert"});
        QVERIFY(picture.out.contains(QStringLiteral("--resize=WxH")));
        QCOMPARE(RunCli({"help", "no-such-command"}).exitCode, 2);
        QCOMPARE(RunCli({"help", "run"}).exitCode, 0);
    }

    void manualPagesAndCompletion()
    {
#ifdef TAVREL_TEST_HAVE_DOCS
        QTemporaryDir dir;
        QProcess docs;
        docs.start(BuiltProgram(QStringLiteral("tavrel-docs")), {"--version", "9.9", "--date", "2026-12-08", dir.path()});
        QVERIFY(docs.waitForFinished(60000));
        QCOMPARE(docs.exitCode(), 0);
        // The same release makes the same files, whenever and however often
        // they are made: the date is the one given, never the clock's.
        QTemporaryDir again;
        docs.start(BuiltProgram(QStringLiteral("tavrel-docs")), {"--version", "9.9", "--date", "2026-12-08", again.path()});
        QVERIFY(docs.waitForFinished(60000));
        for (const QString& file : QDir(dir.path()).entryList(QDir::Files)) {
            QCOMPARE(ReadAll(again.filePath(file)), ReadAll(dir.filePath(file)));
            if (file.endsWith(QLatin1String(".1")))
                QVERIFY2(ReadAll(dir.filePath(file)).contains(" 1 \"2026-12-08\" \"Tavrel 9.9\""), qPrintable(file));
        }
        const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
        const QString lexgrog = QStandardPaths::findExecutable(QStringLiteral("lexgrog"));
        for (const QString& name : {QStringLiteral("tavrel"), QStringLiteral("tavrel-cli"), QStringLiteral("quennel-emu")}) {
            const QString page = dir.filePath(name + QStringLiteral(".1"));
            const QString text = QString::fromUtf8(ReadAll(page));
            for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "SEE ALSO"})
                QVERIFY2(text.contains(QStringLiteral("\n.SH ") + QLatin1String(section) + QLatin1Char('\n')),
                         qPrintable(name + ": " + section));
            if (!groff.isEmpty()) {
                QProcess check;
                check.start(groff, {"-ww", "-z", "-man", "-Tutf8", page});
                QVERIFY(check.waitForFinished(60000));
                QCOMPARE(check.exitCode(), 0);
                QCOMPARE(QString::fromUtf8(check.readAllStandardError()), QString());
            }
            if (!lexgrog.isEmpty()) {
                QProcess check;
                check.start(lexgrog, {page});
                QVERIFY(check.waitForFinished(60000));
                const QByteArray parsed = check.readAllStandardOutput();
                QVERIFY2(check.exitCode() == 0 && parsed.contains(name.toUtf8() + " - "), parsed.constData());
            }
        }
        // Every command of the table, with its usage, and the sections a
        // user looks for.
        const QString cli = QString::fromUtf8(ReadAll(dir.filePath(QStringLiteral("tavrel-cli.1"))));
        for (const char* section : {"COMMANDS", "SCRIPTS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES"})
            QVERIFY2(cli.contains(QStringLiteral("\n.SH ") + QLatin1String(section) + QLatin1Char('\n')), section);
        for (const CommandInfo& command : AllCommands()) {
            const QString name = CliName(command.caption);
            QVERIFY2(cli.contains(QStringLiteral("\n\\fB") + QString(name).replace('-', "\\-") + QStringLiteral("\\fR")),
                     qPrintable(name));
        }
        // Each program's options are in its page.
        const QString panel = QString::fromUtf8(ReadAll(dir.filePath(QStringLiteral("tavrel.1"))));
        for (const char* told : {"dialout", "\\-\\-reset\\-settings", "tavrel.ini", "cannot remove FILE", "F1"})
            QVERIFY2(panel.contains(QLatin1String(told)), told);
        QVector<QPair<QString, QString>> programs = {{BuiltProgram(QStringLiteral("tavrel")), panel},
                                                     {CliProgram(), cli}};
#ifdef TAVREL_TEST_HAVE_QUENNEL_EMU
        programs.push_back({BuiltProgram(QStringLiteral("quennel-emu")),
                            QString::fromUtf8(ReadAll(dir.filePath(QStringLiteral("quennel-emu.1"))))});
#endif
        static const QRegularExpression option(QStringLiteral("(?:^|\\s)(--[a-z][a-z-]+)"));
        for (const auto& [program, page] : programs) {
            QProcess help;
            help.start(program, {"--help"});
            QVERIFY(help.waitForFinished(60000));
            for (const auto& match : option.globalMatch(QString::fromUtf8(help.readAllStandardOutput()))) {
                const QString roff = match.captured(1).replace('-', QStringLiteral("\\-"));
                QVERIFY2(page.contains(roff), qPrintable(program + ": " + match.captured(1)));
            }
        }

        // The completion offers commands, options, their values and ports.
        const QString completion = dir.filePath(QStringLiteral("tavrel-cli.bash-completion"));
        auto complete = [&completion](const QString& words) {
            QProcess bash;
            bash.start(QStringLiteral("bash"), {"-c", QStringLiteral("source \"$0\"; COMP_WORDS=(%1); "
                                                                     "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tavrel_cli; "
                                                                     "printf '%s\\n' \"${COMPREPLY[@]}\"")
                                                          .arg(words),
                                                completion});
            bash.waitForFinished(30000);
            return QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        };
        QCOMPARE(complete(QStringLiteral("tavrel-cli print-t")), QStringList{"print-text-string"});
        QVERIFY(complete(QStringLiteral("tavrel-cli --port ''")).contains(QStringLiteral("emulator")));
        QCOMPARE(complete(QStringLiteral("tavrel-cli --tr")), QStringList{"--trace"});
        QCOMPARE(complete(QStringLiteral("tavrel-cli --port emulator text-button 1 --b")), QStringList{"--button-down"});
        QCOMPARE(complete(QStringLiteral("tavrel-cli set-font 1 --fo")), QStringList());
        QCOMPARE(complete(QStringLiteral("tavrel-cli print-text-string --font ''")), (QStringList{"0", "1", "2", "3"}));
        QCOMPARE(complete(QStringLiteral("tavrel-cli convert --depth = ''")), (QStringList{"16", "8"}));
#else
        QSKIP("no tavrel-docs in this build");
#endif
    }

private:
    std::unique_ptr<EmulatorProcess> m_emulator;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
