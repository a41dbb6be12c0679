// SPDX-License-Identifier: GPL-3.0-or-later
// Text, font and user-character commands on a scripted link: packets byte
// for byte, log lines, bounds, the packet buffer limit, and the
// command-line forms of the font buttons.

#include "commands/TextCommands.h"
#include "link/PortCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

struct Rig : CommandRig<> {
    Rig() : CommandRig(8) {}
};

using Command = CommandOutcome (*)(PanelSession&);
const QString kAck = QStringLiteral("\r\n> Command Acknowledged");

} // namespace

class TestTextCommands : public QObject {
    Q_OBJECT
private slots:
    void fontIsKeptAndCarriedByStrings()
    {
        Rig rig;
        rig.link->answers = {Bytes({0x0F}), Bytes({6}), Bytes({6})};
        SendSetFont(rig.session, 2);
        QCOMPARE(rig.lastWrite(), Bytes({0x46, 2}));
        QCOMPARE(rig.host.status, QStringLiteral("Set Font: 70,2 : 2 bytes written\r\n> Command Error"));
        QCOMPARE(rig.session.m_fontIndex, 2);  // whatever the module answered
        SendSetFontMode(rig.session, 1);
        QCOMPARE(rig.host.status, QStringLiteral("Set Font Mode: 79,1 : 2 bytes written") + kAck);
        rig.host.answers = {{"1", "2", "1", "1", "1", "AB"}};
        PrintTextString(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x73, 1, 2, 2, 255, 255, 65, 66, 0}));
        QCOMPARE(rig.link->purges, 1);  // the open's only: text commands do not purge
    }

    void printCharacter_data()
    {
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QByteArray>("packet");
        QTest::newRow("defaults, free") << QStringList{"0", "0", "R", "0"} << Bytes({0x74, 0x52, 0, 0, 255, 255});
        QTest::newRow("formatted") << QStringList{"0", "0", "R", "1"} << Bytes({0x54, 0x52, 0, 0, 255, 255});
        QTest::newRow("empty field") << QStringList{"3", "4", "", "0"} << Bytes({0x74, 0, 3, 4, 255, 255});
        QTest::newRow("first of several") << QStringList{"3", "4", "AB", "0"} << Bytes({0x74, 65, 3, 4, 255, 255});
        QTest::newRow("seven bits of 0xE9") << QStringList{"3", "4", QString(QChar(0xE9)), "0"}
                                            << Bytes({0x74, 0x69, 3, 4, 255, 255});
    }
    void printCharacter()
    {
        QFETCH(QStringList, answer);
        QFETCH(QByteArray, packet);
        Rig rig;
        rig.host.answers = {answer};
        QCOMPARE(PrintCharacter(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.host.shown.first().value("character"), QStringLiteral("R"));
        QCOMPARE(rig.lastWrite(), packet);
        if (QTest::currentDataTag() == QByteArray("defaults, free"))
            QCOMPARE(rig.host.status, QStringLiteral("Text Character: 116,82,0,0,255,255 : 6 bytes written") + kAck);
    }

    void printTextString_data()
    {
        QTest::addColumn<QStringList>("answer");  // x, y, width, height, formatted, text
        QTest::addColumn<QByteArray>("packet");
        QTest::newRow("formatted AB") << QStringList{"1", "2", "2", "3", "1", "AB"}
                                      << Bytes({0x73, 1, 2, 0, 255, 255, 65, 66, 0});
        QTest::newRow("free AB, factors 2 3") << QStringList{"1", "2", "2", "3", "0", "AB"}
                                              << Bytes({0x53, 1, 2, 0, 255, 255, 2, 3, 65, 66, 0});
        QTest::newRow("factors' low 8 bits") << QStringList{"0", "0", "258", "-1", "0", "A"}
                                             << Bytes({0x53, 0, 0, 0, 255, 255, 2, 255, 65, 0});
        QTest::newRow("empty text") << QStringList{"5", "6", "1", "1", "0", ""} << Bytes({0x53, 5, 6, 0, 255, 255, 1, 1, 0});
        QTest::newRow("seven bits") << QStringList{"0", "0", "1", "1", "1", QString::fromUtf8("é€")}
                                    << Bytes({0x73, 0, 0, 0, 255, 255, 0x69, 0x2C, 0});
        QTest::newRow("line break") << QStringList{"0", "0", "1", "1", "1", "A\r\nB\nC"}
                                    << Bytes({0x73, 0, 0, 0, 255, 255, 65, 13, 10, 66, 13, 10, 67, 0});
    }
    void printTextString()
    {
        QFETCH(QStringList, answer);
        QFETCH(QByteArray, packet);
        Rig rig;
        rig.host.answers = {answer};
        QCOMPARE(PrintTextString(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.lastWrite(), packet);
    }

    void seventeenBytesLogBreaksAfterTheSixteenth()
    {
        Rig rig;
        rig.host.answers = {{"0", "0", "1", "1", "1", "0123456789"}};
        PrintTextString(rig.session);
        QCOMPARE(rig.host.status, QStringLiteral("Print String: 115, 0, 0, 0, 255, 255, 48, 49, 50, 51, 52, 53, 54, "
                                                 "55, 56, 57, \r\n0, : 17 bytes written")
                     + kAck);
    }

    void textButton()
    {
        Rig rig;
        rig.session.m_fontIndex = 1;
        rig.host.background = MakeHostColour(0, 0, 255);
        rig.host.foreground = MakeHostColour(255, 0, 0);
        rig.host.answers = {{"3", "4", "2", "3", "0", "Hi"}, {"3", "4", "2", "3", "1", "Hi"}};
        TextButton(rig.session);
        QCOMPARE(rig.host.shown.first().value("text"), QStringLiteral("Enter Text Here."));
        // Up (1); background at 4 and 5, font, foreground at 7 and 8.
        QCOMPARE(rig.lastWrite(), Bytes({0x62, 1, 3, 4, 0, 31, 1, 248, 0, 2, 3, 72, 105, 0}));
        QCOMPARE(rig.host.status,
                 QStringLiteral("Text Button: 98, 1, 3, 4, 0, 31, 1, 248, 0, 2, 3, 72, 105, 0, : 14 bytes written") + kAck);
        TextButton(rig.session);
        QCOMPARE(rig.lastWrite().at(1), char(0));  // "Button Down"
    }

    void textsThatDoNotFitAreRefused_data()
    {
        QTest::addColumn<int>("command");  // 0 formatted string, 1 free string, 2 button
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("sent");
        QTest::newRow("formatted 293") << 0 << 293 << true;
        QTest::newRow("formatted 294") << 0 << 294 << false;
        QTest::newRow("free 291") << 1 << 291 << true;
        QTest::newRow("free 292") << 1 << 292 << false;
        QTest::newRow("button 288") << 2 << 288 << true;
        QTest::newRow("button 289") << 2 << 289 << false;
    }
    void textsThatDoNotFitAreRefused()
    {
        QFETCH(int, command);
        QFETCH(int, length);
        QFETCH(bool, sent);
        Rig rig;
        rig.host.answers = {{"9", "9", "1", "1", command == 0 ? "1" : "0", QString(length, 'x')}};
        const CommandOutcome outcome = command == 2 ? TextButton(rig.session) : PrintTextString(rig.session);
        QCOMPARE(outcome, sent ? CommandOutcome::Sent : CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), sent ? 1 : 0);
        QCOMPARE(rig.session.m_lastX[0], QString(sent ? "9" : "0"));
        if (sent) {
            QCOMPARE(rig.lastWrite().size(), kTextPacketBuffer);
        } else {
            QCOMPARE(rig.host.status, QStringLiteral("Text too long: nothing sent."));
            QVERIFY(rig.host.messages.value(0).contains(QString::number(length - 1)));
        }
    }

    void outOfBoundsPointsAreRefused()
    {
        const QVector<QPair<Command, QStringList>> cases = {
            {PrintCharacter, {"96", "0", "A", "0"}},
            {PrintCharacter, {"0", "64", "A", "1"}},  // also as column and row
            {PrintTextString, {"-1", "0", "1", "1", "0", "A"}},
            {TextButton, {"0", "64", "1", "1", "0", "A"}},
            {DisplayUserChar, {"96", "0", "40"}},
        };
        for (const auto& c : cases) {
            Rig rig;
            rig.host.answers = {c.second};
            QCOMPARE(c.first(rig.session), CommandOutcome::Refused);
            QVERIFY(rig.link->writes.isEmpty());
            QCOMPARE(rig.host.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
            QCOMPARE(rig.session.m_lastX[0], QStringLiteral("0"));
        }
    }

    void cancelSendsNothing()
    {
        for (Command command : {PrintCharacter, PrintTextString, TextButton, DisplayUserChar, AddUserChar,
                                SetFontCommand, SetFontModeCommand}) {
            Rig rig;
            rig.host.status = "typed by the user";
            rig.host.answers = {{}};
            QCOMPARE(command(rig.session), CommandOutcome::Cancelled);
            QVERIFY(rig.link->writes.isEmpty());
            QCOMPARE(rig.host.status, QStringLiteral("typed by the user"));
        }
    }

    void addUserChar()
    {
        Rig rig;
        rig.host.answers = {{"5", "128"},
                            {"300", "#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.",
                             " .......# "},
                            {"1", "#.#.#.#.", "#.#"}};
        AddUserChar(rig.session);
        QCOMPARE(rig.host.shown.first().value("number"), QString());
        QCOMPARE(rig.lastWrite(), Bytes({0x41, 5, 128, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(rig.host.status, QStringLiteral("Add User Character: 65,5,128,0,0,0,0,0,0,0 : 10 bytes written") + kAck);
        AddUserChar(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x41, 44, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}));
        // A picture row of the wrong length is refused rather than sent as 0.
        QCOMPARE(AddUserChar(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 2);
        QCOMPARE(rig.host.status, QStringLiteral("User character error."));
    }

    void addUserCharFromOnePicture()
    {
        Rig rig;
        rig.host.answers = {{"7", "########\n#......#\n#......#\n#..##..#\n#..##..#\n#......#\n#......#\n########\n"},
                            {"7", "########\n#......#"}};
        AddUserChar(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x41, 7, 0xFF, 0x81, 0x81, 0x99, 0x99, 0x81, 0x81, 0xFF}));
        QCOMPARE(AddUserChar(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 1);
    }

    void displayUserChar()
    {
        Rig rig;
        rig.host.answers = {{"1", "2", "40"}, {"1", "2", "300"}};
        DisplayUserChar(rig.session);
        QCOMPARE(rig.host.shown.first().value("number"), QStringLiteral("0"));
        QCOMPARE(rig.host.status, QStringLiteral("Display Character: 68,40,1,2,255,255 : 6 bytes written") + kAck);
        DisplayUserChar(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x44, 44, 1, 2, 255, 255}));
    }

    void fontAndModeFromTheCommandLine()
    {
        Rig rig;
        rig.host.answers = {{"16x32"}, {"4"}, {"opaque"}, {"2"}, {"0", "0", "1", "1", "0", "A", "1: 8x8"},
                            {"0", "0", "1", "1", "0", "A", "big"}};
        SetFontCommand(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x46, 3}));
        QCOMPARE(SetFontCommand(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.session.m_fontIndex, 3);
        SetFontModeCommand(rig.session);
        QCOMPARE(rig.lastWrite(), Bytes({0x4F, 1}));
        QCOMPARE(SetFontModeCommand(rig.session), CommandOutcome::Refused);
        // --font of a string or button: the font the panel would have chosen.
        TextButton(rig.session);
        QCOMPARE(rig.lastWrite().at(6), char(1));
        QCOMPARE(PrintTextString(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 3);
        QCOMPARE(rig.host.messages,
                 (QStringList{"Tavrel|\"4\" is not a choice for font (one of 0 (5x7), 1 (8x8), 2 (8x12), 3 (16x32)).",
                              "Tavrel|\"2\" is not a choice for mode (one of 0 (transparent), 1 (opaque)).",
                              "Tavrel|\"big\" is not a choice for font (one of 0 (5x7), 1 (8x8), 2 (8x12), 3 (16x32))."}));
    }

    void checkBoxesTakeOnlyZeroOrOne()
    {
        // The dialogs answer "0" or "1"; anything else comes from the command
        // line and is refused before anything is written.
        Rig rig;
        rig.host.answers = {{"0", "0", "R", "2"}, {"0", "0", "1", "1", "yes", "A"}, {"0", "0", "1", "1", " 1 ", "A"}};
        QCOMPARE(PrintCharacter(rig.session), CommandOutcome::Refused);
        QCOMPARE(TextButton(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 0);
        QCOMPARE(TextButton(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.lastWrite().at(1), char(0));
        QCOMPARE(rig.host.messages.first(), QStringLiteral("Tavrel|\"2\" is not a choice for formatted (one of 0, 1)."));
    }
};

QTEST_GUILESS_MAIN(TestTextCommands)
#include "tst_text_commands.moc"
