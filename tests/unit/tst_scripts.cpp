// SPDX-License-Identifier: GPL-3.0-or-later
// Scripts without a port: how a line splits into words (as bash splits
// it), how the words are written back, which lines parse and which are
// refused with their line number, the bounds of a script, and that a
// command recorded from its answered dialog replays to the same bytes.

#include "commands/CommandTable.h"
#include "commands/script/CommandArguments.h"
#include "commands/script/Script.h"
#include "commands/script/ScriptRecorder.h"
#include "commands/script/ScriptRun.h"
#include "commands/script/ScriptWords.h"
#include "support/CommandLines.h"
#include "support/CommandRig.h"
#include "support/PictureFiles.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace tavrel;
using namespace tavrel::testing;

namespace {

QStringList Split(const QString& line)
{
    QStringList words;
    QString error;
    if (!SplitScriptWords(line, words, error))
        return {QStringLiteral("<error: %1>").arg(error)};
    return words;
}

QString SplitError(const QString& line)
{
    QStringList words;
    QString error;
    return SplitScriptWords(line, words, error) ? QString() : error;
}

// Texts a user might type that a careless quoting would change.
QStringList HostileTexts()
{
    return {QString(),
            QStringLiteral(" "),
            QStringLiteral("two words"),
            QStringLiteral("it's"),
            QStringLiteral("say \"hi\""),
            QStringLiteral("back\\slash"),
            QStringLiteral("\\"),
            QStringLiteral("'"),
            QStringLiteral("\"'\"'"),
            QStringLiteral("#not a comment"),
            QStringLiteral("a#b"),
            QStringLiteral("-1"),
            QStringLiteral("-x"),
            QStringLiteral("--"),
            QStringLiteral("--formatted"),
            QStringLiteral("--font=3"),
            QStringLiteral("x=5"),
            QStringLiteral("$HOME"),
            QStringLiteral("$'x'"),
            QStringLiteral("`ls`"),
            QStringLiteral("a;b|c&d<e>f"),
            QStringLiteral("line\r\nbreak"),
            QStringLiteral("tab\there"),
            QStringLiteral("\x1b[2J"),
            QString::fromUtf8("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac"),
            QString::fromUtf8("\xf0\x9f\x98\x80"),
            QString(QChar(0x85)),
            QString(QChar(0xD800)),
            QStringLiteral("*?[~{}!"),
            QStringLiteral("trailing\\")};
}

// The hostile texts a script line can hold: all but half a surrogate pair.
QStringList WritableHostileTexts()
{
    QStringList texts = HostileTexts();
    texts.removeAll(QString(QChar(0xD800)));
    return texts << QString(QChar(0x9B)) + QStringLiteral("[31m") << QStringLiteral("a'b\nc!") + QChar(0x7F);
}

// Answers every dialog from the arguments the script gives, as tavrel-cli
// does, and remembers the colours the script sets.
class AnswerHost final : public PanelHost {
public:
    QString status;
    HostColour foreground = kWhite;
    HostColour background = kBlack;
    QStringList messages;
    ArgumentAnswers* answers = nullptr;

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return foreground; }
    void setForegroundColour(HostColour colour) override { foreground = colour; }
    HostColour backgroundColour() const override { return background; }
    void showMessage(const QString& text, const QString&) override { messages << text; }
    bool runDialog(DialogRequest& request) override
    {
        if (!answers)
            return false;
        answers->answer(request);
        return true;
    }
    void showReceivedText(const QString&, const QString&) override {}
};

ScriptHooks HooksFor(AnswerHost& host)
{
    ScriptHooks hooks;
    hooks.routeDialogs = [&host](ArgumentAnswers* answers) { host.answers = answers; };
    hooks.setForeground = [&host](HostColour colour) { host.foreground = colour; };
    hooks.setBackground = [&host](HostColour colour) { host.background = colour; };
    return hooks;
}

// Parses and runs a whole script on a scripted link that acknowledges
// everything; returns the bytes written, one entry per write.
QVector<QByteArray> RunScriptText(const QByteArray& text, QString* failure = nullptr,
                                  const ScriptReadOptions& options = {})
{
    CommandRig<AnswerHost> rig(64);
    Script script;
    ScriptError error;
    if (!ParseScript(text, script, error, options)) {
        if (failure)
            *failure = error.text();
        return {};
    }
    ScriptRun run(script, rig.session, HooksFor(rig.host));
    while (!run.atEnd()) {
        const StepReport report = run.runNext();
        if (report.failed()) {
            if (failure)
                *failure = report.failureText();
            break;
        }
    }
    return rig.link->writes;
}

// Reads of a script that leave its pictures to the run.
ScriptReadOptions RefusalsLeftToTheRun()
{
    ScriptReadOptions options;
    options.refusalsFail = false;
    return options;
}

#ifdef Q_OS_UNIX
// The words bash makes of a line, each as its bytes; empty when bash is not
// there.
QList<QByteArray> BashWords(const QString& line)
{
    QProcess bash;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    bash.setProcessEnvironment(environment);
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("printf '%s\\0' ") + line});
    if (!bash.waitForFinished(30000) || bash.exitCode() != 0)
        return {QByteArray("<bash failed: ") + bash.readAllStandardError() + '>'};
    QList<QByteArray> words = bash.readAllStandardOutput().split('\0');
    words.removeLast();
    return words;
}

QList<QByteArray> Utf8Words(const QStringList& words)
{
    QList<QByteArray> bytes;
    for (const QString& word : words)
        bytes << word.toUtf8();
    return bytes;
}
#endif

// A device that takes a given number of writes and fails the rest.
class FailingDevice final : public QBuffer {
public:
    explicit FailingDevice(int writesTaken) : m_left(writesTaken) {}

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        if (m_left-- <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, length);
    }

private:
    int m_left;
};

} // namespace

class TestScripts : public QObject {
    Q_OBJECT
private slots:
    void splitsAsAShellWould_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("blanks and tabs") << "  draw-line\t1  2 " << QStringList{"draw-line", "1", "2"};
        QTest::newRow("single quotes keep all") << "a 'b \\ \"c\" $x #d'" << QStringList{"a", "b \\ \"c\" $x #d"};
        QTest::newRow("double quotes escape four") << "\"a\\\"b\\\\c\\$d\\`e\\n\"" << QStringList{"a\"b\\c$d`e\\n"};
        QTest::newRow("backslash outside") << "a\\ b \\'c \\#" << QStringList{"a b", "'c", "#"};
        QTest::newRow("quotes join a word") << "ab'c d'\"e\"f" << QStringList{"abc def"};
        QTest::newRow("empty words") << "'' \"\" x" << QStringList{"", "", "x"};
        QTest::newRow("comment after words") << "set-pixel 1 2 # the corner" << QStringList{"set-pixel", "1", "2"};
        QTest::newRow("hash inside a word") << "a#b 'c'#d" << QStringList{"a#b", "c#d"};
        QTest::newRow("comment line") << "   # nothing" << QStringList{};
        QTest::newRow("ansi escapes") << "$'a\\nb\\r\\t\\\\\\'\\x41\\u00e9\\U0001F600\\101\\q'"
                                      << QStringList{QStringLiteral("a\nb\r\t\\'A") + QChar(0xE9)
                                                     + QString::fromUtf8("\xf0\x9f\x98\x80") + QStringLiteral("A\\q")};
        QTest::newRow("plain dollars") << "5$ \"a $ b\" $" << QStringList{"5$", "a $ b", "$"};
        QTest::newRow("bytes read as UTF-8") << "$'caf\\xc3\\xa9' $'\\303'$'\\251'"
                                             << QStringList{QString::fromUtf8("caf\xc3\xa9"), QString::fromUtf8("\xc3\xa9")};
        QTest::newRow("control letters") << "$'\\cA\\cz\\c?'" << QStringList{QStringLiteral("\x01\x1a\x7f")};
        QTest::newRow("escapes bash keeps") << "$'\\xzz\\u\\c'" << QStringList{"\\xzz\\u\\c"};
        QTest::newRow("quoted patterns") << "'*.bmp' \\~ \"{a,b}\" x~" << QStringList{"*.bmp", "~", "{a,b}", "x~"};
    }
    void splitsAsAShellWould()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(Split(line), words);
    }

    void refusesWhatAShellWouldDoSomethingWith_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");
        QTest::newRow("open single quote") << "a 'b" << "the closing ' is missing";
        QTest::newRow("open double quote") << "a \"b\\\"" << "the closing \" is missing";
        QTest::newRow("open ansi quote") << "$'abc\\'" << "the closing ' of $'...' is missing";
        QTest::newRow("trailing backslash") << "a \\" << "a \\ at the end of the line escapes nothing";
        QTest::newRow("semicolon") << "set-pixel 1 2; clear-screen" << "an unquoted ; means something else to a shell; put it in '...'";
        QTest::newRow("pipe") << "a | b" << "an unquoted | means something else to a shell; put it in '...'";
        QTest::newRow("redirection") << "a > b" << "an unquoted > means something else to a shell; put it in '...'";
        QTest::newRow("variable") << "a $HOME" << "a $ would be expanded by a shell; write \\$ or put the word in '...'";
        QTest::newRow("variable in quotes") << "a \"$HOME\"" << "a $ would be expanded by a shell; write \\$ or put the word in '...'";
        QTest::newRow("command") << "a $(ls)" << "a $ would be expanded by a shell; write \\$ or put the word in '...'";
        QTest::newRow("backquote in quotes") << "a \"`ls`\"" << "a ` would run a command in a shell; write \\` inside \"...\"";
        QTest::newRow("beyond unicode") << "$'\\U00110000'" << "\\U00110000 is not a character";
        QTest::newRow("surrogate") << "$'\\ud800'" << "\\ud800 is not a character";
        QTest::newRow("bytes not UTF-8") << "a $'caf\\xe9'" << "the bytes of $'...' in word 2 are not UTF-8 text";
        QTest::newRow("zero byte") << "$'a\\x00b'" << "a word holds a 0 byte, where a shell would end it";
        QTest::newRow("pattern") << "a *.bmp" << "an unquoted * means something else to a shell; put it in '...'";
        QTest::newRow("home") << "a ~/x" << "an unquoted ~ means something else to a shell; put it in '...'";
        QTest::newRow("braces") << "{a,b}" << "an unquoted { means something else to a shell; put it in '...'";
        QTest::newRow("subshell") << "a (b)" << "an unquoted ( means something else to a shell; put it in '...'";
    }
    void refusesWhatAShellWouldDoSomethingWith()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        QCOMPARE(SplitError(line), error);
    }

    void quotedWordsReadBackUnchanged()
    {
        // Hostile texts alone, together, and random words from a fixed seed.
        const QStringList hostile = WritableHostileTexts();
        for (const QString& word : hostile)
            QCOMPARE(Split(QuoteScriptWord(word)), QStringList{word});
        QCOMPARE(Split(JoinScriptWords(hostile)), hostile);
        // Half a surrogate pair has no UTF-8 form: what is written for it is
        // refused when read back, never read as something else.
        QVERIFY(!SplitError(QuoteScriptWord(QString(QChar(0xD800)))).isEmpty());

        const quint32 seed = 20261208;
        QRandomGenerator random(seed);
        const QString alphabet = QStringLiteral("ab -#'\"\\$`;|&<>()*\t\r\n=,.") + QChar(0xE9) + QChar(0x7F)
            + QChar(0x01) + QChar(0x9B) + QChar(0x4E00);
        for (int round = 0; round < 2000; ++round) {
            QStringList words;
            const int count = random.bounded(1, 5);
            for (int w = 0; w < count; ++w) {
                QString word;
                const int length = random.bounded(0, 8);
                for (int i = 0; i < length; ++i)
                    word += alphabet.at(random.bounded(int(alphabet.size())));
                words << word;
            }
            const QString line = JoinScriptWords(words);
            QVERIFY2(!line.contains(QLatin1Char('\n')), qPrintable(QStringLiteral("seed %1 round %2").arg(seed).arg(round)));
            QVERIFY2(Split(line) == words,
                     qPrintable(QStringLiteral("seed %1 round %2: %3").arg(seed).arg(round).arg(line)));
        }
    }

    void wordsReadAsBashReadsThem()
    {
#ifdef Q_OS_UNIX
        // Lines written by hand: where this reader takes one, bash makes the
        // same bytes of it.
        const QStringList lines = {
            "plain words\there", "'single # quoted' \"double \\\" \\$ \\\\ \\x\"", "a\\ b\\'c",
            "$'caf\\xc3\\xa9' $'\\303'$'\\251'", "$'\\101\\0101\\18'", "$'\\cA\\cz\\c?\\c\\\\'",
            "$'\\xzz\\u\\U\\q\\c'", "$'\\u00e9\\U0001F600\\u41'", "x$'\\t'y\"z\"'w'",
            "$'\\e[0m\\E\\a\\b\\f\\v\\?\\\"'", "5$ \"a $ b\" $", "'it'\\''s'", "a#b '#c' #d"};
        for (const QString& line : lines) {
            const QStringList words = Split(line);
            QVERIFY2(words.isEmpty() || !words.first().startsWith(QLatin1String("<error")), qPrintable(line));
            QCOMPARE(Utf8Words(words), BashWords(line));
        }
        // Words written by the recorder, pasted into bash: the same bytes.
        const QStringList hostile = WritableHostileTexts();
        QCOMPARE(BashWords(JoinScriptWords(hostile)), Utf8Words(hostile));
#else
        QSKIP("bash is compared on Unix only");
#endif
    }

    void plainWordsStayReadable()
    {
        QCOMPARE(JoinScriptWords({"draw-line", "1", "-2", "--formatted", "--font=2", "/tmp/a.png", "8x12"}),
                 QStringLiteral("draw-line 1 -2 --formatted --font=2 /tmp/a.png 8x12"));
        QCOMPARE(QuoteScriptWord(QStringLiteral("two words")), QStringLiteral("'two words'"));
        QCOMPARE(QuoteScriptWord(QStringLiteral("it's")), QStringLiteral("'it'\\''s'"));
        QCOMPARE(QuoteScriptWord(QStringLiteral("a\nb")), QStringLiteral("$'a\\nb'"));
        QCOMPARE(QuoteScriptWord(QStringLiteral("#..##..#")), QStringLiteral("'#..##..#'"));
    }

    void scriptOnlyLines()
    {
        Script script;
        ScriptError error;
        const QByteArray text = "# heading\r\n"
                                "\r\n"
                                "foreground-color ff8000\r\n"
                                "background-color '#102030'   # a bare # would start a comment\n"
                                "wait 0\n"
                                "wait 86400000\n"
                                "--fg 00FF00 --bg 0000ff draw-circle 10 10\n";
        QVERIFY2(ParseScript(text, script, error), qPrintable(error.text()));
        QCOMPARE(script.stepCount(), 5);
        QCOMPARE(script.step(0).line, 3);
        QCOMPARE(script.step(0).kind, ScriptStep::Kind::ForegroundColour);
        QCOMPARE(script.step(0).colour, MakeHostColour(0xFF, 0x80, 0x00));
        QCOMPARE(script.step(1).colour, MakeHostColour(0x10, 0x20, 0x30));
        QCOMPARE(script.step(3).waitMs, kLongestWaitMs);
        const ScriptStep circle = script.step(4);
        QCOMPARE(circle.line, 7);
        QCOMPARE(circle.command, FindCommandByCliName(QStringLiteral("draw-circle")));
        QCOMPARE(circle.arguments, (QStringList{"10", "10"}));
        QCOMPARE(*circle.lineForeground, MakeHostColour(0, 0xFF, 0));
        QCOMPARE(*circle.lineBackground, MakeHostColour(0, 0, 0xFF));
        QVERIFY(script.needsPort());
        QCOMPARE(ColourArgument(MakeHostColour(0xFF, 0x80, 0x00)), QStringLiteral("FF8000"));

        QVERIFY(ParseScript("convert a.png b.dat --depth 8\n# only files\n", script, error, RefusalsLeftToTheRun()));
        QVERIFY(!script.needsPort());
    }

    void badLinesNameTheirNumber_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QByteArray ok = "clear-screen\n# fine\n";
        QTest::newRow("unknown command") << ok + "draw-blob 1 2" << "line 3: unknown command \"draw-blob\"";
        QTest::newRow("misspelled command") << ok + "draw-circel" << "line 3: unknown command \"draw-circel\" (did you mean draw-circle?)";
        QTest::newRow("choice not offered") << ok + "draw-polygon 1 1 2 2 3 3 --vertices=9"
                                            << "line 3: draw-polygon: \"9\" is not a choice for vertices (one of 3, 4, 5, 6, 7).";
        QTest::newRow("required choice missing") << ok + "set-font" << "line 3: set-font: font is missing (one of 0 (5x7), 1 (8x8), 2 (8x12), 3 (16x32)).";
        QTest::newRow("picture option") << ok + "display-image a.png --depth 12" << "line 3: display-image: \"12\" is not a choice for depth (one of 16, 8).";
        QTest::newRow("picture resize") << ok + "display-image a.png --resize=97x1" << "line 3: display-image: --resize width: Please enter an integer between 1 and 96.";
        QTest::newRow("file command count") << ok + "convert a.png" << "line 3: convert: OUT.dat is missing";
        QTest::newRow("text field as an option") << ok + "draw-circle 10 10 --radius 5" << "line 3: draw-circle: unknown option \"--radius\" (radius is a text field: give its value in its place, "
                                                 "without --radius); a text that begins with - goes after --";
        QTest::newRow("help") << ok + "write-to-file --help" << "line 3: write-to-file: --help shows the command's help on tavrel-cli's command line; a script line cannot ask for it";
        QTest::newRow("split error") << ok + "print-text-string 0 0 1 1 'open" << "line 3: the closing ' is missing";
        QTest::newRow("bad colour") << ok + "foreground-color red" << "line 3: foreground-color takes one colour as RRGGBB, e.g. foreground-color FF8000";
        QTest::newRow("colour twice") << ok + "background-color 000000 FFFFFF" << "line 3: background-color takes one colour as RRGGBB, e.g. background-color FF8000";
        QTest::newRow("negative wait") << ok + "wait -5" << "line 3: wait takes a whole number of milliseconds from 0 to 86400000, not \"-5\"";
        QTest::newRow("long wait") << ok + "wait 86400001" << "line 3: wait takes a whole number of milliseconds from 0 to 86400000, not \"86400001\"";
        QTest::newRow("wait without time") << ok + "wait" << "line 3: wait takes one number of milliseconds, e.g. wait 500";
        QTest::newRow("port in a line") << ok + "--port /dev/pts/3 clear-screen" << "line 3: \"--port\" belongs on tavrel-cli's own command line, before run";
        QTest::newRow("line colour bad") << ok + "--fg 12 clear-screen" << "line 3: --fg takes a colour as RRGGBB, not \"12\"";
        QTest::newRow("point off the panel") << ok + "set-pixel 96 0" << "line 3: set-pixel: Pixel out of bounds!";
        QTest::newRow("text too long") << ok + "write-to-file " + QByteArray(256, 'x') << "line 3: write-to-file: Number of bytes must be less than 255";
        QTest::newRow("unsendable character") << ok + "print-character 0 0 \xc4\x80" << "line 3: print-character: The character U+0100 \"\u0100\" at position 1 cannot be sent: it would reach the module as a 0 byte and end the text early. Nothing was sent.";
        QTest::newRow("escaped bytes not UTF-8") << ok + "write-to-file $'\\xff'" << "line 3: the bytes of $'...' in word 2 are not UTF-8 text";
        QTest::newRow("missing picture") << ok + "display-image /no/such/picture.png" << "line 3: display-image: File not found or invalid format";
        QTest::newRow("colours only") << ok + "--fg 123456" << "line 3: a command is missing after the colours";
        QTest::newRow("nested run") << ok + "run other.txt" << "line 3: a script cannot run another script";
        QTest::newRow("not utf-8") << ok + "write-to-file \xff\xfe" << "line 3: not UTF-8 text";
        QTest::newRow("first line") << QByteArray("frobnicate") << "line 1: unknown command \"frobnicate\"";
    }
    void badLinesNameTheirNumber()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        Script script;
        ScriptError found;
        QVERIFY(!ParseScript(text, script, found));
        QCOMPARE(found.text(), error);
    }

    void stateCarriesFromLineToLine()
    {
        // The font, the remembered point and the colours of earlier lines
        // hold for later ones; a line's own --fg only for itself.
        const QVector<QByteArray> writes = RunScriptText("set-font 2\n"
                                                         "set-pixel 5 6\n"
                                                         "foreground-color FF0000\n"
                                                         "print-text-string\n"
                                                         "--fg 0000FF dim-area\n"
                                                         "display-user-char\n"
                                                         "background-color 00FF00\n"
                                                         "set-background-color\n");
        QCOMPARE(writes.size(), 6);
        QCOMPARE(writes[0], Bytes({0x46, 2}));
        QCOMPARE(writes[1], Bytes({0x50, 5, 6, 255, 255}));
        QCOMPARE(writes[2], Bytes({0x53, 5, 6, 2, 248, 0, 1, 1}) + QByteArray("Enter Text Here.") + Bytes({0}));
        QCOMPARE(writes[3], Bytes({0x24, 0x44, 5, 6, 1, 1}));
        QCOMPARE(writes[4], Bytes({0x44, 0, 5, 6, 248, 0}));
        QCOMPARE(writes[5], Bytes({0x42, 7, 224}));
    }

    void runStopsAtTheRefusedLine()
    {
        // Found before the run: nothing is sent.
        const QByteArray text = "set-pixel 1 1\n\ndraw-line 0 0 96 0\nset-pixel 2 2\n";
        QString failure;
        QVERIFY(RunScriptText(text, &failure).isEmpty());
        QCOMPARE(failure, QStringLiteral("line 3: draw-line: Pixel out of bounds!"));
        // Left to the run (tavrel-cli run --keep-going), it stops the run there.
        const QVector<QByteArray> writes = RunScriptText(text, &failure, RefusalsLeftToTheRun());
        QCOMPARE(writes.size(), 1);
        QCOMPARE(failure, QStringLiteral("line 3: draw-line was refused"));

        // A line whose packet does not reach the line whole counts as failed.
        CommandRig<AnswerHost> rig(4);
        rig.link->failAfterBytes = 5;
        Script script;
        ScriptError error;
        QVERIFY(ParseScript("set-pixel 1 1\nset-pixel 2 2\n", script, error));
        ScriptRun run(script, rig.session, HooksFor(rig.host));
        QVERIFY(!run.runNext().failed());
        QCOMPARE(run.runNext().failureText(), QStringLiteral("line 2: set-pixel was not written whole"));
        QVERIFY(run.atEnd());
    }

    void recordedCommandsReplayToTheSameBytes()
    {
        // A command answered in its dialog is written as a line; the line,
        // read back as a script in a session that remembers other things,
        // sends the same packets (or is refused the same way).
        QVector<QPair<QString, QStringList>> cases;
        for (const QString& text : HostileTexts()) {
            cases.push_back({"print-text-string", {"3", "4", "2", "1", "0", text, "1"}});
            cases.push_back({"text-button", {"-0", "1px", "1", "1", "1", text, "3"}});
            cases.push_back({"write-to-file", {text}});
        }
        cases.push_back({"draw-polygon", {"1", "1", "9", "1", "5", "9", "0", "0", "0", "0", "0", "0", "0", "0", "4"}});
        cases.push_back({"print-character", {"2", "3", "#", "1"}});
        cases.push_back({"add-user-char", {"31", "129", "0", "255", "1", "128", "66", "36", "24"}});
        cases.push_back({"oled-control-functions", {"1", "1", "12", "0"}});
        cases.push_back({"scroll-control", {"4", "0", "1", "0", "5", "64", "1"}});
        cases.push_back({"open-file-to-write", {"--X.TXT"}});
        cases.push_back({"get-device-info", {"1"}});

        cases.push_back({"rotate-display", {"1"}});

        for (const auto& [name, answer] : cases) {
            const CommandInfo* command = FindCommandByCliName(name);
            QVERIFY(command);
            CommandRig<ScriptedHost> original(4);
            original.host.answers = {answer};
            original.session.m_fontIndex = 2;
            const CommandOutcome outcome = command->run(original.session);
            // The request as the dialog handed it back.
            DialogRequest answered = original.host.shown.first();
            for (int i = 0; i < answered.fields.size() && i < answer.size(); ++i)
                answered.fields[i].value = answer.at(i);
            QString whyNot;
            const QString line = JoinScriptWords(RecordedCommandWords(*command, {answered}, whyNot));
            // Half a surrogate pair has no UTF-8 form: such a text is not
            // written as something else, it is not written.
            if (answer.contains(QString(QChar(0xD800)))) {
                QVERIFY(line.isEmpty() && !whyNot.isEmpty());
                continue;
            }
            QVERIFY2(whyNot.isEmpty(), qPrintable(whyNot));

            CommandRig<AnswerHost> replay(4);
            replay.session.m_lastX.fill(QStringLiteral("7"));
            replay.session.m_fontIndex = 1;
            Script script;
            ScriptError parseError;
            QVERIFY2(ParseScript(line.toUtf8(), script, parseError, RefusalsLeftToTheRun()),
                     qPrintable(line + " : " + parseError.text()));
            ScriptRun run(script, replay.session, HooksFor(replay.host));
            const StepReport report = run.runNext();
            QVERIFY2(report.failed() == (outcome != CommandOutcome::Sent), qPrintable(line));
            QVERIFY2(replay.link->writes == original.link->writes, qPrintable(line));
        }
    }

    void everyWordOfEveryCommandIsAccountedFor()
    {
        // Refused before the run, naming the word, whatever line it is on.
        for (const RefusedLine& refused : RefusedLines()) {
            Script script;
            ScriptError error;
            const QByteArray text = "set-pixel 1 1\n" + JoinScriptWords(refused.words).toUtf8() + '\n';
            QVERIFY2(!ParseScript(text, script, error), qPrintable(refused.row));
            QCOMPARE(error.line, 2);
            QVERIFY2(error.message.contains(refused.named), qPrintable(refused.row + ": " + error.message));
        }
        // Both spellings of an option send the same bytes.
        for (const SameLines& same : EquivalentLines()) {
            QString firstFailure;
            QString secondFailure;
            const QVector<QByteArray> first = RunScriptText(JoinScriptWords(same.first).toUtf8(), &firstFailure);
            QVERIFY2(!first.isEmpty(), qPrintable(same.row + ": " + firstFailure));
            QVERIFY2(first == RunScriptText(JoinScriptWords(same.second).toUtf8(), &secondFailure),
                     qPrintable(same.row + ": " + secondFailure));
        }
    }

    void spellingsUsersTrySendWhatTheyMean_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("power off") << QByteArray("oled-control-functions --function 2 --power-off") << Bytes({0x59, 2, 0});
        QTest::newRow("orientation") << QByteArray("rotate-display --orientation 0") << Bytes({0x24, 0x46, 0});
        QTest::newRow("font after the text") << QByteArray("print-text-string 1 2 1 1 AB --font 2")
                                             << Bytes({0x53, 1, 2, 2, 255, 255, 1, 1, 'A', 'B', 0});
        QTest::newRow("button font") << QByteArray("text-button 1 1 1 1 x --font 3")
                                     << Bytes({0x62, 1, 1, 1, 0, 0, 3, 255, 255, 1, 1, 'x', 0});
        QTest::newRow("scroll rows") << QByteArray("scroll-control 3 5 10 20 2 --function 4") << Bytes({0x24, 0x53, 5, 20});
        QTest::newRow("text after --") << QByteArray("print-text-string 1 2 1 1 -- --x")
                                       << Bytes({0x53, 1, 2, 0, 255, 255, 1, 1, '-', '-', 'x', 0});
        QTest::newRow("dash text after --") << QByteArray("print-character 1 2 -- -x") << Bytes({0x74, '-', 1, 2, 255, 255});
        QTest::newRow("text naming a field after --") << QByteArray("print-text-string 1 2 1 1 -- x=5")
                                                      << Bytes({0x53, 1, 2, 0, 255, 255, 1, 1, 'x', '=', '5', 0});
        QTest::newRow("check box given 0") << QByteArray("scroll-control --enable=0") << Bytes({0x24, 0x53, 0, 0});
        QTest::newRow("negative number") << QByteArray("scroll-control -1 --function=1") << Bytes({0x24, 0x53, 2, 255});
    }
    void spellingsUsersTrySendWhatTheyMean()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, sent);
        QString failure;
        QCOMPARE(RunScriptText(line), QVector<QByteArray>{sent});
    }

    void picturesMadeEarlierCountAsThere()
    {
        QTemporaryDir dir;
        const QString in = SavePicture(dir, QStringLiteral("in.png"), Filled(4, 4, Qt::red), "png");
        const QString made = dir.filePath(QStringLiteral("made.dat"));
        const QByteArray convert = JoinScriptWords({"convert", in, made}).toUtf8() + '\n';
        Script script;
        ScriptError error;
        QVERIFY2(ParseScript(convert + JoinScriptWords({"display-image", made, "0", "0"}).toUtf8(), script, error),
                 qPrintable(error.text()));
        QVERIFY(!QFile::exists(made));  // a check writes nothing
        QVERIFY(!ParseScript(convert + JoinScriptWords({"display-image", made, "0", "64"}).toUtf8(), script, error));
        QCOMPARE(error.text(), QStringLiteral("line 2: display-image: Pixel out of bounds!"));
        QVERIFY(!ParseScript(JoinScriptWords({"display-image", made}).toUtf8(), script, error));
        QCOMPARE(error.text(), QStringLiteral("line 1: display-image: File not found or invalid format"));
    }

    void scriptsHaveBounds()
    {
        QTemporaryDir dir;
        Script script;
        ScriptError error;
        // A line of 64 KiB passes, one byte more does not.
        const QByteArray longest = "# " + QByteArray(int(kLongestScriptLine) - 2, 'x');
        QVERIFY2(ParseScript("clear-screen\r\n" + longest + "\r\n", script, error), qPrintable(error.text()));
        QVERIFY(!ParseScript("clear-screen\n" + longest + "x\nclear-screen\n", script, error));
        QCOMPARE(error.text(), QStringLiteral("line 2: the line is longer than 65536 bytes, the most a line may have"));
        // A stream that goes past 16 MiB stops at the line where it does.
        const QByteArray line = "wait 0   " + QByteArray(1014, '#') + '\n';
        QByteArray large;
        for (int i = 0; i < 16 * 1024; ++i)
            large += line;
        QVERIFY2(ParseScript(large, script, error), qPrintable(error.text()));
        QCOMPARE(script.stepCount(), 16 * 1024);
        QVERIFY(!ParseScript(large + "wait 0\n", script, error));
        QCOMPARE(error.text(), QStringLiteral("line 16385: the script goes on past 16 MiB, the most a script may have"));
        // A file that large is refused by its size, before it is read.
        QFile file(dir.filePath(QStringLiteral("large.tavrel")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(large + "wait 0\n");
        file.close();
        QVERIFY(!ReadScriptFile(file.fileName(), script, error));
        QCOMPARE(error.kind, ScriptError::Kind::Unreadable);
        QVERIFY2(error.text().endsWith(QStringLiteral("has 16777223 bytes, and a script may have at most 16 MiB")),
                 qPrintable(error.text()));
        // Empty is fine; missing, a folder and a pipe are named.
        QFile empty(dir.filePath(QStringLiteral("empty.tavrel")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(ReadScriptFile(empty.fileName(), script, error));
        QCOMPARE(script.stepCount(), 0);
        QVERIFY(!ReadScriptFile(dir.filePath(QStringLiteral("none")), script, error));
        QVERIFY2(error.text().endsWith(QStringLiteral(": no such file")), qPrintable(error.text()));
        QVERIFY(!ReadScriptFile(dir.path(), script, error));
        QVERIFY2(error.text().endsWith(QStringLiteral("it is a folder, not a regular file")), qPrintable(error.text()));
#ifdef Q_OS_UNIX
        // No writer will ever come: the pipe is refused, not waited on.
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!ReadScriptFile(fifo, script, error));
        QVERIFY2(error.text().endsWith(QStringLiteral("it is a named pipe (FIFO), not a regular file")),
                 qPrintable(error.text()));
#endif
        // A long word is quoted in part, its control characters escaped.
        QVERIFY(!ParseScript("unk\x1bnown" + QByteArray(100, 'x'), script, error));
        QCOMPARE(error.text(), QStringLiteral("line 1: unknown command \"unk\\x1bnown") + QString(72, QLatin1Char('x'))
                                   + QStringLiteral("\"... (108 characters)"));
    }

    void recordingWritesLinesAsTheyHappen()
    {
        auto device = std::make_unique<QBuffer>();
        QBuffer* buffer = device.get();
        buffer->open(QIODevice::ReadWrite);
        ScriptRecorder recorder;
        QString error;
        QVERIFY(recorder.start(std::move(device), QStringLiteral("memory"), MakeHostColour(1, 2, 3), kBlack, error));
        const CommandInfo& line = *FindCommandByCliName(QStringLiteral("draw-line"));
        DialogRequest request{DialogKind::Line,
                              {{"x1", "1"}, {"y1", "2"}, {"x2", "3"}, {"y2", "4"}}};
        recorder.dialogAnswered(request);
        recorder.commandEnded(line, false);  // refused: nothing
        recorder.dialogAnswered(request);
        recorder.commandEnded(line, true);
        recorder.colourPicked(false, MakeHostColour(0xAB, 0xCD, 0xEF));
        recorder.commandEnded(*FindCommandByCliName(QStringLiteral("clear-screen")), true);
        DialogRequest picture{DialogKind::DisplayImage, {{"x", "0"}, {"y", "0"}, {"depth", "16", false}}};
        picture.fields.push_back({kPictureFileField, QString(), false});
        recorder.dialogAnswered(picture);
        recorder.commandEnded(*FindCommandByCliName(QStringLiteral("display-image")), true);
        picture.setValue(kPictureFileField, QStringLiteral("/tmp/my picture.png"));
        picture.setValue(QStringLiteral("depth"), QStringLiteral("8"));
        picture.fields.push_back({kPictureResizeField, QStringLiteral("48x32"), false});
        recorder.dialogAnswered(picture);
        recorder.commandEnded(*FindCommandByCliName(QStringLiteral("display-image")), true);
        picture.fields.push_back({QStringLiteral("dither"), QStringLiteral("1"), false});
        recorder.dialogAnswered(picture);
        recorder.commandEnded(*FindCommandByCliName(QStringLiteral("display-image")), true);

        QStringList lines = QString::fromUtf8(buffer->data()).split(QLatin1Char('\n'));
        QVERIFY(lines.takeFirst().startsWith(QStringLiteral("# Recorded by Tavrel")));
        QCOMPARE(lines, (QStringList{
                            "foreground-color 010203",
                            "background-color 000000",
                            "draw-line 1 2 3 4",
                            "background-color ABCDEF",
                            "clear-screen",
                            "# display-image not recorded: the picture sent was not converted straight from a picture "
                            "file (the placeholder, a picture pasted from the clipboard, or a file changed since "
                            "it was opened)",
                            "display-image '/tmp/my picture.png' 0 0 --resize=48x32 --depth=8",
                            "display-image '/tmp/my picture.png' 0 0 --resize=48x32 --depth=8 --dither",
                            "",
                        }));
        Script script;
        ScriptError parseError;
        QVERIFY2(ParseScript(buffer->data(), script, parseError, RefusalsLeftToTheRun()), qPrintable(parseError.text()));
    }

    void aFailedWriteStopsTheRecordingOnce()
    {
        ScriptRecorder recorder;
        QStringList reports;
        recorder.onWriteFailure = [&reports](const QString& message) { reports << message; };
        QString error;
        auto tooSmall = std::make_unique<FailingDevice>(1);
        tooSmall->open(QIODevice::WriteOnly);
        QVERIFY(!recorder.start(std::move(tooSmall), QStringLiteral("small"), kWhite, kBlack, error));
        QCOMPARE(error, QStringLiteral("No space left on device"));
        QVERIFY(!recorder.isRecording());

        auto device = std::make_unique<FailingDevice>(4);
        device->open(QIODevice::WriteOnly);
        QVERIFY(recorder.start(std::move(device), QStringLiteral("full.tavrel"), kWhite, kBlack, error));
        recorder.writeWords({QStringLiteral("clear-screen")});
        QVERIFY(reports.isEmpty());
        recorder.writeWords({QStringLiteral("clear-screen")});
        recorder.writeWords({QStringLiteral("clear-screen")});
        recorder.colourPicked(true, kBlack);
        QCOMPARE(reports, QStringList{QStringLiteral("Recording stopped: the script full.tavrel could not be written "
                                                     "(No space left on device). The lines before this one are in it.")});
        QVERIFY(!recorder.isRecording());
    }
};

QTEST_GUILESS_MAIN(TestScripts)
#include "tst_scripts.moc"
