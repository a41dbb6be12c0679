#include "cli/CliHost.h"

#include "cli/TerminalText.h"
#include "commands/ChoiceFields.h"

#include <QIODevice>

namespace tavrel {

CliHost::CliHost(HostColour foreground, HostColour background, QStringList positional,
                 QMap<QString, QString> named, QTextStream& output, QTextStream& errors)
    : m_foreground(foreground)
    , m_background(background)
    , m_arguments(std::move(positional))
    , m_named(std::move(named))
    , m_givenArguments(m_arguments)
    , m_givenNamed(m_named)
    , m_output(output)
    , m_errors(errors)
{
}

void CliHost::rewindAnswers()
{
    m_arguments = m_givenArguments;
    m_named = m_givenNamed;
    m_usageError.clear();
}

void CliHost::showMessage(const QString& text, const QString& caption)
{
    Q_UNUSED(caption);
    if (!m_rehearsal)
        m_errors << text << Qt::endl;
}

void CliHost::showReceivedText(const QString& title, const QString& text)
{
    Q_UNUSED(title);
    if (m_rehearsal)
        return;
    // The text holds the module's bytes one per character (Latin-1), so
    // they come back unchanged.
    const QByteArray bytes = text.toLatin1();
    QIODevice* device = m_output.device();
    if (m_terminal || !device) {
        const QString shown = TerminalSafeText(bytes);
        m_output << shown;
        if (!shown.endsWith(QLatin1Char('\n')))
            m_output << '\n';
        m_output.flush();
        return;
    }
    // A file or a pipe gets the bytes exactly as they came, past the text
    // stream's encoding; a line break after them keeps the status text on a
    // line of its own.
    m_output.flush();
    device->write(bytes);
    if (!bytes.endsWith('\n'))
        device->write("\n", 1);
}

bool CliHost::runDialog(DialogRequest& request)
{
    for (auto& field : request.fields) {
        bool given = false;
        if (!field.positional) {
            const auto named = m_named.find(field.name);
            if (named != m_named.end()) {
                field.value = named.value();
                m_named.erase(named);
                given = true;
            }
        } else if (!m_arguments.isEmpty()) {
            field.value = m_arguments.takeFirst();
            given = true;
        }
        if (!m_usageError.isEmpty())
            continue;
        if (field.required && !given)
            m_usageError = MissingChoiceText(field);
        else
            m_usageError = ChoiceProblem(field);
    }
    return !m_rehearsal;
}

QStringList CliHost::unusedArguments() const
{
    QStringList unused = m_arguments;
    for (auto it = m_named.begin(); it != m_named.end(); ++it)
        unused << QStringLiteral("--") + it.key() + QLatin1Char('=') + it.value();
    return unused;
}

} // namespace tavrel
