// SPDX-License-Identifier: GPL-3.0-or-later
// The serial link's time-outs, pinned by what they do to replies that come
// early, late or in pieces: the 100 ms pause between bytes, the 500 ms total
// and its 10 ms per expected byte. Every delay here sits far from the bound
// it probes (at least a factor of two), so a loaded machine cannot tip a
// case over; a changed bound moves a reply to the other side and fails.

#include "link/OpenLink.h"
#include "link/PanelSession.h"
#include "link/PortCommands.h"
#include "link/SerialLink.h"
#include "support/EmulatorProcess.h"
#include "support/FakeLink.h"

#include <QElapsedTimer>
#include <QtTest>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// The module's side of a conversation: writes each piece into the pty when
// its time (ms after construction) has come, on a thread of its own, so the
// link under test can block in its read meanwhile.
class FarEnd {
public:
    using Piece = std::pair<int, QByteArray>;
    FarEnd(SilentPty& pty, std::vector<Piece> pieces)
        : m_thread([&pty, pieces = std::move(pieces)] {
            const auto start = std::chrono::steady_clock::now();
            for (const auto& [atMs, bytes] : pieces) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(atMs));
                pty.writeToMaster(bytes);
            }
        })
    {
    }
    ~FarEnd() { m_thread.join(); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

private:
    std::thread m_thread;
};

std::unique_ptr<Link> OpenOn(SilentPty& pty)
{
    OpenResult opened = SerialLink::open(pty.slavePath(), 115200);
    return std::move(opened.link);
}

QByteArray Filled(int count, char c)
{
    return QByteArray(count, c);
}

} // namespace

class TestLinkTiming : public QObject {
    Q_OBJECT
private slots:
    // Silence between bytes: 50 ms is within the interval, 250 ms is past it.
    void pauseBetweenBytesCutsOnlyALongSilence()
    {
        SilentPty pty;
        auto link = OpenOn(pty);
        QVERIFY(link);
        {
            FarEnd module(pty, {{0, "a"}, {50, "b"}, {300, "c"}});
            QCOMPARE(link->read(3), QByteArray("ab"));
        }
        // The byte that came too late is still there for the next read.
        QCOMPARE(link->read(1), QByteArray("c"));
        {
            FarEnd module(pty, {{0, "x"}, {50, "y"}, {100, "z"}});
            QCOMPARE(link->read(3), QByteArray("xyz"));
        }
    }

    // The whole read: a reply at 300 ms is in time, one at 1.2 s is not, and
    // giving up takes the full half second.
    void totalTimeoutSeparatesALateReplyFromAMissingOne()
    {
        SilentPty pty;
        auto link = OpenOn(pty);
        QVERIFY(link);
        {
            FarEnd module(pty, {{300, "\x06"}});
            QCOMPARE(link->read(1), QByteArray("\x06"));
        }
        {
            QElapsedTimer clock;
            clock.start();
            FarEnd module(pty, {{1200, "\x06"}});
            QCOMPARE(link->read(1), QByteArray());
            const qint64 waited = clock.elapsed();
            QVERIFY2(waited >= 450 && waited < 1200, qPrintable(QString::number(waited)));
        }
    }

    // 10 ms per expected byte: a 150-byte read may wait 2 s, so a reply that
    // starts at 1.3 s is taken whole, and a silent module holds it 1.8 s or more.
    void eachExpectedByteLengthensTheTotal()
    {
        SilentPty pty;
        auto link = OpenOn(pty);
        QVERIFY(link);
        {
            FarEnd module(pty, {{1300, Filled(150, 'p')}});
            QCOMPARE(link->read(150), Filled(150, 'p'));
        }
        {
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(link->read(150), QByteArray());
            const qint64 waited = clock.elapsed();
            QVERIFY2(waited >= 1800 && waited < 4000, qPrintable(QString::number(waited)));
        }
    }

    // The same bounds as the status window shows them, through the panel's
    // session and its reply readers.
    void sessionRepliesFollowTheSameBounds()
    {
        SilentPty pty;
        ScriptedHost host;
        PanelSession session(host, MakeLinkOpener(nullptr));
        session.m_portName = pty.slavePath();
        QVERIFY(OpenPort(session));

        const auto ackAfter = [&](std::vector<FarEnd::Piece> pieces) {
            host.status = QStringLiteral("Set Pixel");
            FarEnd module(pty, std::move(pieces));
            session.ReadAckReply();
            return host.status;
        };
        QCOMPARE(ackAfter({{300, "\x06"}}), QStringLiteral("Set Pixel\r\n> Command Acknowledged"));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ackAfter({{1200, "\x06"}}), QStringLiteral("Set Pixel\r\n> No response!"));
        QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(session.ReadBytes(1), QByteArray("\x06"));

        // A colour reply in two pieces: 50 ms apart it is one colour, 250 ms
        // apart the second byte comes too late.
        const auto colourAfter = [&](std::vector<FarEnd::Piece> pieces) {
            host.status.clear();
            FarEnd module(pty, std::move(pieces));
            session.ReadColourReply();
            return host.status;
        };
        QCOMPARE(colourAfter({{0, "\xf8"}, {50, QByteArray(1, '\0')}}),
                 QStringLiteral("\r\n> Foreground color set to 16-bit color response: 248, 0"));
        QCOMPARE(colourAfter({{0, "\xf8"}, {250, QByteArray(1, '\0')}}), QStringLiteral("\r\n> Invalid color response!"));
        QCOMPARE(session.ReadBytes(1), QByteArray(1, '\0'));
        session.dropPort();
    }
};

QTEST_GUILESS_MAIN(TestLinkTiming)
#include "tst_link_timing.moc"
