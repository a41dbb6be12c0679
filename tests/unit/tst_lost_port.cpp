// SPDX-License-Identifier: GPL-3.0-or-later
// A device that goes away under an open port: the session tells a loss from
// a time-out, closes and remembers the port, says so under the command's
// own lines and sends nothing again by itself; the port is taken back when
// the device returns, and a command is run a second time only when none of
// it had reached the link.

#include "imaging/DisplayImageCommand.h"
#include "link/LostPortWatch.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "link/ReconnectingRun.h"
#include "link/TrafficHistory.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kAckLine = QStringLiteral("\r\n> Command Acknowledged");
const QString kNoResponse = QStringLiteral("\r\n> No response!");

// A port whose device can be unplugged and plugged in again. The port name
// is a file of a temporary folder: a device without an adapter id counts as
// back when its name exists. Every open makes a new link that acknowledges
// every command, so what each connection received can be told apart.
struct Replug {
    QTemporaryDir folder;
    QString port = folder.filePath(QStringLiteral("ttyFAKE0"));
    ScriptedHost host;
    FakeClock clock;
    QVector<std::shared_ptr<FakeLinkState>> links;
    QVector<qint32> openedAtBaud;
    // While the clock is before this, opening fails although the name
    // exists (a node that is back but not ready yet).
    qint64 opensFromMs = 0;
    // The settings of every link made from now on.
    std::function<void(FakeLinkState&)> prepare = [](FakeLinkState& link) {
        link.more = [] { return Bytes({6}); };
    };

    PanelSession session{host, [this](const QString& name, qint32 baud) {
                             OpenResult result;
                             if (!QFile::exists(name) || clock.now < opensFromMs)
                                 return result;
                             auto state = std::make_shared<FakeLinkState>();
                             prepare(*state);
                             links << state;
                             openedAtBaud << baud;
                             result.link = std::make_unique<FakeLink>(state);
                             return result;
                         }};

    Replug()
    {
        plugIn();
        session.setClock(clock);
        session.m_portName = port;
        session.m_baudRate = QStringLiteral("9600");
        OpenPort(session);
    }
    void plugIn()
    {
        QFile node(port);
        node.open(QIODevice::WriteOnly);
    }
    void unplug() { QFile::remove(port); }
    FakeLinkState& link(int i = -1) { return *links.value(i < 0 ? links.size() - 1 : i); }

    CommandRun setPixel(const QString& x, const QString& y)
    {
        host.answers << QStringList{x, y};
        return session.RunCommand([this] { return SetPixel(session); });
    }
};

QImage Filled(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestLostPort : public QObject {
    Q_OBJECT
private slots:
    // --- telling a loss from a time-out -------------------------------

    void lossIsToldFromTimeOut_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<int>("writtenCount");
        QTest::newRow("no answer") << "timeout" << false << 5;
        QTest::newRow("write refused, nothing lost") << "short" << false << 2;
        QTest::newRow("gone before the write") << "write0" << true << 0;
        QTest::newRow("gone during the write") << "write2" << true << 2;
        QTest::newRow("gone while reading the reply") << "read" << true << 5;
    }
    void lossIsToldFromTimeOut()
    {
        QFETCH(QString, kind);
        QFETCH(bool, lost);
        QFETCH(int, writtenCount);
        Replug rig;
        FakeLinkState& link = rig.link();
        link.more = nullptr;  // the module says nothing
        if (kind == QLatin1String("short"))
            link.failAfterBytes = 2;
        else if (kind == QLatin1String("write0"))
            link.loseAfterBytes = 0;
        else if (kind == QLatin1String("write2"))
            link.loseAfterBytes = 2;
        else if (kind == QLatin1String("read"))
            link.loseAtRead = 0;

        const CommandRun run = rig.setPixel("1", "2");
        QCOMPARE(run.lost, lost);
        QCOMPARE(run.bytesWritten, qint64(writtenCount));
        const QString logged = QStringLiteral("Set Pixel: 80,1,2,255,255 : %1 bytes written").arg(writtenCount) + kNoResponse;
        // The loss line comes after the command's usual lines, and only for a loss.
        QCOMPARE(rig.host.status, lost ? logged + QStringLiteral("\r\n> Port lost: ") + rig.port : logged);
        QCOMPARE(rig.session.isOpen(), !lost);
        QCOMPARE(rig.session.lostPortRemembered(), lost);
        QCOMPARE(link.closes, lost ? 1 : 0);
        // Nothing is tried again: one write, and no read on a link known lost.
        QCOMPARE(link.writes.size(), 1);
        QCOMPARE(link.reads, kind == QLatin1String("write0") || kind == QLatin1String("write2") ? 0 : 1);
        if (lost) {
            QCOMPARE(rig.session.lostPort()->reason, QStringLiteral("Input/output error"));
            QCOMPARE(rig.host.portStates.last(), false);
        }
    }

    void uploadEndsAtTheLossAndCountsWhatWentOut()
    {
        Replug rig;
        rig.link().loseAfterBytes = 6 + 3 * 2;  // the header and three pixels
        const CommandRun run = rig.session.RunCommand(
            [&] { return SendDisplayImage(rig.session, "0", "0", Filled(4, 3), 16); });
        QVERIFY(run.lost);
        QCOMPARE(run.bytesWritten, qint64(12));
        // The header, three pixels and the pixel that met the loss; nothing after it.
        QCOMPARE(rig.link().writes.size(), 1 + 4);
        QVERIFY2(rig.host.status.startsWith(QStringLiteral("Display Image: 73, 0, 0, 4, 3, 16, 255, 255, 255, 255, ... : "
                                                           "12 bytes written\r\n> No response!\r\n> Port lost: ")),
                 qPrintable(rig.host.status));
        QVERIFY(!rig.session.everyWriteWhole());
    }

    void lossIsAnEntryOfTheTrafficHistory()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        const TrafficHistory& traffic = rig.session.traffic();
        QVector<TrafficKind> kinds;
        for (qint64 i = traffic.firstSequence(); i < traffic.committedEnd(); ++i)
            kinds << traffic.entry(i)->kind;
        QVERIFY(kinds.size() >= 3);
        QCOMPARE(kinds.mid(kinds.size() - 2), (QVector<TrafficKind>{TrafficKind::Lost, TrafficKind::Closed}));
        const QString label = traffic.entry(traffic.committedEnd() - 2)->label;
        QCOMPARE(label, QStringLiteral("Port lost: %1 (Input/output error)").arg(rig.port));
    }

    void commandsAfterTheLossGoNowhere()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        const CommandRun next = rig.setPixel("2", "2");
        // As on a closed port: logged, no reply, no second loss line.
        QVERIFY(!next.lost);
        QCOMPARE(rig.host.status, QStringLiteral("Set Pixel: 80,2,2,255,255 : 0 bytes written") + kNoResponse);
        QCOMPARE(rig.links.size(), 1);
        QVERIFY(rig.session.lostPortRemembered());
    }

    // --- taking the port back -----------------------------------------

    void reopensWithTheSameSettingsOnceTheDeviceIsBack()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        rig.unplug();
        QVERIFY(!rig.session.ReopenLostPort());
        rig.plugIn();
        rig.opensFromMs = 100;  // the node is back before the device opens
        QVERIFY(!rig.session.ReopenLostPort());
        rig.clock.now = 100;
        // Choosing the same port and speed again keeps the loss.
        rig.session.choosePort(rig.port, QStringLiteral("9600"));
        QVERIFY(rig.session.ReopenLostPort());
        QCOMPARE(rig.openedAtBaud, (QVector<qint32>{9600, 9600}));
        QVERIFY(rig.session.isOpen());
        QVERIFY(!rig.session.lostPortRemembered());
        QVERIFY(rig.host.status.endsWith(QStringLiteral("\r\n> Port lost: %1\r\n> Port reopened: %1").arg(rig.port)));
        // A fresh link, purged after the open like any other.
        QCOMPARE(rig.link().purges, 1);
        rig.setPixel("3", "3");
        QCOMPARE(rig.host.status, QStringLiteral("Set Pixel: 80,3,3,255,255 : 5 bytes written") + kAckLine);
        QCOMPARE(rig.link().writes.size(), 1);
    }

    void closingOrChoosingAnotherPortForgetsTheLoss_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close Port") << "close";
        QTest::newRow("another port") << "port";
        QTest::newRow("another baud rate") << "baud";
        QTest::newRow("Open Port") << "open";
    }
    void closingOrChoosingAnotherPortForgetsTheLoss()
    {
        QFETCH(QString, how);
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        const QString before = rig.host.status;
        if (how == QLatin1String("close")) {
            ClosePort(rig.session);
            // The port was already closed: nothing to say.
            QCOMPARE(rig.host.status, before);
        } else if (how == QLatin1String("port")) {
            rig.session.choosePort(QStringLiteral("COM7"), QStringLiteral("9600"));
        } else if (how == QLatin1String("baud")) {
            rig.session.choosePort(rig.port, QStringLiteral("19200"));
        } else {
            QVERIFY(OpenPort(rig.session));
        }
        QVERIFY(!rig.session.lostPortRemembered());
        QVERIFY(!rig.session.ReopenLostPort());
        QCOMPARE(rig.links.size(), how == QLatin1String("open") ? 2 : 1);
    }

    void noReopenInTheMiddleOfACommandThatUsedTheLink()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        bool reopenedMidway = true;
        rig.session.RunCommand([&] {
            rig.session.WritePacket(Bytes({0x45}), QStringLiteral("Clear Screen"));
            reopenedMidway = rig.session.ReopenLostPort();
            return CommandOutcome::Sent;
        });
        QVERIFY(!reopenedMidway);
        // Before the command touched the link (its dialog still open) it may.
        bool reopenedBefore = false;
        rig.session.RunCommand([&] {
            reopenedBefore = rig.session.ReopenLostPort();
            return CommandOutcome::Sent;
        });
        QVERIFY(reopenedBefore);
    }

    // --- running a command across a loss ------------------------------

    void commandLostBeforeItsFirstByteIsSentAgain()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.unplug();
        int printed = 0;
        ReconnectOptions options;
        options.waitMs = 10000;
        options.beforeResend = [&] {
            ++printed;
            // The lost attempt's lines, for whoever shows them, before the new run replaces them.
            QVERIFY(rig.host.status.endsWith(QStringLiteral("\r\n> Port reopened: ") + rig.port));
        };
        int runs = 0;
        auto command = [&] {
            ++runs;
            if (runs == 1)
                rig.plugIn();  // back while the first attempt fails
            rig.host.answers = {{"5", "6"}};
            return SetPixel(rig.session);
        };
        const ReconnectingRun run = RunReconnecting(rig.session, command, options);
        QCOMPARE(run.loss, LossHandling::Resent);
        QCOMPARE(run.outcome, CommandOutcome::Sent);
        QCOMPARE(run.runs, 2);
        QVERIFY(run.portHeld());
        QCOMPARE(printed, 1);
        QCOMPARE(rig.links.size(), 2);
        QCOMPARE(rig.link(1).writes, (QVector<QByteArray>{Bytes({0x50, 5, 6, 0xFF, 0xFF})}));
        QCOMPARE(rig.host.status, QStringLiteral("Set Pixel: 80,5,6,255,255 : 5 bytes written") + kAckLine);
        // The withdrawn attempt does not make the run a failure.
        QVERIFY(rig.session.everyWriteWhole());
    }

    void commandPartlyWrittenIsNeverSentAgain()
    {
        Replug rig;
        rig.link().loseAfterBytes = 3;
        int runs = 0;
        ReconnectOptions options;
        options.waitMs = 10000;
        const ReconnectingRun run = RunReconnecting(
            rig.session,
            [&] {
                ++runs;
                rig.host.answers = {{"5", "6"}};
                return SetPixel(rig.session);
            },
            options);
        QCOMPARE(runs, 1);
        QCOMPARE(run.loss, LossHandling::NotResent);
        QCOMPARE(run.bytesBeforeLoss, qint64(3));
        QVERIFY(!run.portHeld());
        // The port is back for whatever comes next, and the new link got nothing.
        QVERIFY(rig.session.isOpen());
        QCOMPARE(rig.links.size(), 2);
        QVERIFY(rig.link(1).writes.isEmpty());
        QVERIFY(rig.host.status.endsWith(QStringLiteral("3 bytes written") + kNoResponse + QStringLiteral("\r\n> Port lost: ")
                                         + rig.port + QStringLiteral("\r\n> Port reopened: ") + rig.port));
        QVERIFY(!rig.session.everyWriteWhole());
    }

    void portThatStaysAwayEndsTheRun_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("no reconnecting") << 0;
        QTest::newRow("waited in vain") << 3000;
    }
    void portThatStaysAwayEndsTheRun()
    {
        QFETCH(int, waitMs);
        Replug rig;
        rig.link().loseAfterBytes = 0;
        rig.unplug();
        const qint64 start = rig.clock.now;
        int runs = 0;
        ReconnectOptions options;
        options.waitMs = waitMs;
        const ReconnectingRun run = RunReconnecting(rig.session,
                                                    [&] {
                                                        ++runs;
                                                        rig.host.answers = {{"1", "1"}};
                                                        return SetPixel(rig.session);
                                                    },
                                                    options);
        QCOMPARE(runs, 1);
        QCOMPARE(run.loss, LossHandling::PortGone);
        QCOMPARE(run.lossReason, QStringLiteral("Input/output error"));
        QVERIFY(!rig.session.isOpen());
        QVERIFY(rig.session.lostPortRemembered());
        QVERIFY(rig.host.status.endsWith(QStringLiteral("\r\n> Port lost: ") + rig.port));
        // The whole wait, and not much more: looked at every half second.
        QVERIFY(rig.clock.now - start >= waitMs);
        QVERIFY(rig.clock.now - start <= waitMs + LostPortWatch::kProbeIntervalMs + 1000);

        // The next command does not run on a port that is still away.
        const ReconnectingRun next = RunReconnecting(rig.session,
                                                     [&] {
                                                         ++runs;
                                                         return CommandOutcome::Sent;
                                                     },
                                                     options);
        QCOMPARE(runs, 1);
        QCOMPARE(next.runs, 0);
        QCOMPARE(next.outcome, CommandOutcome::Refused);
        QCOMPARE(next.loss, LossHandling::PortGone);
    }

    // A long wait looks for the port every half second, so a port back
    // after a second is used then, not at the end of the wait.
    void portBackDuringALongWaitIsTakenAtOnce()
    {
        Replug rig;
        rig.link().loseAfterBytes = 0;
        const qint64 start = rig.clock.now;
        rig.opensFromMs = start + 1000;
        ReconnectOptions options;
        options.waitMs = 60000;
        const ReconnectingRun run = RunReconnecting(rig.session,
                                                    [&] {
                                                        rig.host.answers = {{"1", "1"}};
                                                        return SetPixel(rig.session);
                                                    },
                                                    options);
        QCOMPARE(run.loss, LossHandling::Resent);
        QVERIFY(rig.clock.now - start >= 1000);
        QVERIFY(rig.clock.now - start <= 1000 + LostPortWatch::kProbeIntervalMs);
    }

    void portThatKeepsGoingAwayIsNotChasedForever()
    {
        Replug rig;
        // Every connection is gone before the command's first byte.
        rig.prepare = [](FakeLinkState& link) { link.loseAfterBytes = 0; };
        rig.link().loseAfterBytes = 0;
        ReconnectOptions options;
        options.waitMs = 10000;
        int runs = 0;
        const ReconnectingRun run = RunReconnecting(rig.session,
                                                    [&] {
                                                        ++runs;
                                                        rig.host.answers = {{"1", "1"}};
                                                        return SetPixel(rig.session);
                                                    },
                                                    options);
        QCOMPARE(runs, kMaxCommandRuns);
        QCOMPARE(run.loss, LossHandling::NotResent);
        QVERIFY(!run.portHeld());
    }

    // --- the panel's watch --------------------------------------------

    void watchRunsOnlyWhileALostPortIsRemembered()
    {
        Replug rig;
        LostPortWatch watch(rig.session);
        QSignalSpy changes(&watch, &LostPortWatch::watchingChanged);
        watch.follow();
        QVERIFY(!watch.isWatching());

        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        rig.unplug();
        watch.follow();
        QVERIFY(watch.isWatching());
        QCOMPARE(changes.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(watch.probes() >= 2, 10000);

        // Forgotten: the timer stops and no more looks are taken.
        ClosePort(rig.session);
        watch.follow();
        QVERIFY(!watch.isWatching());
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.last().value(0).toBool(), false);
        const int probes = watch.probes();
        QTest::qWait(3 * LostPortWatch::kProbeIntervalMs);
        QCOMPARE(watch.probes(), probes);
    }

    void watchReopensAndThenStops()
    {
        Replug rig;
        LostPortWatch watch(rig.session);
        QSignalSpy reopened(&watch, &LostPortWatch::reopened);
        rig.link().loseAfterBytes = 0;
        rig.setPixel("1", "1");
        rig.unplug();
        watch.follow();
        QTRY_VERIFY_WITH_TIMEOUT(watch.probes() >= 1, 10000);
        rig.plugIn();
        QTRY_COMPARE_WITH_TIMEOUT(reopened.size(), 1, 10000);
        QVERIFY(!watch.isWatching());
        QVERIFY(rig.session.isOpen());
        const int probes = watch.probes();
        QTest::qWait(3 * LostPortWatch::kProbeIntervalMs);
        QCOMPARE(watch.probes(), probes);
    }
};

QTEST_GUILESS_MAIN(TestLostPort)
#include "tst_lost_port.moc"
