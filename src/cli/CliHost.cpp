#include "cli/CliHost.h"

#include "commands/ChoiceFields.h"

namespace tavrel {

CliHost::CliHost(HostColour foreground, HostColour background, QStringList positional,
                 QMap<QString, QString> named, QTextStream& output, QTextStream& errors)
    : m_foreground(foreground)
    , m_background(background)
    , m_arguments(std::move(positional))
    , m_named(std::move(named))
    , m_output(output)
    , m_errors(errors)
{
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
    // Listings break their lines with "\r\n", as the status window does; a
    // terminal wants "\n".
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_output << lines;
    if (!lines.endsWith(QLatin1Char('\n')))
        m_output << '\n';
    m_output.flush();
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
