// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/ChoiceFields.h"

#include "commands/script/CommandGrammar.h"
#include "link/ParseDecimal.h"

namespace tavrel {

namespace {

const QString kNameSeparator = QStringLiteral(": ");

const DialogField* FindField(const DialogRequest& request, const QString& name)
{
    for (const auto& field : request.fields)
        if (field.name == name)
            return &field;
    return nullptr;
}

} // namespace

QString ApplicationCaption()
{
    return QStringLiteral("Tavrel");
}

DialogField PositionalField(const QString& name, const QString& value)
{
    return DialogField{name, value, true};
}

DialogField OptionField(const QString& name, const QString& value, const QStringList& choices)
{
    return DialogField{name, value, false, choices};
}

DialogField CheckField(const QString& name, const QString& value)
{
    DialogField field = OptionField(name, value, {QStringLiteral("0"), QStringLiteral("1")});
    field.checkBox = true;
    return field;
}

DialogField RequiredChoiceField(const QString& name, const QString& value, const QStringList& choices)
{
    return DialogField{name, value, true, choices, true};
}

QStringList FontChoices()
{
    return {QStringLiteral("0: 5x7"), QStringLiteral("1: 8x8"), QStringLiteral("2: 8x12"), QStringLiteral("3: 16x32")};
}

QStringList TextModeChoices()
{
    return {QStringLiteral("0: transparent"), QStringLiteral("1: opaque")};
}

bool MatchChoice(const QStringList& choices, const QString& text, int& value)
{
    const QString wanted = text.simplified().toLower();
    for (const QString& choice : choices) {
        const QString lower = choice.toLower();
        const int separator = lower.indexOf(kNameSeparator);
        const QString number = separator < 0 ? lower : lower.left(separator);
        const bool named = separator >= 0 && wanted == lower.mid(separator + kNameSeparator.size());
        if (wanted == lower || wanted == number || named) {
            value = ParseDecimal(number);
            return true;
        }
    }
    return false;
}

QString ChoicesText(const QStringList& choices)
{
    QStringList shown;
    for (const QString& choice : choices) {
        const int separator = choice.indexOf(kNameSeparator);
        shown << (separator < 0 ? choice
                                : choice.left(separator) + QStringLiteral(" (")
                                      + choice.mid(separator + kNameSeparator.size()) + QLatin1Char(')'));
    }
    return shown.join(QStringLiteral(", "));
}

QString ChoiceProblem(const DialogField& field)
{
    int value = 0;
    if (field.choices.isEmpty() || MatchChoice(field.choices, field.value, value))
        return QString();
    return QStringLiteral("%1 is not a choice for %2 (one of %3).")
        .arg(QuotedWord(field.value), field.name, ChoicesText(field.choices));
}

QString MissingChoiceText(const DialogField& field)
{
    return QStringLiteral("%1 is missing (one of %2).").arg(field.name, ChoicesText(field.choices));
}

bool ReadChoice(PanelSession& session, const DialogRequest& request, const QString& name, int& value)
{
    const DialogField* field = FindField(request, name);
    if (!field)
        return false;
    const QString problem = ChoiceProblem(*field);
    if (!problem.isEmpty()) {
        session.host().showMessage(problem, ApplicationCaption());
        return false;
    }
    value = 0;
    MatchChoice(field->choices, field->value, value);
    return true;
}

bool ReadCheck(PanelSession& session, const DialogRequest& request, const QString& name, bool& checked)
{
    int value = 0;
    if (!ReadChoice(session, request, name, value))
        return false;
    checked = value != 0;
    return true;
}

} // namespace tavrel
