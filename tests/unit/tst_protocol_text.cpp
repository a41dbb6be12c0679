// SPDX-License-Identifier: GPL-3.0-or-later
// Number conversion, colour encoding, bounds, log lines and reply texts.

#include "support/TestBytes.h"
#include "link/Bounds.h"
#include "link/HostColour.h"
#include "link/LogLine.h"
#include "link/Packet.h"
#include "link/ParseDecimal.h"
#include "link/ReplyText.h"

#include <QtTest>

using namespace tavrel;

using tavrel::testing::Bytes;


class TestProtocolText : public QObject {
    Q_OBJECT
private slots:
    void parseDecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "95" << 95;
        QTest::newRow("trailing junk") << "12abc" << 12;
        QTest::newRow("px suffix") << "10px" << 10;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("leading space") << "  \t42" << 42;
        QTest::newRow("sign alone") << "-" << 0;
        QTest::newRow("space after sign") << "- 5" << 0;
        QTest::newRow("inner space ends") << "1 2" << 1;
        QTest::newRow("max") << "2147483647" << 2147483647;
        QTest::newRow("above max clamps") << "2147483648" << 2147483647;
        QTest::newRow("huge clamps") << "99999999999999999999999999" << 2147483647;
        QTest::newRow("min") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("below min clamps") << "-99999999999" << int(-2147483647 - 1);
        QTest::newRow("leading zeros") << "000000000000000000012" << 12;
    }
    void parseDecimal()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ParseDecimal(text), value);
    }

    void lowByteTruncates()
    {
        QCOMPARE(LowByte(ParseDecimal("256")), quint8(0));
        QCOMPARE(LowByte(ParseDecimal("300")), quint8(44));
        QCOMPARE(LowByte(ParseDecimal("-1")), quint8(255));
    }

    void rgb565Encoding_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("hi");
        QTest::addColumn<int>("lo");
        QTest::newRow("white") << 255 << 255 << 255 << 255 << 255;
        QTest::newRow("red") << 255 << 0 << 0 << 248 << 0;
        QTest::newRow("green") << 0 << 255 << 0 << 7 << 224;
        QTest::newRow("blue") << 0 << 0 << 255 << 0 << 31;
        QTest::newRow("black") << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("low bits dropped, not rounded") << 153 << 102 << 51 << 0x9B << 0x26;
    }
    void rgb565Encoding()
    {
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        QFETCH(int, hi);
        QFETCH(int, lo);
        QByteArray packet;
        AppendColour(packet, MakeHostColour(r, g, b));
        QCOMPARE(packet, Bytes({hi, lo}));
    }

    void hostColourLayoutIsRedInLowByte()
    {
        QCOMPARE(MakeHostColour(0x11, 0x22, 0x33), HostColour(0x00332211));
    }

    void rgb565Reverse()
    {
        // Low bits stay zero; nothing is scaled up to 255.
        QCOMPARE(Rgb565ToHost(0xF800), MakeHostColour(248, 0, 0));
        QCOMPARE(Rgb565ToHost(0x07E0), MakeHostColour(0, 252, 0));
        QCOMPARE(Rgb565ToHost(0x001F), MakeHostColour(0, 0, 248));
        QCOMPARE(Rgb565ToHost(0xFFFF), MakeHostColour(248, 252, 248));
        QCOMPARE(Rgb565ToHost(HostToRgb565(MakeHostColour(153, 102, 51))), MakeHostColour(152, 100, 48));
    }

    void boundsAreUnsigned()
    {
        QVERIFY(PointInBounds(0, 0));
        QVERIFY(PointInBounds(95, 63));
        QVERIFY(!PointInBounds(96, 0));
        QVERIFY(!PointInBounds(0, 64));
        QVERIFY(!PointInBounds(-1, 0));
        QVERIFY(!PointInBounds(0, -1));
        QVERIFY(!PointInBounds(std::numeric_limits<qint32>::min(), 0));
    }

    void fixedLogLine()
    {
        QCOMPARE(FormatLogLine("Set Pixel", Bytes({80, 95, 63, 255, 255}), 5),
                 QStringLiteral("Set Pixel: 80,95,63,255,255 : 5 bytes written"));
        QCOMPARE(FormatLogLine("Read Pixel", Bytes({82, 0, 0}), 0),
                 QStringLiteral("Read Pixel: 82,0,0 : 0 bytes written"));
    }

    void pieceLogLineBreaksAfterSixteenThenFifteen()
    {
        QByteArray packet;
        for (int i = 0; i < 32; ++i)
            packet.append(char(i));
        const QString line = FormatPieceLogLine("Print String: ", packet, 32);
        const QStringList lines = line.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Print String: 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, "));
        QCOMPARE(lines[1].count(QStringLiteral(", ")), 15);
        QVERIFY(lines[1].startsWith(QStringLiteral("16, ")));
        QCOMPARE(lines[2], QStringLiteral("31, : 32 bytes written"));
    }

    void pieceLogLineShortPacketHasNoBreak()
    {
        QCOMPARE(FormatPieceLogLine("Close open file on SD card: ", Bytes({64, 67}), 2),
                 QStringLiteral("Close open file on SD card: 64, 67, : 2 bytes written"));
        // Exactly sixteen values: the break follows the sixteenth.
        QByteArray sixteen(16, char(1));
        QVERIFY(FormatPieceLogLine("X: ", sixteen, 16).endsWith(QStringLiteral("1, \r\n: 16 bytes written")));
    }

    void sevenBitText()
    {
        QByteArray packet;
        AppendSevenBitText(packet, QStringLiteral("A.TXT"));
        QCOMPARE(packet, Bytes({65, 46, 84, 88, 84, 0}));
        packet.clear();
        AppendSevenBitText(packet, QString(QChar(0x00E9)));
        QCOMPARE(packet, Bytes({105, 0}));
        packet.clear();
        AppendSevenBitText(packet, QString());
        QCOMPARE(packet, Bytes({0}));
    }

    void ackReplies()
    {
        QCOMPARE(InterpretAckReply(Bytes({6})), QStringLiteral("\r\n> Command Acknowledged"));
        QCOMPARE(InterpretAckReply(Bytes({0x0F})), QStringLiteral("\r\n> Command Error"));
        QCOMPARE(InterpretAckReply(Bytes({0x15})), QStringLiteral("\r\n> Invalid Response(21)"));
        QCOMPARE(InterpretAckReply(Bytes({0xFF})), QStringLiteral("\r\n> Invalid Response(-1)"));
        QCOMPARE(InterpretAckReply(Bytes({0x80})), QStringLiteral("\r\n> Invalid Response(-128)"));
        QCOMPARE(InterpretAckReply(QByteArray()), QStringLiteral("\r\n> No response!"));
    }

    void colourReplies()
    {
        ColourReply red = InterpretColourReply(Bytes({0xF8, 0x00}));
        QVERIFY(red.valid);
        QCOMPARE(red.colour, MakeHostColour(248, 0, 0));
        QCOMPARE(red.text, QStringLiteral("\r\n> Foreground color set to 16-bit color response: 248, 0"));

        ColourReply shortReply = InterpretColourReply(Bytes({0xF8}));
        QVERIFY(!shortReply.valid);
        QCOMPARE(shortReply.text, QStringLiteral("\r\n> Invalid color response!"));
    }

    void deviceInfoReplies()
    {
        QCOMPARE(InterpretDeviceInfoReply(Bytes({0, 1, 2, 0x96, 0x64})),
                 QStringLiteral("\r\n> Vexa-Oled, Hardware version: 1, Firmware version: 2, "
                                "Horizontal Resolution: 96, Vertical Resolution: 64"));
        QVERIFY(InterpretDeviceInfoReply(Bytes({1, 1, 2, 0x96, 0x64})).startsWith("\r\n> Vexa-LCD, "));
        QVERIFY(InterpretDeviceInfoReply(Bytes({2, 1, 2, 0x96, 0x64})).startsWith("\r\n> Vexa-VGA, "));
        QCOMPARE(InterpretDeviceInfoReply(Bytes({3, 200, 255, 0x12, 0x08})),
                 QStringLiteral("\r\n> Unknown Type, Hardware version: 200, Firmware version: 255, "
                                "Horizontal Resolution: 12, Vertical Resolution: 8"));
        QCOMPARE(InterpretDeviceInfoReply(Bytes({0, 1, 2, 0x96})), QStringLiteral("\r\n> Invalid device info response!"));
    }
};

QTEST_GUILESS_MAIN(TestProtocolText)
#include "tst_protocol_text.moc"
