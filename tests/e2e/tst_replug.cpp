// SPDX-License-Identifier: GPL-3.0-or-later
// Unplugging and plugging in again, played with quennel-emu --link: ending
// the emulator is an unplug, starting another on the same link a replug.
// Where a command is when the port goes away is fixed by holding its
// output, not by timing, so that a loaded machine changes nothing.
// The panel notices the loss on its next command and takes the port back;
// tavrel-cli ends on a loss, or with --reconnect waits for the port and
// never sends a partly written command twice; commands run one after
// another through the reconnecting run land on the new emulator.

#include "app/CTavrelDlg.h"
#include "link/LostPortWatch.h"
#include "link/OpenLink.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "link/PortNames.h"
#include "link/ReconnectingRun.h"
#include "support/CliRunner.h"
#include "support/EmulatorProcess.h"
#include "support/FakeLink.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "widgets/PortStateLamp.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kPixelTitle = QStringLiteral("Enter Pixel Coordinates");

// One emulator "device" after another behind the same link path, each with
// a frame file of its own.
struct Bench {
    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("quennel"));
    std::unique_ptr<EmulatorProcess> emulator;
    int generation = 0;

    QString frameFile(int g) const { return dir.filePath(QStringLiteral("frame%1.png").arg(g)); }
    QString frameFile() const { return frameFile(generation); }

    // With a frame file, or without one (drawing then keeps up with a
    // paced upload instead of falling behind it).
    bool plugIn(bool keepFrame = true)
    {
        ++generation;
        QStringList arguments{QStringLiteral("--link"), link};
        if (keepFrame)
            arguments << QStringLiteral("--frame-file") << frameFile();
        emulator = std::make_unique<EmulatorProcess>(arguments);
        return emulator->isReady();
    }
    bool unplug()
    {
        const bool clean = emulator->terminateCleanly();
        emulator.reset();
        return clean && !QFileInfo(link).isSymLink();
    }
    // Whether the current emulator's glass shows anything but black.
    bool drawnOn(int g) const
    {
        const QImage frame(frameFile(g));
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                if (frame.pixelColor(x, y) != QColor(Qt::black))
                    return true;
            }
        }
        return false;
    }
    bool lit(int x, int y) const { return QImage(frameFile()).pixelColor(x, y) != QColor(Qt::black); }
};

// Presses Set Pixel and enters the point.
void SetPixelOn(CTavrelDlg& panel, int x, int y)
{
    ModalDriver driver;
    driver.expect(kPixelTitle, [x, y](QWidget* dialog) {
        ModalDriver::setText(dialog, QStringLiteral("xEdit"), QString::number(x));
        ModalDriver::setText(dialog, QStringLiteral("yEdit"), QString::number(y));
        ModalDriver::clickOk(dialog);
    });
    Click(panel, "setPixelButton");
    QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
}

QString SetPixelLog(int x, int y, int written)
{
    return QStringLiteral("Set Pixel: 80,%1,%2,255,255 : %3 bytes written").arg(x).arg(y).arg(written);
}

QImage WhitePicture()
{
    QImage picture(96, 64, QImage::Format_RGB888);
    picture.fill(Qt::white);
    return picture;
}

// tavrel-cli started in the background with --trace, for commands that are
// to lose their port while they run. Where the port goes away is fixed by
// holding one of its outputs (HeldPipe), never by timing:
//  - the trace: read until the command has got far enough, then no more, so
//    that the command stops within a page of trace (a few rows of an upload)
//    until the test reads on;
//  - standard output, full from the start: the first line's status text
//    cannot be printed, so a script does not get past its first line.
struct BackgroundCli {
    enum class Hold { Trace, Output };
    const bool traceHeld;
    HeldPipe held;
    QProcess process;
    QString trace;
    QByteArray output;

    BackgroundCli(const QString& folder, Hold hold, const QStringList& arguments)
        : traceHeld(hold == Hold::Trace)
        , held(QDir(folder).filePath(QStringLiteral("held")), hold == Hold::Output)
    {
        if (traceHeld)
            process.setStandardErrorFile(held.path());
        else
            process.setStandardOutputFile(held.path());
        process.start(CliProgram(), QStringList{QStringLiteral("--trace")} + arguments);
    }
    void readTrace()
    {
        if (traceHeld) {
            trace += QString::fromLocal8Bit(held.take());
            QThread::msleep(20);
        } else {
            process.waitForReadyRead(50);
            trace += QString::fromLocal8Bit(process.readAllStandardError());
        }
    }
    // Entries sent so far (one per write, one per row of a paced upload).
    int sentEntries()
    {
        readTrace();
        return int(trace.count(QStringLiteral("\t->\t")));
    }
    bool replied()
    {
        readTrace();
        return trace.contains(QStringLiteral("\t<-\t"));
    }
    // Lets the command go on and waits for its end.
    bool finish()
    {
        if (traceHeld)
            trace += QString::fromLocal8Bit(held.takeToEnd(60000));
        else
            output += held.takeToEnd(60000);
        const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        if (traceHeld)
            output += process.readAllStandardOutput();
        else
            trace += QString::fromLocal8Bit(process.readAllStandardError());
        return ended;
    }
    QString out() const { return QString::fromLocal8Bit(output); }
    // Standard error without the trace's entries.
    QString err() const
    {
        QStringList said;
        for (const QString& line : trace.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("tavrel-cli:")))
                said << line;
        }
        return said.join(QLatin1Char('\n'));
    }
};

} // namespace

class TestReplug : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
#ifndef TAVREL_TEST_HAVE_QUENNEL_EMU
        QSKIP("quennel-emu is not built on this platform");
#endif
    }

    // --- the emulator's link --------------------------------------------

    void linkNamesTheTerminalWhileTheEmulatorRuns()
    {
        Bench bench;
        QVERIFY(bench.plugIn());
        QCOMPARE(QFileInfo(bench.link).symLinkTarget(), bench.emulator->ptyPath());
        // A second emulator cannot take a path that is not such a link.
        const QString taken = bench.dir.filePath(QStringLiteral("plain"));
        QFile(taken).open(QIODevice::WriteOnly);
        EmulatorProcess refused({QStringLiteral("--link"), taken});
        QVERIFY(!refused.isReady());
        QCOMPARE(refused.process().exitCode(), 1);
        QVERIFY(QFileInfo(taken).isFile());
        // Nothing is left behind at the end, also not the temporary name.
        QVERIFY(bench.unplug());
        QCOMPARE(QDir(bench.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("frame1.png"), QStringLiteral("plain")}));
    }

    void laterEmulatorKeepsItsLinkWhenAnEarlierOneEnds()
    {
        Bench bench;
        QVERIFY(bench.plugIn());
        EmulatorProcess second({QStringLiteral("--link"), bench.link});
        QVERIFY2(second.isReady(), qPrintable(second.errorString()));
        QCOMPARE(QFileInfo(bench.link).symLinkTarget(), second.ptyPath());
        QVERIFY(bench.emulator->terminateCleanly());
        QCOMPARE(QFileInfo(bench.link).symLinkTarget(), second.ptyPath());
        QVERIFY(second.terminateCleanly());
        QVERIFY(!QFileInfo(bench.link).isSymLink());
    }

    // --- the panel ------------------------------------------------------

    void panelReportsTheLossAndTakesThePortBack()
    {
        Bench bench;
        QVERIFY(bench.plugIn());
        CTavrelDlg panel(OnPort(bench.link));
        panel.show();
        auto* lamp = panel.findChild<PortStateLamp*>(QStringLiteral("portStateLamp"));
        Click(panel, "openPortButton");
        SetPixelOn(panel, 1, 1);
        QCOMPARE(panel.statusText(), SetPixelLog(1, 1, 5) + kAck);
        QVERIFY(!panel.lostPortWatch().isWatching());

        QVERIFY(bench.unplug());
        SetPixelOn(panel, 2, 2);
        QCOMPARE(panel.statusText(), SetPixelLog(2, 2, 0) + QStringLiteral("\r\n> No response!\r\n> Port lost: ") + bench.link);
        QVERIFY(!lamp->isOpen());
        QVERIFY(lamp->isWaiting());
        QCOMPARE(lamp->toolTip(), QStringLiteral("Port lost, waiting for it to come back"));
        QVERIFY(panel.lostPortWatch().isWatching());

        QVERIFY(bench.plugIn());
        QTRY_VERIFY_WITH_TIMEOUT(panel.session().isOpen(), 30000);
        QVERIFY(panel.statusText().endsWith(QStringLiteral("\r\n> Port lost: %1\r\n> Port reopened: %1").arg(bench.link)));
        QVERIFY(lamp->isOpen());
        QVERIFY(!lamp->isWaiting());
        QCOMPARE(lamp->toolTip(), QStringLiteral("Port open"));
        QVERIFY(!panel.lostPortWatch().isWatching());

        SetPixelOn(panel, 3, 4);
        QCOMPARE(panel.statusText(), SetPixelLog(3, 4, 5) + kAck);
        QVERIFY(bench.lit(3, 4));
        QVERIFY(!bench.lit(2, 2));
    }

    void forgettingTheLostPortStopsTheWatch_data()
    {
        QTest::addColumn<bool>("byClosing");
        QTest::newRow("Close Port") << true;
        QTest::newRow("another port chosen") << false;
    }
    void forgettingTheLostPortStopsTheWatch()
    {
        QFETCH(bool, byClosing);
        Bench bench;
        QVERIFY(bench.plugIn());
        CTavrelDlg panel(OnPort(bench.link));
        panel.show();
        auto* lamp = panel.findChild<PortStateLamp*>(QStringLiteral("portStateLamp"));
        Click(panel, "openPortButton");
        QVERIFY(bench.unplug());
        SetPixelOn(panel, 1, 1);
        QVERIFY(panel.lostPortWatch().isWatching());
        const QString lost = panel.statusText();

        if (byClosing) {
            Click(panel, "closePortButton");
            // The port was already closed: the status window keeps its lines.
            QCOMPARE(panel.statusText(), lost);
        } else {
            ModalDriver driver;
            driver.expect(QStringLiteral("Com Port Settings"), [](QWidget* dialog) {
                auto* ports = dialog->findChild<QComboBox*>(QStringLiteral("portCombo"));
                ports->setCurrentIndex(ports->findData(EmulatorPortName()));
                ModalDriver::clickOk(dialog);
            });
            Click(panel, "comPortSettingsButton");
            QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        }
        QVERIFY(!panel.lostPortWatch().isWatching());
        QVERIFY(!lamp->isWaiting());
        const int probes = panel.lostPortWatch().probes();

        // The device comes back, and nobody takes it.
        QVERIFY(bench.plugIn());
        QTest::qWait(3 * LostPortWatch::kProbeIntervalMs);
        QCOMPARE(panel.lostPortWatch().probes(), probes);
        QVERIFY(!panel.session().isOpen());
    }

    // --- tavrel-cli -----------------------------------------------------

    void cliLossEndsTheRunWithoutReconnect()
    {
        Bench bench;
        QVERIFY(bench.plugIn(false));
        const QString picture = bench.dir.filePath(QStringLiteral("white.png"));
        QVERIFY(WhitePicture().save(picture));
        BackgroundCli cli(bench.dir.path(), BackgroundCli::Hold::Trace,
                          {QStringLiteral("--port"), bench.link, QStringLiteral("display-image"), picture});
        // Unplugged once the header and two rows are out; the trace is read
        // no further, so the upload of 64 rows stops a few rows later until
        // the unplug is done.
        QTRY_VERIFY_WITH_TIMEOUT(cli.sentEntries() >= 3, 30000);
        QVERIFY(bench.unplug());
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitCode(), 1);
        const QString out = cli.out();
        QVERIFY2(out.endsWith(QStringLiteral("\n> No response!\n> Port lost: %1\n").arg(bench.link)), qPrintable(out));
        // Cut short: fewer bytes than the whole upload went out.
        QVERIFY2(!out.contains(QStringLiteral(": 12294 bytes written")), qPrintable(out));
        QVERIFY2(cli.err().startsWith(QStringLiteral("tavrel-cli: the port went away (")), qPrintable(cli.err()));
        QVERIFY2(cli.trace.contains(QStringLiteral("Port lost: %1 (").arg(bench.link)), qPrintable(cli.trace));
    }

    void cliReconnectWaitsButNeverResendsAPartlyWrittenCommand()
    {
        Bench bench;
        QVERIFY(bench.plugIn(false));
        const QString picture = bench.dir.filePath(QStringLiteral("white.png"));
        QVERIFY(WhitePicture().save(picture));
        BackgroundCli cli(bench.dir.path(), BackgroundCli::Hold::Trace,
                          {QStringLiteral("--reconnect"), QStringLiteral("10"), QStringLiteral("--port"), bench.link,
                           QStringLiteral("display-image"), picture});
        QTRY_VERIFY_WITH_TIMEOUT(cli.sentEntries() >= 3, 30000);
        QVERIFY(bench.unplug());
        QVERIFY(bench.plugIn());
        QVERIFY(cli.finish());
        QCOMPARE(cli.process.exitCode(), 1);
        const QString out = cli.out();
        QVERIFY2(out.endsWith(QStringLiteral("\n> Port lost: %1\n> Port reopened: %1\n").arg(bench.link)),
                 qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral(": 12294 bytes written")), qPrintable(out));
        // One log line: the command ran once.
        QCOMPARE(out.count(QStringLiteral("Display Image: ")), 1);
        QVERIFY2(cli.err().contains(QStringLiteral("the command is not sent again")), qPrintable(cli.err()));
        // Not a byte of it reached the new emulator: the next command is
        // the first thing it sees.
        QVERIFY(!bench.drawnOn(2));
        const CliRun next = RunCli({QStringLiteral("--port"), bench.link, QStringLiteral("set-pixel"), QStringLiteral("5"),
                                    QStringLiteral("6")});
        QCOMPARE(next.exitCode, 0);
        QCOMPARE(next.out, SetPixelLog(5, 6, 5) + QStringLiteral("\n> Command Acknowledged\n"));
        QVERIFY(bench.lit(5, 6));
    }

    // A script run with --reconnect: the emulator is replaced after the
    // first line (the run is held there, its status text unprinted), the
    // next command meets the lost port before any of it is written, is sent
    // again on the new emulator, and the run goes on. Without --reconnect
    // the same loss ends the run there, and so does a port that stays away,
    // --keep-going or not.
    void scriptRunCarriesOnAcrossAReplug_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("plugBack");
        QTest::newRow("with --reconnect") << QStringList{"--reconnect", "10"} << true;
        QTest::newRow("without") << QStringList() << true;
        QTest::newRow("--keep-going, port stays away") << QStringList{"--keep-going"} << false;
        QTest::newRow("--keep-going --reconnect, port stays away")
            << QStringList{"--keep-going", "--reconnect", "1"} << false;
    }
    void scriptRunCarriesOnAcrossAReplug()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, plugBack);
        Bench bench;
        QVERIFY(bench.plugIn());
        const QString script = bench.dir.filePath(QStringLiteral("replug.tavrel"));
        {
            QFile file(script);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("set-pixel 1 1\nwait 10\nset-pixel 2 2\nset-pixel 3 3\n");
        }
        const bool keepGoing = options.removeAll(QStringLiteral("--keep-going")) > 0;
        QStringList arguments = QStringList{QStringLiteral("--port"), bench.link} + options + QStringList{QStringLiteral("run")};
        if (keepGoing)
            arguments << QStringLiteral("--keep-going");
        BackgroundCli cli(bench.dir.path(), BackgroundCli::Hold::Output, arguments << script);
        // Unplugged once the first line has its answer: the run cannot go
        // on before its status text is read.
        QTRY_VERIFY_WITH_TIMEOUT(cli.replied(), 30000);
        QVERIFY(bench.unplug());
        if (plugBack)
            QVERIFY(bench.plugIn());
        QVERIFY(cli.finish());
        const QString out = cli.out();
        QVERIFY2(out.startsWith(SetPixelLog(1, 1, 5) + QStringLiteral("\n> Command Acknowledged\n")), qPrintable(out));
        if (!options.contains(QStringLiteral("--reconnect")) || !plugBack) {
            QCOMPARE(cli.process.exitCode(), 1);
            QVERIFY2(out.endsWith(QStringLiteral("> Port lost: %1\n").arg(bench.link)), qPrintable(out));
            QVERIFY2(cli.err().contains(QStringLiteral("line 3: set-pixel: the port went away; the run stops there")),
                     qPrintable(cli.err()));
            QVERIFY2(!out.contains(SetPixelLog(3, 3, 5)), qPrintable(out));
            if (plugBack)
                QVERIFY(!bench.drawnOn(2));
            return;
        }
        QCOMPARE(cli.process.exitCode(), 0);
        QVERIFY2(cli.err().contains(QStringLiteral("tavrel-cli: line 3: the port went away (")), qPrintable(cli.err()));
        QVERIFY2(cli.err().contains(QStringLiteral("the command was sent again")), qPrintable(cli.err()));
        QVERIFY2(out.endsWith(SetPixelLog(2, 2, 5) + QStringLiteral("\n> Command Acknowledged\n") + SetPixelLog(3, 3, 5)
                              + QStringLiteral("\n> Command Acknowledged\n")),
                 qPrintable(out));
        QVERIFY(bench.lit(2, 2));
        QVERIFY(bench.lit(3, 3));
        QVERIFY(!bench.lit(1, 1));
    }

    // Lines run one after another, as a script does, each through the
    // reconnecting run: a line that meets the lost port before any of it
    // was written goes to the new emulator, and so does everything after.
    void commandsInARowCarryOnAcrossAReplug()
    {
        Bench bench;
        QVERIFY(bench.plugIn());
        ScriptedHost host;
        PanelSession session(host, MakeLinkOpener(nullptr));
        session.m_portName = bench.link;
        QVERIFY(OpenPort(session));
        ReconnectOptions options;
        options.waitMs = 10000;
        auto pixel = [&](int x, int y) {
            return RunReconnecting(
                session,
                [&, x, y] {
                    host.answers = {{QString::number(x), QString::number(y)}};
                    return SetPixel(session);
                },
                options);
        };

        QCOMPARE(pixel(1, 1).loss, LossHandling::None);
        QVERIFY(bench.unplug());
        QVERIFY(bench.plugIn());
        const ReconnectingRun across = pixel(2, 2);
        QCOMPARE(across.loss, LossHandling::Resent);
        QCOMPARE(across.runs, 2);
        QCOMPARE(host.status, SetPixelLog(2, 2, 5) + kAck);
        const ReconnectingRun after = pixel(3, 3);
        QCOMPARE(after.loss, LossHandling::None);
        QCOMPARE(host.status, SetPixelLog(3, 3, 5) + kAck);
        QVERIFY(session.everyWriteWhole());

        QVERIFY(bench.lit(2, 2));
        QVERIFY(bench.lit(3, 3));
        QVERIFY(!bench.lit(1, 1));
        session.dropPort();
    }
};

QTEST_MAIN(TestReplug)
#include "tst_replug.moc"
