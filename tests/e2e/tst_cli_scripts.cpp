// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli run against quennel-emu over a pseudo-terminal: a script leaves
// the same picture and sends the same bytes as its commands run one call at
// a time; a line that does not parse, or that its command would refuse,
// stops it before anything is sent; a line refused only when it runs stops
// the run there and is named.

#include "commands/script/Script.h"
#include "support/CliRunner.h"
#include "support/LoggingEmulator.h"
#include "support/PictureFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

CliRun RunScriptFrom(const QStringList& arguments, const QByteArray& script)
{
    CliRunOptions options;
    options.input = script;
    return RunCliWith(arguments + QStringList{QStringLiteral("run"), QStringLiteral("-")}, options);
}

QByteArray CoveringScript(const QString& picture)
{
    const QStringList lines = {
        "# Drawing",
        "clear-screen",
        "foreground-color FF0000",
        "draw-line 0 0 95 63",
        "draw-rectangle 2 2 40 20",
        "set-solid-mode",
        "foreground-color 00FF00",
        "draw-circle 70 15 8",
        "draw-triangle 10 60 30 40 50 60",
        "set-wireframe-mode",
        "draw-polygon 60 40 80 35 90 50 75 60 62 55 0 0 0 0 --vertices=5",
        "set-pixel 95 63",
        "copy-area 0 0 16 16 48 48",
        "read-pixel 70 15",
        "foreground-color FFFF00   # the read colour would stay otherwise",
        "",
        "# Text",
        "set-font 1",
        "set-font-mode 1",
        "print-character 1 1 A --formatted",
        "print-text-string 0 24 1 1 'Hi \"there\"' --font=1",
        "text-button 40 30 1 1 'OK!' --font=1",
        "print-text-string 2 40 2 1 $'two\\nlines' --font=0",
        "",
        "# A user character",
        "add-user-char 5 '#......#' '.#....#.' '..#..#..' '...##...' '...##...' '..#..#..' '.#....#.' '#......#'",
        "display-user-char 88 2 5",
        "",
        "# A card file written and read back",
        "open-file-to-write NOTE.TXT",
        "write-to-file 'Hello # card'",
        "close-file",
        "open-file-to-read NOTE.TXT",
        "read-from-file 5",
        "read-from-file 255",
        "close-file",
        "view-directory",
        "",
        "# A picture upload",
        "display-image PICTURE 60 40 --resize 24x16 --depth 8",
        "wait 20",
        "background-color 0000FF",
        "set-background-color",
        "dim-area 0 0 10 10",
        "write-command 164",
        "get-device-info --repeat=0",
    };
    const QString text = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QString quoted = picture;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QString(text).replace(QStringLiteral("PICTURE"), QLatin1Char('\'') + quoted + QLatin1Char('\'')).toUtf8();
}

} // namespace

class TestCliScripts : public QObject {
    Q_OBJECT
private slots:
    void scriptMatchesOneCallPerCommand()
    {
        QTemporaryDir pictures;
        QDir().mkpath(pictures.filePath(QStringLiteral("my pictures")));
        QImage photo(40, 30, QImage::Format_RGB888);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixelColor(x, y, QColor(x * 6, y * 8, (x + y) * 3));
        const QString picture = SavePicture(pictures, QStringLiteral("my pictures/it's a photo.png"), photo, "png");
        const QByteArray text = CoveringScript(picture);
        Script script;
        ScriptError error;
        QVERIFY2(ParseScript(text, script, error), qPrintable(error.text()));
        QVERIFY(script.stepCount() >= 30);

        LoggingEmulator byScript;
        QVERIFY2(byScript.isReady(), qPrintable(byScript.emulator->errorString()));
        const CliRun run = RunScriptFrom(byScript.port(), text);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));

        // The same commands, one tavrel-cli call each; the colour lines
        // become --fg and --bg.
        LoggingEmulator byCalls;
        QVERIFY2(byCalls.emulator->isReady(), qPrintable(byCalls.emulator->errorString()));
        QString foreground = QStringLiteral("FFFFFF");
        QString background = QStringLiteral("000000");
        QString outputs;
        for (int i = 0; i < script.stepCount(); ++i) {
            const ScriptStep step = script.step(i);
            if (step.kind == ScriptStep::Kind::ForegroundColour)
                foreground = ColourArgument(step.colour);
            else if (step.kind == ScriptStep::Kind::BackgroundColour)
                background = ColourArgument(step.colour);
            if (step.kind != ScriptStep::Kind::Command)
                continue;
            const CliRun call = RunCli(byCalls.port() + QStringList{"--fg", foreground, "--bg", background} + step.words);
            QVERIFY2(call.exitCode == 0, qPrintable(step.words.join(' ') + ": " + call.err));
            outputs += call.out;
        }

        QCOMPARE(run.out, outputs);
        const QByteArray sent = byScript.receivedBytes();
        QVERIFY(sent.contains(QByteArray("\x49\x3c\x28\x18\x10\x08", 6)));  // the picture's header
        QVERIFY(sent == byCalls.receivedBytes());
        const QImage frame = byScript.frameImage();
        QVERIFY(!frame.isNull());
        QVERIFY(frame == byCalls.frameImage());
        QCOMPARE(ReadAll(QDir(byScript.card).filePath(QStringLiteral("NOTE.TXT"))), QByteArray("Hello # card"));
    }

    void refusedLineStopsTheRun()
    {
        LoggingEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        // Refused before the run: nothing is sent.
        const QByteArray script = "set-pixel 1 1\n# a comment\ndraw-line 0 0 96 0\nset-pixel 2 2\n";
        CliRun run = RunScriptFrom(rig.port(), script);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("tavrel-cli: line 3: draw-line: Pixel out of bounds!\n"
                                         "tavrel-cli: nothing was sent: the run would stop at that line\n"));
        QCOMPARE(run.out, QString());
        QCOMPARE(rig.receivedBytes(), QByteArray());

        // A picture that is there but cannot be decoded is found when it runs.
        const QString damaged = rig.root.filePath(QStringLiteral("damaged.png"));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG not really");
        file.close();
        run = RunScriptFrom(rig.port(), "set-pixel 1 1\ndisplay-image " + damaged.toUtf8() + "\nset-pixel 2 2\n");
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("tavrel-cli: line 2: display-image was refused; the run stops there\n")),
                 qPrintable(run.err));
        QVERIFY2(run.out.startsWith(QStringLiteral("Set Pixel: 80,1,1,255,255 : 5 bytes written\n> Command Acknowledged\n"))
                     && !run.out.contains(QStringLiteral("80,2,2")),
                 qPrintable(run.out));
        QCOMPARE(rig.receivedBytes(), QByteArray("\x50\x01\x01\xff\xff", 5));

        // --keep-going runs on, and fails at the end.
        run = RunCliWith(rig.port() + QStringList{"run", "--keep-going", "-"}, CliRunOptions{{}, {}, script});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("tavrel-cli: line 3: draw-line was refused\n")), qPrintable(run.err));
        QVERIFY2(run.err.endsWith(QStringLiteral("tavrel-cli: 1 command of the script failed\n")), qPrintable(run.err));
        QVERIFY(rig.receivedBytes().endsWith(QByteArray("\x50\x01\x01\xff\xff\x50\x01\x01\xff\xff\x50\x02\x02\xff\xff", 15)));
    }

    void traceShowsTheWholeRunOnOneOpening()
    {
        LoggingEmulator rig;
        QVERIFY2(rig.isReady(), qPrintable(rig.emulator->errorString()));
        const QByteArray script = "set-pixel 1 1\nforeground-color 00FF00\nwait 5\ndraw-line 0 0 3 3\n";
        const CliRun run = RunScriptFrom(rig.port() + QStringList{"--trace"}, script);
        QCOMPARE(run.exitCode, 0);
        // Standard output is what it is without --trace.
        QCOMPARE(run.out, RunScriptFrom(rig.port(), script).out);
        QStringList opened;
        QByteArray sent;
        for (const QString& line : run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            QCOMPARE(fields.size(), 6);
            if (fields.at(3).startsWith(QStringLiteral("Port opened")))
                opened << line;
            if (fields.at(2) == QLatin1String("->"))
                sent += QByteArray::fromHex(fields.at(4).toLatin1());
        }
        QCOMPARE(opened.size(), 1);
        QCOMPARE(sent.toHex(' '), QByteArray("50 01 01 ff ff 4c 00 00 03 03 07 e0"));
    }

    void unparsableLineSendsNothing()
    {
        LoggingEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        for (const QByteArray& script : {QByteArray("set-pixel 1 1\n\nprint-text-string 0 0 1 1 'open\n"),
                                         QByteArray("set-pixel 1 1\ndraw-polygon --vertices=2\n"),
                                         QByteArray("clear-screen\nwait soon\n")}) {
            const CliRun run = RunScriptFrom(rig.port(), script);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.startsWith(QStringLiteral("tavrel-cli: line ")), qPrintable(run.err));
            QVERIFY(run.out.isEmpty());
        }
        QVERIFY(rig.receivedBytes().isEmpty());
        const CliRun run = RunScriptFrom(rig.port(), "set-pixel 1 1\n\nprint-text-string 0 0 1 1 'open\n");
        QCOMPARE(run.err, QStringLiteral("tavrel-cli: line 3: the closing ' is missing\n"));

        const CliRun missing = RunCli(rig.port() + QStringList{"run", rig.root.filePath("none.txt")});
        QCOMPARE(missing.exitCode, 2);
        QVERIFY2(missing.err.startsWith(QStringLiteral("tavrel-cli: run: cannot read ")), qPrintable(missing.err));
        QCOMPARE(RunCli(rig.port() + QStringList{"run"}).exitCode, 2);
        QCOMPARE(RunCli(rig.port() + QStringList{"run", "a", "b"}).exitCode, 2);
    }

    void aScriptPastItsBoundStopsThere()
    {
        // 20 MiB on standard input, as from a program that does not stop:
        // refused where it passes 16 MiB, in bounded memory, nothing sent.
        LoggingEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        const QByteArray line = "wait 0   " + QByteArray(1014, '#') + '\n';
        CliRunOptions options;
        for (int i = 0; i < 20 * 1024; ++i)
            options.input += line;
        const CliRun run = RunCliWith(rig.port() + QStringList{"run", "-"}, options);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, QStringLiteral("tavrel-cli: line 16385: the script goes on past 16 MiB, the most a script "
                                         "may have\n"));
        // Under AddressSanitizer, its shadow memory and the freed blocks it
        // holds back in quarantine come on top of what the reading takes.
#if defined(__SANITIZE_ADDRESS__)
        constexpr qint64 kPeakLimitKb = 600 * 1024;
#else
        constexpr qint64 kPeakLimitKb = 200 * 1024;
#endif
        if (run.peakRssKb > 0)
            QVERIFY2(run.peakRssKb < kPeakLimitKb, qPrintable(QString::number(run.peakRssKb)));
        QVERIFY(rig.receivedBytes().isEmpty());

        // A 0 byte on standard input is not text, as in a file: it neither
        // ends the line early nor the script.
        options.input = QByteArray("\0\nclear-screen\n", 15);
        const CliRun zero = RunCliWith(rig.port() + QStringList{"run", "-"}, options);
        QCOMPARE(zero.exitCode, 2);
        QCOMPARE(zero.err, QStringLiteral("tavrel-cli: line 1: not UTF-8 text\n"));
        QVERIFY(rig.receivedBytes().isEmpty());
    }

    void waitPausesAndFilesNeedNoPort()
    {
        LoggingEmulator rig;
        QVERIFY2(rig.emulator->isReady(), qPrintable(rig.emulator->errorString()));
        QElapsedTimer clock;
        clock.start();
        CliRun run = RunScriptFrom(rig.port(), "set-pixel 0 0\nwait 400\nset-pixel 1 0\n");
        QCOMPARE(run.exitCode, 0);
        QVERIFY(clock.elapsed() >= 400);

        // A script of file commands opens no port, so a missing one is no
        // matter; one that needs the port stops at once when it will not open.
        QTemporaryDir dir;
        const QString in = SavePicture(dir, QStringLiteral("in.png"), Filled(4, 4, Qt::red), "png");
        const QString out = dir.filePath(QStringLiteral("out.dat"));
        const QStringList nowhere{QStringLiteral("--port"), dir.filePath(QStringLiteral("no-such-port"))};
        run = RunScriptFrom(nowhere, QStringLiteral("convert '%1' '%2' --depth 8\n").arg(in, out).toUtf8());
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(out));
        const QString unmade = dir.filePath(QStringLiteral("unmade.dat"));
        run = RunScriptFrom(nowhere, QStringLiteral("convert '%1' '%2'\nclear-screen\n").arg(in, unmade).toUtf8());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringLiteral("Error Creating Com Port Interface.\n"));
        QVERIFY(!QFile::exists(unmade));
    }
};

QTEST_GUILESS_MAIN(TestCliScripts)
#include "tst_cli_scripts.moc"
