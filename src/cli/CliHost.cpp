#include "cli/CliHost.h"

namespace tavrel {

CliHost::CliHost(HostColour foreground, HostColour background, QStringList arguments, QTextStream& errors)
    : m_foreground(foreground)
    , m_background(background)
    , m_arguments(std::move(arguments))
    , m_errors(errors)
{
}

void CliHost::showMessage(const QString& text, const QString& caption)
{
    Q_UNUSED(caption);
    m_errors << text << Qt::endl;
}

bool CliHost::runDialog(DialogRequest& request)
{
    for (auto& field : request.fields) {
        if (m_arguments.isEmpty())
            break;
        field.value = m_arguments.takeFirst();
    }
    return true;
}

} // namespace tavrel
