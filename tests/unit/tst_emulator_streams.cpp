// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator against any byte stream: thousands of streams built from the
// command table, mutated, cut at every point, or plain random bytes. After
// each one the emulator has neither crashed nor hung (a watchdog bounds every
// stream), feeding it whole or in pieces made no difference, the framer never
// waited for more than the longest command, and once the host has sent the
// resynchronising zeros the emulator answers Get Device Info exactly.
//
// Every stream comes from a fixed seed. A failure (or a hang) prints the
// family, the stream's seed and the stream in hex: feeding that hex to an
// Emulator replays it, and streamsOf(family, seed) below builds it again.

#include "emulator/CommandFramer.h"
#include "emulator/Emulator.h"
#include "support/CommandStreams.h"
#include "support/StreamWatchdog.h"
#include "support/TestBytes.h"

#include <QTemporaryDir>
#include <QtTest>

using quennel::CommandFramer;
using quennel::CommandShape;
using quennel::Emulator;
using tavrel::testing::Bytes;
using tavrel::testing::kInfoReply;
using tavrel::testing::kInfoRequest;
using tavrel::testing::Hex;
using tavrel::testing::StreamBuilder;

namespace {


// What a host sends when it has lost track of the framing: 130 050 zero
// bytes, the pixel bytes a 255 x 255 16-bit Display Image header can have
// announced. A 0 completes any header, count or payload, ends any text or
// file name, and alone is refused (0x0F) without changing anything, so these
// zeros bring the framer to a command boundary from any state; any fewer
// could all be swallowed by such an image.
const QByteArray& resyncZeros()
{
    static const QByteArray zeros(255 * 255 * 2, '\0');
    return zeros;
}

// Bound on one stream's whole check; real streams take milliseconds.
constexpr int kStreamBoundMs = 30000;

// Pieces the stream is cut into for the second emulator: mostly a few bytes,
// now and then a large block.
QList<QByteArray> pieces(const QByteArray& stream, quint32 seed)
{
    QRandomGenerator rng(seed ^ 0x9E3779B9u);
    QList<QByteArray> out;
    for (int at = 0; at < stream.size();) {
        const int length = rng.bounded(8) == 0 ? 1 + rng.bounded(4096) : 1 + rng.bounded(12);
        out.append(stream.mid(at, length));
        at += length;
    }
    return out;
}

// Feeds `stream` into a fresh emulator and checks it; returns what went
// wrong, or an empty text.
QString checkStream(const QByteArray& stream, quint32 seed, const QString& card, bool compareSplit)
{
    Emulator whole;
    whole.setCardDirectory(card);
    const QByteArray wholeReply = whole.feed(stream);
    // A few scroll steps with whatever scroll settings the stream left, and
    // with a card a moment for a slideshow it started to show more frames.
    for (int step = 0; step < 3; ++step)
        whole.stepScroll();
    if (!card.isEmpty())
        QTest::qWait(2);

    if (compareSplit) {
        Emulator split;
        CommandFramer framer;
        QByteArray splitReply;
        for (const QByteArray& piece : pieces(stream, seed)) {
            splitReply += split.feed(piece);
            framer.append(piece);
            while (framer.next().outcome != CommandFramer::Outcome::NeedMore) {
            }
            if (framer.bufferedBytes() >= CommandFramer::kLongestCommand)
                return QStringLiteral("the framer holds %1 bytes of one command").arg(framer.bufferedBytes());
        }
        if (splitReply != wholeReply) {
            qsizetype at = 0;
            while (at < splitReply.size() && at < wholeReply.size() && splitReply.at(at) == wholeReply.at(at))
                ++at;
            return QStringLiteral("fed in pieces its reply differs from reply byte %1 on: %2 instead of %3")
                .arg(at)
                .arg(Hex(splitReply.mid(at, 16)), Hex(wholeReply.mid(at, 16)));
        }
        for (int step = 0; step < 3; ++step)
            split.stepScroll();
        if (split.frame() != whole.frame() || split.displayImage() != whole.displayImage())
            return QStringLiteral("fed in pieces it drew something else");
    }

    whole.feed(resyncZeros());
    const QByteArray info = whole.feed(kInfoRequest);
    if (info != kInfoReply)
        return QStringLiteral("after the resynchronising zeros Get Device Info answered %1").arg(Hex(info));
    return QString();
}

QList<QByteArray> streamsOf(const QString& family, quint32 seed)
{
    StreamBuilder builder(seed);
    if (family == QLatin1String("generated"))
        return {builder.commands(1 + int(builder.below(40)))};
    if (family == QLatin1String("generated with card")) {
        // A few names, so that files written are opened, shown and erased.
        builder.setCardNames({"A.DAT", "b.dat", "C.BMP", "D.TXT", "SHOW.DAT", "E"});
        return {builder.commands(1 + int(builder.below(40)))};
    }
    if (family == QLatin1String("mutated"))
        return {builder.mutated(builder.commands(1 + int(builder.below(20))))};
    if (family == QLatin1String("random bytes"))
        return {builder.randomBytes(1 + int(builder.below(4096)))};
    if (family == QLatin1String("random command bytes")) {
        // Random bytes drawn from command codes, letters, 0 and edge values,
        // which reach deeper into the framer than uniform noise.
        static const QByteArray kAlphabet = Bytes({0x00, 0x01, 0x06, 0x0F, 0x10, 0x08, 0x24, 0x40, 0x41, 0x42,
                                                    0x43, 0x44, 0x45, 0x46, 0x47, 0x49, 0x4C, 0x4F, 0x50, 0x52,
                                                    0x53, 0x54, 0x56, 0x57, 0x59, 0x62, 0x63, 0x67, 0x70, 0x72,
                                                    0x73, 0x74, 0x77, 0x5F, 0x60, 0xFF, 0xFE, 0x80});
        QByteArray stream;
        const int length = 1 + int(builder.below(2048));
        for (int i = 0; i < length; ++i)
            stream += kAlphabet.at(int(builder.below(quint32(kAlphabet.size()))));
        return {stream};
    }
    if (family == QLatin1String("truncated")) {
        // One well-formed command of each shape in turn, followed by another
        // one, cut at every point.
        const QVector<CommandShape> shapes = builder.shapes();
        const QByteArray whole = builder.wellFormedCommand(shapes.at(int(seed % quint32(shapes.size()))))
                                 + builder.wellFormedCommand(shapes.at(int(builder.below(quint32(shapes.size())))));
        QList<QByteArray> cuts;
        for (int cut = 1; cut < whole.size(); ++cut)
            cuts.append(whole.left(cut));
        return cuts;
    }
    return {};
}

} // namespace

class TestEmulatorStreams : public QObject {
    Q_OBJECT

private slots:
    void survivesAnyStream_data();
    void survivesAnyStream();
    void generatorCoversEveryShape();
    void resynchronisingZerosAreTheShortestSafeSequence();
    void framerLetsGoOfLargeInput();
    void commandsAcrossFeedSlices();
    void resyncCompletesEveryPartialCommand();
};

void TestEmulatorStreams::survivesAnyStream_data()
{
    QTest::addColumn<quint32>("firstSeed");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("withCard");

    QTest::newRow("generated") << 0x10000u << 600 << false;
    QTest::newRow("generated with card") << 0x20000u << 300 << true;
    QTest::newRow("mutated") << 0x30000u << 700 << false;
    QTest::newRow("truncated") << 0x40000u << 2 * int(quennel::commandShapes().size()) << false;
    QTest::newRow("random bytes") << 0x50000u << 300 << false;
    QTest::newRow("random command bytes") << 0x60000u << 350 << false;
}

void TestEmulatorStreams::survivesAnyStream()
{
    QFETCH(quint32, firstSeed);
    QFETCH(int, count);
    QFETCH(bool, withCard);
    const QString family = QString::fromLatin1(QTest::currentDataTag());

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString card = withCard ? temp.filePath(QStringLiteral("card")) : QString();

    StreamWatchdog watchdog(kStreamBoundMs);
    int checked = 0;
    for (quint32 seed = firstSeed; seed < firstSeed + quint32(count); ++seed) {
        for (const QByteArray& stream : streamsOf(family, seed)) {
            const QString label = QStringLiteral("%1, seed 0x%2").arg(family).arg(seed, 0, 16);
            watchdog.arm(label, stream);
            // With a card the two emulators would share its folder, so only
            // the stream fed whole is checked there.
            const QString problem = checkStream(stream, seed, card, !withCard);
            watchdog.disarm();
            if (!problem.isEmpty()) {
                qWarning("stream (%lld bytes): %s", static_cast<long long>(stream.size()), qPrintable(Hex(stream)));
                QFAIL(qPrintable(QStringLiteral("%1: %2").arg(label, problem)));
            }
            ++checked;
        }
    }
    QVERIFY(checked >= count);
}

// Every shape of the framer's table is built by the generator, and the
// framer cuts each generated well-formed command as exactly one command.
void TestEmulatorStreams::generatorCoversEveryShape()
{
    StreamBuilder builder(7);
    for (const CommandShape& shape : quennel::commandShapes()) {
        const QByteArray command = builder.wellFormedCommand(shape);
        CommandFramer framer;
        framer.append(command);
        const CommandFramer::Step step = framer.next();
        QVERIFY2(step.outcome == CommandFramer::Outcome::Command && step.id == shape.id,
                 qPrintable(Hex(command)));
        QCOMPARE(step.packet.size, int(command.size()));
        QCOMPARE(framer.next().outcome, CommandFramer::Outcome::NeedMore);
    }
}

// After a 255 x 255 16-bit Display Image header, one zero fewer than the
// resynchronising sequence leaves the Get Device Info request inside the
// pixels; the full sequence brings the answer.
void TestEmulatorStreams::resynchronisingZerosAreTheShortestSafeSequence()
{
    QCOMPARE(resyncZeros().size(), qsizetype(CommandFramer::kResyncZeros));
    const QByteArray header = Bytes({0x49, 0, 0, 255, 255, 16});

    Emulator shortOfIt;
    const QByteArray swallowed = shortOfIt.feed(header + resyncZeros().left(resyncZeros().size() - 1) + kInfoRequest);
    QVERIFY(!swallowed.contains(kInfoReply));

    Emulator enough;
    QCOMPARE(enough.feed(header + resyncZeros()), Bytes({0x06}));
    QCOMPARE(enough.feed(kInfoRequest), kInfoReply);
}

// A large input fed at once is not kept once it has been cut: afterwards the
// framer holds only the partial command at its end.
void TestEmulatorStreams::framerLetsGoOfLargeInput()
{
    QByteArray input(1024 * 1024, char(0x45)); // Clear Screen, over and over
    input += Bytes({0x50, 1, 2});                  // a Set Pixel cut short
    CommandFramer framer;
    framer.append(input);
    int commands = 0;
    for (auto step = framer.next(); step.outcome != CommandFramer::Outcome::NeedMore; step = framer.next())
        ++commands;
    QCOMPARE(commands, 1024 * 1024);
    QCOMPARE(framer.bufferedBytes(), 3);
    input = QByteArray(); // the caller lets go of its copy too
    QVERIFY2(framer.retainedBytes() < 64 * 1024, qPrintable(QString::number(framer.retainedBytes())));

    framer.append(Bytes({0xF8, 0x00}));
    const CommandFramer::Step step = framer.next();
    QCOMPARE(step.outcome, CommandFramer::Outcome::Command);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(step.packet.data), step.packet.size),
             Bytes({0x50, 1, 2, 0xF8, 0x00}));
}

// The emulator hands large inputs to the framer in slices; commands that
// straddle a slice boundary are cut as if the input had come whole.
void TestEmulatorStreams::commandsAcrossFeedSlices()
{
    for (int before : {64 * 1024 - 3, 64 * 1024 - 1, 64 * 1024, 128 * 1024 - 5}) {
        Emulator emulator;
        const QByteArray image = Bytes({0x49, 1, 1, 2, 1, 16, 0xAB, 0xCD, 0x12, 0x34});
        // Bytes that are no command, each refused.
        const QByteArray reply =
            emulator.feed(QByteArray(before, char(0xFF)) + Bytes({0x50, 3, 4, 0xBE, 0xEF}) + image + Bytes({0x52, 3, 4}));
        QCOMPARE(reply, QByteArray(before, char(0x0F)) + Bytes({0x06, 0x06, 0xBE, 0xEF}));
        QCOMPARE(emulator.pixel(1, 1), quint16(0xABCD));
        QCOMPARE(emulator.pixel(2, 1), quint16(0x1234));
    }
}

// The zeros end every kind of partial command, including a text being
// skipped after it ran over its limit, and the command cut short runs with
// zeros for its missing bytes.
void TestEmulatorStreams::resyncCompletesEveryPartialCommand()
{
    const QByteArray partials[] = {
        Bytes({0x50, 10, 20}),                       // Set Pixel: drawn black at (10, 20)
        Bytes({0x24}),                               // a prefix without its letter
        Bytes({0x67, 255, 1, 2}),                    // a polygon announcing 255 vertices
        Bytes({0x40, 0x77, 200, 65}),                // card data announcing 200 bytes
        Bytes({0x53, 0, 0, 0, 255, 255, 1}),         // a string header cut short
        Bytes({0x73, 0, 0, 0, 255, 255}) + QByteArray(400, 'x'), // an over-long text being skipped
        Bytes({0x49, 0, 0, 96}),                     // an image header cut short
    };
    for (const QByteArray& partial : partials) {
        Emulator emulator;
        emulator.feed(Bytes({0x50, 10, 20, 0xFF, 0xFF}) + partial);
        emulator.feed(resyncZeros());
        QVERIFY2(emulator.feed(kInfoRequest) == kInfoReply, qPrintable(Hex(partial)));
    }
    Emulator drawn;
    drawn.feed(Bytes({0x50, 10, 20, 0xFF, 0xFF, 0x50, 10, 20}) + resyncZeros());
    QCOMPARE(drawn.pixel(10, 20), quint16(0));
}

QTEST_GUILESS_MAIN(TestEmulatorStreams)
#include "tst_emulator_streams.moc"
