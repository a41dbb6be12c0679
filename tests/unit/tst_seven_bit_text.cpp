// SPDX-License-Identifier: GPL-3.0-or-later
// Characters that would reach the module as a 0 byte inside a text or a
// file name, ending it early so that the module runs the rest as commands:
// the check names them, every command that sends a 0-terminated text refuses
// them before writing, and everything else keeps the seven-bit rule.

#include "commands/TextCommands.h"
#include "imaging/SlideshowCommand.h"
#include "link/Packet.h"
#include "sdcard/SdCommands.h"
#include "support/CommandRig.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

using Command = CommandOutcome (*)(PanelSession&);

QString Ucs4(char32_t code)
{
    return QString::fromUcs4(&code, 1);
}

const QString kRefusedStatus = QStringLiteral("Unsendable character: nothing sent.");

} // namespace

class TestSevenBitText : public QObject {
    Q_OBJECT
private slots:
    void charactersThatBecomeZeroAreNamed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");  // empty: the text can go
        QTest::newRow("plain") << "HELLO.TXT" << "";
        QTest::newRow("e acute keeps seven bits") << QString(QChar(0xE9)) << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("U+0080") << QString(QChar(0x80)) << "U+0080 at position 1";
        QTest::newRow("A macron") << "A" + QString(QChar(0x100)) + "B.TXT" << "U+0100 \"\u0100\" at position 2";
        QTest::newRow("full-width space") << "ab" + QString(QChar(0x3000)) << "U+3000 at position 3";
        QTest::newRow("CJK one") << "A\u4E00E" << "U+4E00 \"\u4E00\" at position 2";
        QTest::newRow("U+0000") << QString(QChar(0)) << "U+0000 at position 1";
        // U+1F600 is D83D DE00: the low half turns into 0. The emoji counts
        // as one character.
        QTest::newRow("emoji low half") << "x" + Ucs4(0x1F600) + "y" << "U+1F600 \"" + Ucs4(0x1F600) + "\" at position 2";
        QTest::newRow("emoji after emoji") << Ucs4(0x1F601) + Ucs4(0x1F600) << "U+1F600 \"" + Ucs4(0x1F600) + "\" at position 2";
        // U+10000 is D800 DC00: both halves turn into 0.
        QTest::newRow("both halves") << Ucs4(0x10000) << "U+10000";
        QTest::newRow("emoji that can go") << Ucs4(0x1F601) << "";
        QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) << "U+DC00 at position 1";
    }
    void charactersThatBecomeZeroAreNamed()
    {
        QFETCH(QString, text);
        QFETCH(QString, named);
        const QString problem = SevenBitTextProblem(text);
        if (named.isEmpty()) {
            QCOMPARE(problem, QString());
            QByteArray packet;
            AppendSevenBitText(packet, text);
            QCOMPARE(packet.indexOf('\0'), packet.size() - 1);
        } else {
            QVERIFY2(problem.contains(named), qPrintable(problem));
            QVERIFY2(problem.endsWith(QStringLiteral("Nothing was sent.")), qPrintable(problem));
        }
    }

    void commandsWithZeroTerminatedTextsRefuseBeforeWriting_data()
    {
        QTest::addColumn<void*>("command");
        QTest::addColumn<QStringList>("answer");
        auto row = [](const char* name, Command c, QStringList answer) {
            QTest::newRow(name) << reinterpret_cast<void*>(c) << answer;
        };
        const QString cjk = QStringLiteral("A\u4E00E");
        const QString macron = QStringLiteral("A\u0100B.TXT");
        row("print text string", PrintTextString, {"0", "0", "1", "1", "0", cjk});
        row("print text string, formatted", PrintTextString, {"0", "0", "1", "1", "1", cjk});
        row("text button", TextButton, {"0", "0", "1", "1", "0", cjk});
        row("open file to write", OpenFileToWrite, {macron});
        row("open file to read", OpenFileToRead, {macron});
        row("erase file", EraseFile, {macron});
        row("print screen", PrintScreen, {macron});
        row("load binary", LoadBinary, {macron});
        row("show bitmap", ShowBitmap, {macron, "0", "0"});
        row("show image", ShowImage, {macron, "0", "0"});
        row("slideshow", Slideshow, {"S" + Ucs4(0x1F600) + ".DAT", "0", "0", "10"});
    }
    void commandsWithZeroTerminatedTextsRefuseBeforeWriting()
    {
        QFETCH(void*, command);
        QFETCH(QStringList, answer);
        CommandRig<> rig(1);
        rig.host.answers = {answer};
        QCOMPARE(reinterpret_cast<Command>(command)(rig.session), CommandOutcome::Refused);
        QVERIFY(rig.link->writes.isEmpty());
        QCOMPARE(rig.host.messages.size(), 1);
        QVERIFY2(rig.host.messages.first().startsWith(QStringLiteral("Tavrel|The character U+")),
                 qPrintable(rig.host.messages.first()));
        QCOMPARE(rig.host.status, kRefusedStatus);
        // A refused text point is not remembered.
        QCOMPARE(rig.session.m_lastX[0], QStringLiteral("0"));
    }

    void countedDataAndSingleCharactersKeepTheSevenBitRule()
    {
        // Write to File carries a count, so any byte may be in it.
        CommandRig<> rig(3);
        rig.host.answers = {{QStringLiteral("A\u0100\u00E9")}, {"1", "2", QStringLiteral("\u4E00"), "0"},
                            {"0", "0", "1", "1", "0", QStringLiteral("\u00E9")}};
        QCOMPARE(WriteToFile(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.lastWrite(), Bytes({64, 119, 3, 65, 0, 105}));
        // Print Character sends one character and no terminator, but not a
        // character that would go out as 0, which the user did not type.
        QCOMPARE(PrintCharacter(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.link->writes.size(), 1);
        QCOMPARE(rig.host.messages.size(), 1);
        QVERIFY2(rig.host.messages.first().startsWith(QStringLiteral("Tavrel|The character U+4E00")),
                 qPrintable(rig.host.messages.first()));
        QCOMPARE(PrintTextString(rig.session), CommandOutcome::Sent);
        QCOMPARE(rig.lastWrite(), Bytes({0x53, 0, 0, 0, 255, 255, 1, 1, 105, 0}));
    }

    void longTextIsReportedAsTooLongFirst()
    {
        // One refusal at a time, the length before the characters.
        CommandRig<> rig;
        rig.host.answers = {{"0", "0", "1", "1", "0", QString(292, QChar(0x100))}};
        QCOMPARE(PrintTextString(rig.session), CommandOutcome::Refused);
        QCOMPARE(rig.host.status, QStringLiteral("Text too long: nothing sent."));
        QCOMPARE(rig.host.messages.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSevenBitText)
#include "tst_seven_bit_text.moc"
