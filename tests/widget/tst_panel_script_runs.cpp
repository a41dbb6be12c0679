// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's Run Script and Record Script on the built-in emulator: a bad
// line, or one its command would refuse, is shown with the file and line and
// nothing is sent, a long wait leaves the panel turning and Cancel ends it,
// a line refused only as it runs stops the run and says where, and a
// recording takes a script's lines once each.

#include "app/ScriptPlayer.h"
#include "emulator/Emulator.h"
#include "link/TrafficHistory.h"
#include "commands/script/ScriptWords.h"
#include "support/CommandLines.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Every byte the panel's session has written so far.
QByteArray SentBytes(CTavrelDlg& panel)
{
    const TrafficHistory& traffic = panel.session().traffic();
    QByteArray sent;
    for (qint64 i = traffic.firstSequence(); i < traffic.committedEnd(); ++i)
        if (const TrafficEntry* entry = traffic.entry(i); entry && entry->kind == TrafficKind::Sent)
            sent += entry->bytes;
    return sent;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A script file and the file names the panel asks for, answered without a
// dialog.
struct ScriptFiles {
    QTemporaryDir dir;
    QString open;
    QString save;
    UiSeam::FileNameHandler previousOpen;
    UiSeam::FileNameHandler previousSave;

    ScriptFiles()
    {
        previousOpen = UiSeam::setOpenFileNameHandler(
            [this](QWidget*, const QString&, const QString&, const QString&) { return open; });
        previousSave = UiSeam::setSaveFileNameHandler(
            [this](QWidget*, const QString&, const QString&, const QString&) { return save; });
    }
    ~ScriptFiles()
    {
        UiSeam::setOpenFileNameHandler(previousOpen);
        UiSeam::setSaveFileNameHandler(previousSave);
    }
    // Writes the script and makes it the file Run Script is given.
    void script(const QByteArray& text)
    {
        open = dir.filePath(QStringLiteral("run.tavrel"));
        QFile file(open);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
};

} // namespace

class TestPanelScriptRuns : public QObject {
    Q_OBJECT
private slots:
    void badLineIsShownAndNothingIsSent()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        const QByteArray before = SentBytes(open.panel);
        files.script("set-pixel 1 1\n\ndraw-line 0 0 'open\nset-pixel 2 2\n");
        open.panel.runScript();
        QVERIFY(!open.panel.scriptPlayer());
        QCOMPARE(seam.messages.size(), 1);
        QCOMPARE(seam.messages.first(),
                 QStringLiteral("Run Script|%1, line 3: the closing ' is missing\n\nThe script was not run and nothing "
                                "was sent. The panel's help (press F1) describes scripts and their commands.")
                     .arg(QDir::toNativeSeparators(files.open)));
        QCOMPARE(SentBytes(open.panel), before);

        // Every word that fits no field, and every line its command would
        // refuse, the same way.
        QVector<RefusedLine> refused = RefusedLines();
        refused.push_back({"off the panel", {"draw-line", "0", "0", "96", "0"}, "Pixel out of bounds!"});
        for (const RefusedLine& line : refused) {
            files.script("set-pixel 1 1\n" + JoinScriptWords(line.words).toUtf8() + '\n');
            seam.messages.clear();
            open.panel.runScript();
            QVERIFY(!open.panel.scriptPlayer());
            QCOMPARE(seam.messages.size(), 1);
            QVERIFY2(seam.messages.first().startsWith(QStringLiteral("Run Script|%1, line 2: ").arg(QDir::toNativeSeparators(files.open)))
                         && seam.messages.first().contains(line.named),
                     qPrintable(line.row + ": " + seam.messages.first()));
        }
        QCOMPARE(SentBytes(open.panel), before);
        seam.messages.clear();

        // A file that is not there is named, and nothing runs either.
        files.open = files.dir.filePath(QStringLiteral("missing.tavrel"));
        open.panel.runScript();
        QVERIFY(!open.panel.scriptPlayer());
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY2(seam.messages.last().contains(QStringLiteral("missing.tavrel")), qPrintable(seam.messages.last()));
        QCOMPARE(SentBytes(open.panel), before);
    }

    void waitKeepsThePanelTurningAndCancelEndsIt()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        const QByteArray before = SentBytes(open.panel);
        files.script("set-pixel 1 1\nwait 60000\nset-pixel 2 2\n");
        open.panel.runScript();
        ScriptPlayer* player = open.panel.scriptPlayer();
        QVERIFY(player);
        // The first line runs and shows its status while the wait goes on;
        // a timer of the panel's event loop still fires meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(SentBytes(open.panel), before + QByteArray("\x50\x01\x01\xff\xff", 5), 10000);
        QVERIFY2(open.panel.statusText().startsWith(QStringLiteral("Set Pixel: 80,1,1,255,255")),
                 qPrintable(open.panel.statusText()));
        bool ticked = false;
        QTimer::singleShot(10, [&ticked] { ticked = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ticked, 10000);
        QVERIFY(open.panel.scriptPlayer());

        // Cancel ends the wait at once: well inside the minute it asked for.
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(player->findChild<QPushButton*>(QStringLiteral("cancelScriptButton")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!open.panel.scriptPlayer(), 30000);
        QVERIFY(clock.elapsed() < 30000);
        QCoreApplication::processEvents();
        QCOMPARE(SentBytes(open.panel), before + QByteArray("\x50\x01\x01\xff\xff", 5));
        QCOMPARE(seam.messages, QStringList());
    }

    void refusedLineStopsTheRunAndIsNamed()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        const QByteArray before = SentBytes(open.panel);
        // A picture that is there but cannot be decoded is found as it runs.
        const QString damaged = files.dir.filePath(QStringLiteral("damaged.png"));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG not really");
        file.close();
        files.script("set-pixel 1 1\n# comment\ndisplay-image " + JoinScriptWords({damaged}).toUtf8() + "\nset-pixel 2 2\n");
        open.panel.runScript();
        QTRY_VERIFY_WITH_TIMEOUT(!open.panel.scriptPlayer(), 30000);
        QCOMPARE(seam.messages.size(), 2);
        QCOMPARE(seam.messages.last(), QStringLiteral("Run Script|The script %1 stopped at line 3: display-image was refused.")
                                           .arg(QDir::toNativeSeparators(files.open)));
        QCOMPARE(SentBytes(open.panel), before + QByteArray("\x50\x01\x01\xff\xff", 5));
    }

    // Data read from the card goes to the status window: no box stops the run.
    void cardReadsRunToTheEnd()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        QFile card(files.dir.filePath(QStringLiteral("HELLO.TXT")));
        QVERIFY(card.open(QIODevice::WriteOnly));
        card.write("Hello card");
        card.close();
        open.panel.emulator().setCardDirectory(files.dir.path());
        files.script("open-file-to-read HELLO.TXT\nread-from-file 5\nread-from-file 5\n");
        // A box that would stop the run is noted and closed, so that a
        // failure cannot hang the test.
        QStringList boxes;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget(); box && box != open.panel.scriptPlayer()) {
                boxes << box->windowTitle();
                box->close();
            }
        });
        watch.start(10);
        open.panel.runScript();
        QTRY_VERIFY_WITH_TIMEOUT(!open.panel.scriptPlayer(), 30000);
        QCOMPARE(boxes, QStringList());
        QCOMPARE(seam.messages, QStringList());
        QVERIFY2(open.panel.statusText().contains(QStringLiteral("\r\n> SD Card File Info:\r\n card")),
                 qPrintable(open.panel.statusText()));
    }

    void recordingTakesAScriptRunOnce()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        files.save = files.dir.filePath(QStringLiteral("rec.tavrel"));
        open.panel.recordScript();
        QVERIFY(open.panel.isRecording());
        files.script("foreground-color 00FF00\nset-pixel 1 1   # a comment\nwait 1\nset-font 3\n");
        open.panel.runScript();
        QTRY_VERIFY_WITH_TIMEOUT(!open.panel.scriptPlayer(), 30000);
        open.panel.stopRecording();
        QCOMPARE(seam.messages, QStringList());
        QStringList lines = QString::fromUtf8(ReadFile(files.save)).split(QLatin1Char('\n'));
        QVERIFY(lines.first().startsWith(QLatin1Char('#')));
        lines.removeFirst();
        QCOMPARE(lines, (QStringList{"foreground-color FFFFFF", "background-color 000000", "foreground-color 00FF00",
                                     "set-pixel 1 1", "wait 1", "set-font 3", ""}));
        QCOMPARE(open.panel.foregroundColour(), MakeHostColour(0, 255, 0));
    }

    void recordingThatCannotStartSaysWhy()
    {
        UiSeamRecorder seam;
        ScriptFiles files;
        OpenPanel open;
        files.save = files.dir.filePath(QStringLiteral("no-such-folder/rec.tavrel"));
        open.panel.recordScript();
        QVERIFY(!open.panel.isRecording());
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY2(seam.messages.first().startsWith(QStringLiteral("Record Script|Cannot record into ")),
                 qPrintable(seam.messages.first()));
        // A cancelled file dialog starts nothing and says nothing.
        files.save.clear();
        open.panel.recordScript();
        QVERIFY(!open.panel.isRecording());
        QCOMPARE(seam.messages.size(), 1);
    }
};

QTEST_MAIN(TestPanelScriptRuns)
#include "tst_panel_script_runs.moc"
