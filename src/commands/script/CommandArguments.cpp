// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/CommandArguments.h"

#include "imaging/DisplayImageCommand.h"
#include "imaging/PictureFile.h"
#include "imaging/PictureFileOpen.h"
#include "link/PanelSession.h"

#include <QFile>
#include <QFileInfo>

namespace tavrel {

namespace {

// A rehearsal takes no time: its waits are skipped.
class NoWaitClock final : public Clock {
public:
    qint64 nowMs() override { return 0; }
    void sleepMs(int) override {}
};

// Stands in for the window during a rehearsal: dialogs are answered from
// the arguments (without answers, cancelled), the first dialog's request and
// the first message a command shows are kept, and nothing is shown
// anywhere.
class RehearsalHost final : public PanelHost {
public:
    ArgumentAnswers* answers = nullptr;
    QString firstMessage;
    QVector<DialogField> firstDialog;

    QString statusText() const override { return m_status; }
    void setStatusText(const QString& text) override { m_status = text; }
    HostColour foregroundColour() const override { return kWhite; }
    void setForegroundColour(HostColour) override {}
    HostColour backgroundColour() const override { return kBlack; }
    void showMessage(const QString& text, const QString&) override
    {
        if (firstMessage.isEmpty())
            firstMessage = text;
    }
    bool runDialog(DialogRequest& request) override
    {
        if (firstDialog.isEmpty())
            firstDialog = request.fields;
        if (!answers)
            return false;
        answers->answer(request);
        return true;
    }
    void showReceivedText(const QString&, const QString&) override {}

private:
    QString m_status;
};

QString AbsolutePath(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// Why a picture file would not be read, found from the file system alone
// (the picture is decoded when the command runs); empty when it is there.
QString PictureFileRefusal(const QString& path)
{
    QFile file;
    const PictureFileCheck check = OpenPictureFile(path, kMaxPictureFileBytes, file);
    PictureReadResult result;
    result.path = path;
    switch (check.problem) {
    case PictureFileProblem::None:
        return QString();
    case PictureFileProblem::Unreadable:
        result.status = PictureReadStatus::Undecodable;
        break;
    case PictureFileProblem::NotRegularFile:
        result.status = PictureReadStatus::NotRegularFile;
        result.fileKind = check.kind;
        break;
    case PictureFileProblem::TooLarge:
        result.status = PictureReadStatus::FileTooLarge;
        result.fileBytes = check.size;
        break;
    }
    return PictureReadFailureText(result);
}

} // namespace

CommandArguments SplitCommandArguments(const QStringList& words)
{
    CommandArguments split;
    bool optionsEnded = false;
    for (const QString& word : words) {
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && word.startsWith(QLatin1String("--")) && word.size() > 2) {
            const int equals = word.indexOf(QLatin1Char('='));
            if (equals < 0)
                split.named.insert(word.mid(2), QStringLiteral("1"));
            else
                split.named.insert(word.mid(2, equals - 2), word.mid(equals + 1));
        } else {
            split.positional << word;
        }
    }
    return split;
}

bool CheckCommandWords(const CommandInfo& command, const QStringList& words, ParsedCommand& parsed, QString& error)
{
    if (!ParseCommandWords(command, words, parsed, error))
        return false;
    if (parsed.helpAsked || !command.checkArguments)
        return true;
    return command.checkArguments(OwnArgumentWords(command, parsed.arguments), error);
}

ArgumentAnswers::ArgumentAnswers(CommandArguments arguments)
    : m_arguments(std::move(arguments))
{
}

void ArgumentAnswers::answer(DialogRequest& request)
{
    for (auto& field : request.fields) {
        if (!field.positional) {
            const auto named = m_arguments.named.find(field.name);
            if (named != m_arguments.named.end()) {
                field.value = named.value();
                m_arguments.named.erase(named);
            }
        } else if (!m_arguments.positional.isEmpty()) {
            field.value = m_arguments.positional.takeFirst();
        }
    }
}

struct CommandRehearsal::Stage {
    RehearsalHost host;
    NoWaitClock clock;
    PanelSession session{host, [](const QString&, qint32) { return OpenResult(); }};
    Stage() { session.setClock(clock); }
};

CommandRehearsal::CommandRehearsal()
    : m_stage(std::make_unique<Stage>())
{
}

CommandRehearsal::~CommandRehearsal() = default;

QVector<DialogField> FirstDialogFields(const CommandInfo& command)
{
    if (!command.run)
        return {};
    CommandRehearsal rehearsal;
    rehearsal.m_stage->host.answers = nullptr;
    command.run(rehearsal.m_stage->session);
    return rehearsal.m_stage->host.firstDialog;
}

QString CommandRehearsal::refusal(const CommandInfo& command, const CommandArguments& arguments)
{
    RehearsalHost& host = m_stage->host;
    PanelSession& session = m_stage->session;
    host.firstMessage.clear();
    if (!command.runArguments) {
        if (!command.run)
            return QString();
        ArgumentAnswers answers(arguments);
        host.answers = &answers;
        const CommandOutcome outcome = command.run(session);
        host.answers = nullptr;
        return outcome == CommandOutcome::Refused ? host.firstMessage : QString();
    }
    // The picture commands: their files are looked at, not decoded, and
    // their point is checked as the upload checks it first. What they
    // write counts as there for the commands after them.
    int index = 0;
    QStringList outputs;
    for (const ArgumentField& field : CommandArgumentFields(command)) {
        if (field.kind != ArgumentField::Kind::Text)
            continue;
        const QStringList given = field.repeats ? arguments.positional.mid(index)
                                                : QStringList{arguments.positional.value(index)};
        index += int(given.size());
        for (const QString& path : given) {
            if (field.name == QLatin1String("out"))
                outputs << AbsolutePath(path);
            if (field.name != QLatin1String("in") || m_written.contains(AbsolutePath(path)))
                continue;
            const QString problem = PictureFileRefusal(path);
            if (!problem.isEmpty())
                return problem;
        }
    }
    if (!command.needsNoPort) {
        const QString x = arguments.positional.value(1, session.m_lastX[0]);
        const QString y = arguments.positional.value(2, session.m_lastY[0]);
        QImage point(1, 1, QImage::Format_RGB32);
        point.fill(Qt::black);
        if (SendDisplayImage(session, x, y, point, PixelEncoding(16, Dithering::Off)) == CommandOutcome::Refused)
            return host.firstMessage;
    }
    for (const QString& output : outputs)
        m_written.insert(output);
    return QString();
}

CommandRunOutcome RunCommandWords(PanelSession& session, const CommandInfo& command, const QStringList& words,
                                  const DialogRouting& routeDialogs)
{
    CommandRunOutcome outcome;
    ParsedCommand parsed;
    if (!CheckCommandWords(command, words, parsed, outcome.usageError)) {
        outcome.result = CommandRunResult::UsageError;
        return outcome;
    }
    session.resetWriteCheck();
    CommandOutcome ended = CommandOutcome::Refused;
    if (command.runArguments) {
        ended = command.runArguments(session, OwnArgumentWords(command, parsed.arguments), outcome.usageError);
        if (ended != CommandOutcome::Sent && !outcome.usageError.isEmpty()) {
            outcome.result = CommandRunResult::UsageError;
            return outcome;
        }
    } else if (command.run) {
        ArgumentAnswers answers(parsed.arguments);
        routeDialogs(&answers);
        ended = command.run(session);
        routeDialogs(nullptr);
    }
    if (ended != CommandOutcome::Sent)
        outcome.result = CommandRunResult::Refused;
    // A packet that did not reach the line whole (a link lost, a port that
    // would not take it) makes the command a failure, whatever was logged.
    else if (!session.everyWriteWhole())
        outcome.result = CommandRunResult::NotWrittenWhole;
    return outcome;
}

} // namespace tavrel
