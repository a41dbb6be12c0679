// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing commands on a scripted link: packets and log lines byte for
// byte, the remembered point slots, the bounds check over every point
// (Draw Polygon's unused rows too) and Cancel.

#include "commands/DrawingCommands.h"
#include "link/PixelCommands.h"
#include "link/PortCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

struct Rig : CommandRig<> {
    Rig() : CommandRig(20) {}
    QStringList slotTexts() const
    {
        QStringList out;
        for (int i = 0; i < kCoordinateSlots; ++i)
            out << session.m_lastX[size_t(i)] + QLatin1Char(',') + session.m_lastY[size_t(i)];
        return out;
    }
};

using Command = CommandOutcome (*)(PanelSession&);
const Command kCommands[] = {DrawLine, DrawRectangle, DrawTriangle, DrawCircle, DrawPolygon, CopyArea,
                             ClearScreen, SetBackgroundColor, SetWireFrameMode, SetSolidMode};
enum { Line, Rectangle, Triangle, Circle, Polygon, Copy, Clear, Background, WireFrame, Solid };

const QStringList kZeroSlots(kCoordinateSlots, QStringLiteral("0,0"));

} // namespace

class TestDrawingCommands : public QObject {
    Q_OBJECT
private slots:
    void packetsAndLogLines_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("answer");  // the dialog's fields in order
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("log");
        using L = QStringList;
        QTest::newRow("line") << int(Line) << L{"0", "0", "95", "63"} << Bytes({0x4C, 0, 0, 95, 63, 255, 255})
                              << "Draw Line: 76,0,0,95,63,255,255 : 7 bytes written";
        QTest::newRow("rectangle is 0x72, not 0x52") << int(Rectangle) << L{"0", "0", "95", "63"}
                                                     << Bytes({0x72, 0, 0, 95, 63, 255, 255})
                                                     << "Draw Rectangle: 114,0,0,95,63,255,255 : 7 bytes written";
        QTest::newRow("triangle is 0x47") << int(Triangle) << L{"1", "2", "3", "4", "5", "6"}
                                          << Bytes({0x47, 1, 2, 3, 4, 5, 6, 255, 255})
                                          << "Draw Triangle: 71,1,2,3,4,5,6,255,255 : 9 bytes written";
        QTest::newRow("circle is 0x43") << int(Circle) << L{"48", "32", "3"} << Bytes({0x43, 48, 32, 3, 255, 255})
                                        << "Draw Circle: 67,48,32,3,255,255 : 6 bytes written";
        QTest::newRow("radius 300 is 44") << int(Circle) << L{"1", "2", "300"} << Bytes({0x43, 1, 2, 44, 255, 255})
                                          << "Draw Circle: 67,1,2,44,255,255 : 6 bytes written";
        QTest::newRow("radius -1 is 255") << int(Circle) << L{"1", "2", "-1"} << Bytes({0x43, 1, 2, 255, 255, 255})
                                          << "Draw Circle: 67,1,2,255,255,255 : 6 bytes written";
        QTest::newRow("polygon is 0x67, 3 vertices")
            << int(Polygon) << L{"10", "10", "50", "10", "30", "40", "0", "0", "0", "0", "0", "0", "0", "0", "3"}
            << Bytes({0x67, 3, 10, 10, 50, 10, 30, 40, 255, 255})
            << "Draw Polygon: 103, 3, 10, 10, 50, 10, 30, 40, 255, 255, : 10 bytes written";
        // 18 bytes and still one line: the polygon's log never breaks.
        QTest::newRow("polygon, 7 vertices")
            << int(Polygon) << L{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "7"}
            << Bytes({0x67, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255, 255})
            << "Draw Polygon: 103, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255, 255, : 18 bytes written";
        QTest::newRow("copy area is 0x63: source, destination, size")
            << int(Copy) << L{"4", "5", "264", "-2", "60", "30"} << Bytes({0x63, 4, 5, 60, 30, 8, 254, 255, 255})
            << "Copy Area: 99,4,5,60,30,8,254,255,255 : 9 bytes written";
        QTest::newRow("clear screen") << int(Clear) << L{} << Bytes({0x45}) << "Erase Screen: 69 : 1 bytes written";
        QTest::newRow("background, pure blue") << int(Background) << L{} << Bytes({0x42, 0, 31})
                                               << "Set Background Color: 66,0,31 : 3 bytes written";
        QTest::newRow("wire frame") << int(WireFrame) << L{} << Bytes({0x70, 1}) << "Pen Size=1: 112,1 : 2 bytes written";
        QTest::newRow("solid") << int(Solid) << L{} << Bytes({0x70, 0}) << "Pen Size=0: 112,0 : 2 bytes written";
    }
    void packetsAndLogLines()
    {
        QFETCH(int, command);
        QFETCH(QStringList, answer);
        QFETCH(QByteArray, packet);
        QFETCH(QString, log);
        Rig rig;
        rig.host.background = MakeHostColour(0, 0, 255);
        rig.host.answers = {answer};
        QCOMPARE(kCommands[command](rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.link->writes, QVector<QByteArray>{packet});
        QCOMPARE(rig.host.status, log + QStringLiteral("\r\n> Command Acknowledged"));
        QCOMPARE(rig.link->purges, 1);  // the open's: drawing commands do not purge
        QCOMPARE(rig.host.shown.size(), answer.isEmpty() ? 0 : 1);
    }

    void shapesCarryTheForegroundColour()
    {
        Rig rig;
        rig.host.foreground = MakeHostColour(153, 102, 51);
        rig.host.answers = {{"1", "2", "3", "4"}};
        DrawLine(rig.session);
        QCOMPARE(rig.link->writes.last(), Bytes({0x4C, 1, 2, 3, 4, 0x9B, 0x26}));
    }

    void slotsAreSharedAndKeptAsTyped()
    {
        Rig rig;
        rig.host.answers = {{"1", "2"}, {"10px", "20", "30", " 40"}, {}, {}, {}, {}};
        SetPixel(rig.session);
        DrawLine(rig.session);
        QCOMPARE(rig.host.shown.at(1).value("x1"), QStringLiteral("1"));  // slot 0 from Set Pixel
        QCOMPARE(rig.link->writes.last(), Bytes({0x4C, 10, 20, 30, 40, 255, 255}));
        QCOMPARE(rig.slotTexts().mid(0, 3), (QStringList{"10px,20", "30, 40", "0,0"}));
        DrawRectangle(rig.session);
        CopyArea(rig.session);
        DrawCircle(rig.session);
        SetPixel(rig.session);
        QCOMPARE(rig.host.shown.at(2).kind, DialogKind::Line);
        QCOMPARE(rig.host.shown.at(2).value("y2"), QStringLiteral(" 40"));
        QCOMPARE(rig.host.shown.at(3).value("src-x"), QStringLiteral("10px"));
        QCOMPARE(rig.host.shown.at(3).value("dst-x"), QStringLiteral("30"));
        QCOMPARE(rig.host.shown.at(3).value("width"), QStringLiteral("8"));
        QCOMPARE(rig.host.shown.at(4).value("x"), QStringLiteral("10px"));
        QCOMPARE(rig.host.shown.at(4).value("radius"), QStringLiteral("3"));
        QCOMPARE(rig.host.shown.at(5).value("x"), QStringLiteral("10px"));
    }

    void anyPointOffThePanelRefusesTheWholeShape_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("answer");
        QTest::newRow("line, x2 96") << int(Line) << QStringList{"0", "0", "96", "0"};
        QTest::newRow("rectangle, y1 64") << int(Rectangle) << QStringList{"0", "64", "5", "5"};
        QTest::newRow("triangle, x3 96") << int(Triangle) << QStringList{"1", "1", "2", "2", "96", "10"};
        QTest::newRow("triangle, x2 -1") << int(Triangle) << QStringList{"1", "1", "-1", "2", "3", "3"};
        QTest::newRow("circle, huge y") << int(Circle) << QStringList{"0", "99999999999", "3"};
        QTest::newRow("polygon, unused row 5")
            << int(Polygon) << QStringList{"1", "1", "2", "2", "3", "3", "4", "4", "100", "5", "6", "6", "7", "7", "3"};
        QTest::newRow("copy area, destination") << int(Copy) << QStringList{"0", "0", "8", "8", "95", "64"};
    }
    void anyPointOffThePanelRefusesTheWholeShape()
    {
        QFETCH(int, command);
        QFETCH(QStringList, answer);
        Rig rig;
        rig.host.answers = {answer};
        QCOMPARE(kCommands[command](rig.session), CommandOutcome::Refused);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.host.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
        QCOMPARE(rig.host.status, QStringLiteral("Set pixel bounds error."));
        QCOMPARE(rig.slotTexts(), kZeroSlots);
    }

    void polygonRemembersAllSevenRowsButNotItsCount()
    {
        Rig rig;
        rig.host.answers = {{"1", "1", "2", "2", "3", "3", "4x", "4", "5", "5", "6", "6", "7", "7", "4"}, {}};
        DrawPolygon(rig.session);
        QCOMPARE(rig.link->writes.last(), Bytes({0x67, 4, 1, 1, 2, 2, 3, 3, 4, 4, 255, 255}));
        QCOMPARE(rig.slotTexts(), (QStringList{"1,1", "2,2", "3,3", "4x,4", "5,5", "6,6", "7,7"}));
        DrawPolygon(rig.session);
        QCOMPARE(rig.host.shown.last().value("vertices"), QStringLiteral("3"));
        QCOMPARE(rig.host.shown.last().value("x7"), QStringLiteral("7"));
    }

    void polygonRefusesACountTheListDoesNotOffer()
    {
        // Only the command line can answer this; a count past 7 would read
        // past the seven points.
        for (const QString count : {"2", "8", "many"}) {
            Rig rig;
            rig.host.answers = {QStringList(14, QStringLiteral("1")) << count};
            QCOMPARE(DrawPolygon(rig.session), CommandOutcome::Refused);
            QVERIFY(rig.link->writes.isEmpty());
            QCOMPARE(rig.host.messages,
                     QStringList{QStringLiteral("Tavrel|\"%1\" is not a choice for vertices (one of 3, 4, 5, 6, 7).").arg(count)});
            QCOMPARE(rig.slotTexts(), kZeroSlots);
        }
    }

    void cancelSendsNothing()
    {
        for (int command : {Line, Rectangle, Triangle, Circle, Polygon, Copy}) {
            Rig rig;
            rig.host.status = "typed by the user";
            rig.host.answers = {{}};
            QCOMPARE(kCommands[command](rig.session), CommandOutcome::Cancelled);
            QVERIFY(rig.link->writes.isEmpty());
            QCOMPARE(rig.host.status, QStringLiteral("typed by the user"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDrawingCommands)
#include "tst_drawing_commands.moc"
