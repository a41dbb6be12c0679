// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/CommandArguments.h"

#include "commands/ChoiceFields.h"
#include "link/PanelSession.h"

namespace tavrel {

namespace {

// A rehearsal takes no time: its waits are skipped.
class NoWaitClock final : public Clock {
public:
    qint64 nowMs() override { return 0; }
    void sleepMs(int) override {}
};

// Stands in for the window during a rehearsal: the first dialog is answered
// from the arguments and then cancelled, and nothing is shown anywhere.
class RehearsalHost final : public PanelHost {
public:
    explicit RehearsalHost(ArgumentAnswers& answers)
        : m_answers(answers)
    {
    }
    QString statusText() const override { return m_status; }
    void setStatusText(const QString& text) override { m_status = text; }
    HostColour foregroundColour() const override { return kWhite; }
    void setForegroundColour(HostColour) override {}
    HostColour backgroundColour() const override { return kBlack; }
    void showMessage(const QString&, const QString&) override {}
    bool runDialog(DialogRequest& request) override
    {
        m_answers.answer(request);
        return false;
    }
    void showReceivedText(const QString&, const QString&) override {}

private:
    ArgumentAnswers& m_answers;
    QString m_status;
};

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

ArgumentAnswers::ArgumentAnswers(CommandArguments arguments)
    : m_arguments(std::move(arguments))
{
}

void ArgumentAnswers::answer(DialogRequest& request)
{
    for (auto& field : request.fields) {
        bool given = false;
        if (!field.positional) {
            const auto named = m_arguments.named.find(field.name);
            if (named != m_arguments.named.end()) {
                field.value = named.value();
                m_arguments.named.erase(named);
                given = true;
            }
        } else if (!m_arguments.positional.isEmpty()) {
            field.value = m_arguments.positional.takeFirst();
            given = true;
        }
        if (!m_usageError.isEmpty())
            continue;
        if (field.required && !given)
            m_usageError = MissingChoiceText(field);
        else
            m_usageError = ChoiceProblem(field);
    }
}

QStringList ArgumentAnswers::unusedArguments() const
{
    QStringList unused = m_arguments.positional;
    for (auto it = m_arguments.named.begin(); it != m_arguments.named.end(); ++it)
        unused << QStringLiteral("--") + it.key() + QLatin1Char('=') + it.value();
    return unused;
}

QString ArgumentProblem(const CommandInfo& command, const QStringList& words)
{
    if (command.runArguments) {
        QString usageError;
        if (command.checkArguments && !command.checkArguments(words, usageError))
            return usageError;
        return QString();
    }
    if (!command.run)
        return QString();
    ArgumentAnswers answers(SplitCommandArguments(words));
    RehearsalHost host(answers);
    PanelSession session(host, [](const QString&, qint32) { return OpenResult(); });
    NoWaitClock clock;
    session.setClock(clock);
    command.run(session);
    return answers.usageError();
}

CommandRunOutcome RunCommandWords(PanelSession& session, const CommandInfo& command, const QStringList& words,
                                  const DialogRouting& routeDialogs)
{
    CommandRunOutcome outcome;
    session.resetWriteCheck();
    CommandOutcome ended = CommandOutcome::Refused;
    if (command.runArguments) {
        ended = command.runArguments(session, words, outcome.usageError);
        if (ended != CommandOutcome::Sent && !outcome.usageError.isEmpty()) {
            outcome.result = CommandRunResult::UsageError;
            return outcome;
        }
    } else if (command.run) {
        ArgumentAnswers answers(SplitCommandArguments(words));
        routeDialogs(&answers);
        ended = command.run(session);
        routeDialogs(nullptr);
        outcome.unusedArguments = answers.unusedArguments();
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
