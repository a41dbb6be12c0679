#include "commands/ChoiceFields.h"

#include "link/ParseDecimal.h"

namespace tavrel {

QString ApplicationCaption()
{
    return QStringLiteral("Tavrel");
}

DialogField PositionalField(const QString& name, const QString& value)
{
    return DialogField{name, value, true};
}

DialogField OptionField(const QString& name, const QString& value)
{
    return DialogField{name, value, false};
}

bool ReadChoice(PanelSession& session, const DialogRequest& request, const QString& name,
                const QStringList& allowed, int& value)
{
    const QString text = request.value(name).trimmed();
    if (!allowed.contains(text)) {
        session.host().showMessage(QStringLiteral("\"%1\" is not a choice for %2 (one of %3).")
                                       .arg(request.value(name), name, allowed.join(QStringLiteral(", "))),
                                   ApplicationCaption());
        return false;
    }
    value = ParseDecimal(text);
    return true;
}

bool ReadCheck(PanelSession& session, const DialogRequest& request, const QString& name, bool& checked)
{
    int value = 0;
    if (!ReadChoice(session, request, name, {QStringLiteral("0"), QStringLiteral("1")}, value))
        return false;
    checked = value != 0;
    return true;
}

} // namespace tavrel
