// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/CommandGrammar.h"

#include "commands/ChoiceFields.h"
#include "commands/CommandHelp.h"
#include "commands/script/CommandArguments.h"

#include <QHash>
#include <QRegularExpression>

namespace tavrel {

namespace {

using Kind = ArgumentField::Kind;

constexpr int kLongestQuotedWord = 80;

QVector<ArgumentField> DialogArguments(const CommandInfo& command)
{
    QVector<ArgumentField> arguments;
    QVector<ArgumentField> options;
    for (const DialogField& field : FirstDialogFields(command)) {
        if (field.positional)
            arguments.push_back({field.name, Kind::Text, field.choices, field.value, field.required});
        else if (field.checkBox)
            options.push_back({field.name, Kind::CheckBox, field.choices, field.value});
        else if (!field.choices.isEmpty())
            options.push_back({field.name, Kind::Choice, field.choices, field.value});
        // A field with neither (a heading, a prompt) is not typed by the user.
    }
    return arguments + options;
}

const ArgumentField* FindOption(const QVector<ArgumentField>& fields, const QString& name)
{
    for (const ArgumentField& field : fields)
        if (field.kind != Kind::Text && field.name == name)
            return &field;
    return nullptr;
}

// How many single-character edits turn one name into the other (for
// "did you mean"), given up beyond a small number.
int EditDistance(const QString& a, const QString& b)
{
    QVector<int> previous(b.size() + 1);
    QVector<int> current(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[j] = qMin(substitution, qMin(previous[j], current[j - 1]) + 1);
            // Two neighbours swapped count as one edit.
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                current[j] = qMin(current[j], previous[j - 1]);
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

// Why an option is unknown, with the likely slip: a text field's name, an
// option's name misspelt, an option of another command. A word of one dash
// is told that options have two; a text that begins with - may have been
// meant.
QString UnknownOptionText(const QVector<ArgumentField>& fields, const QString& word, const QString& name)
{
    QString text = QStringLiteral("unknown option %1").arg(QuotedWord(word));
    QStringList options;
    bool takesTexts = false;
    QString textField;
    for (const ArgumentField& field : fields) {
        if (field.kind != Kind::Text)
            options << field.name;
        else if (field.name == name.toLower())
            textField = field.name;
        else
            takesTexts = true;
    }
    // Whether the word may have been meant as a text.
    bool mayBeText = !textField.isEmpty();
    const QString nearest = NearestName(name, options);
    if (mayBeText) {
        text += QStringLiteral(" (%1 is a text field: give its value in its place, without --%1)").arg(textField);
    } else if (!nearest.isEmpty()) {
        text += QStringLiteral(" (did you mean --%1?)").arg(nearest);
    } else {
        QStringList owners;
        for (const CommandInfo& other : AllCommands())
            for (const ArgumentField& field : CommandArgumentFields(other))
                if (field.kind != Kind::Text && field.name == name)
                    owners << CliName(other.caption);
        if (!owners.isEmpty())
            text += QStringLiteral(" (--%1 is an option of %2)").arg(name, owners.join(QStringLiteral(", ")));
        else
            mayBeText = takesTexts;
    }
    if (!word.startsWith(QLatin1String("--")))
        return text + QStringLiteral("; options begin with --, and a text that begins with - goes after --");
    if (mayBeText)
        text += QStringLiteral("; a text that begins with - goes after --");
    return text;
}

// The field a word like "x=1" or "font=2" names: one of the command's
// fields, by its name in any letter case; null when there is none.
const ArgumentField* FieldNamedBy(const QVector<ArgumentField>& fields, const QString& word)
{
    static const QRegularExpression named(QStringLiteral("^([A-Za-z][A-Za-z0-9-]*)="));
    const QRegularExpressionMatch match = named.match(word);
    if (!match.hasMatch())
        return nullptr;
    const QString name = match.captured(1).toLower();
    for (const ArgumentField& field : fields)
        if (field.name == name)
            return &field;
    return nullptr;
}

DialogField AsDialogField(const ArgumentField& field, const QString& value)
{
    return DialogField{field.name, value, field.kind == Kind::Text, field.choices, field.required};
}

} // namespace

QString NearestName(const QString& name, const QStringList& names)
{
    const QString wanted = name.toLower();
    QString nearest;
    int best = 3;
    for (const QString& candidate : names) {
        const int distance = EditDistance(wanted, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

const QVector<ArgumentField>& CommandArgumentFields(const CommandInfo& command)
{
    // Found once for every command of the table, so that the references
    // handed out stay valid.
    static const QHash<const CommandInfo*, QVector<ArgumentField>> known = [] {
        QHash<const CommandInfo*, QVector<ArgumentField>> fields;
        for (const CommandInfo& row : AllCommands())
            fields.insert(&row, row.runArguments ? row.ownArguments : DialogArguments(row));
        return fields;
    }();
    static const QVector<ArgumentField> none;
    const auto found = known.find(&command);
    return found == known.end() ? none : found.value();
}

QString FieldMetavar(const CommandInfo& command, const ArgumentField& field)
{
    const FieldHelp* help = FindFieldHelp(command, field.name);
    return help && !help->metavar.isEmpty() ? help->metavar : field.name.toUpper();
}

QString CommandUsage(const CommandInfo& command)
{
    QStringList required;
    QStringList optional;
    QStringList options;
    for (const ArgumentField& field : CommandArgumentFields(command)) {
        const QString metavar = FieldMetavar(command, field);
        switch (field.kind) {
        case Kind::Text:
            (field.required ? required : optional) << (field.repeats ? metavar + QStringLiteral("...") : metavar);
            break;
        case Kind::CheckBox:
            options << QStringLiteral("[--%1]").arg(field.name);
            break;
        case Kind::Choice:
        case Kind::Value:
            options << QStringLiteral("[--%1=%2]").arg(field.name, metavar);
            break;
        }
    }
    // A long run of numbered fields reads better shortened: X1 Y1 ... X7 Y7.
    if (optional.size() > 9)
        optional = QStringList{optional.at(0), optional.at(1), QStringLiteral("..."), optional.at(optional.size() - 2),
                               optional.last()};
    QStringList words{CliName(command.caption)};
    words << required;
    if (!optional.isEmpty())
        words << QLatin1Char('[') + optional.join(QLatin1Char(' ')) + QLatin1Char(']');
    words << options;
    return words.join(QLatin1Char(' '));
}

bool LooksLikeOption(const QString& word)
{
    if (word.startsWith(QLatin1String("--")))
        return true;
    return word.size() > 1 && word.at(0) == QLatin1Char('-') && word.at(1).isLetter();
}

bool TakenForOption(const CommandInfo& command, const QString& word)
{
    return LooksLikeOption(word) || FieldNamedBy(CommandArgumentFields(command), word);
}

bool IsToolOption(const QString& name)
{
    for (const char* option : {"port", "baud", "fg", "bg", "trace", "reconnect", "list-ports", "version"})
        if (name == QLatin1String(option))
            return true;
    return false;
}

QString QuotedWord(const QString& word)
{
    QString shown;
    int characters = 0;
    for (int i = 0; i < word.size(); ++i) {
        if (characters == kLongestQuotedWord)
            return QLatin1Char('"') + shown + QStringLiteral("\"... (%1 characters)").arg(word.size());
        const ushort u = word.at(i).unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u == '\\' || u == '"')
            shown += QLatin1Char('\\') + word.at(i);
        else
            shown += word.at(i);
        // A surrogate pair is one character.
        if (word.at(i).isHighSurrogate() && i + 1 < word.size() && word.at(i + 1).isLowSurrogate())
            shown += word.at(++i);
        ++characters;
    }
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

bool ParseCommandWords(const CommandInfo& command, const QStringList& words, ParsedCommand& parsed, QString& error)
{
    parsed = ParsedCommand();
    const QVector<ArgumentField>& fields = CommandArgumentFields(command);
    QVector<const ArgumentField*> texts;
    for (const ArgumentField& field : fields)
        if (field.kind == Kind::Text)
            texts.push_back(&field);
    bool optionsEnded = false;
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && word == QLatin1String("-h")) {
            parsed.helpAsked = true;
            continue;
        }
        // -x looks like an option written with one dash: it is refused
        // rather than taken as a text (after "--" it is one).
        if (!optionsEnded && LooksLikeOption(word) && !word.startsWith(QLatin1String("--"))) {
            error = UnknownOptionText(fields, word, word.mid(1));
            return false;
        }
        if (optionsEnded || !word.startsWith(QLatin1String("--"))) {
            // x=1 names a field, which the user may think is how fields are
            // given: it would be read as a number (0) or taken for a text.
            if (const ArgumentField* named = optionsEnded ? nullptr : FieldNamedBy(fields, word)) {
                const QString prefix = word.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
                error = named->kind == Kind::Text
                    ? QStringLiteral("%1: %2 is given by its place among the words, not by its name")
                          .arg(QuotedWord(word), FieldMetavar(command, *named))
                    : QStringLiteral("%1: an option is written with -- (%2)")
                          .arg(QuotedWord(word), QuotedWord(QStringLiteral("--") + named->name + word.mid(prefix.size() - 1)));
                error += QStringLiteral("; a text that holds \"%1\" goes after --").arg(prefix);
                return false;
            }
            const int index = int(parsed.arguments.positional.size());
            if (index >= texts.size() && !(index > 0 && texts.last()->repeats)) {
                error = texts.isEmpty()
                    ? QStringLiteral("extra word %1: the command takes no words").arg(QuotedWord(word))
                    : QStringLiteral("extra word %1: the command takes at most %2")
                          .arg(QuotedWord(word))
                          .arg(texts.size() == 1 ? QStringLiteral("one word") : QStringLiteral("%1 words").arg(texts.size()));
                return false;
            }
            const ArgumentField& field = *texts.at(qMin(index, int(texts.size()) - 1));
            const QString problem = ChoiceProblem(AsDialogField(field, word));
            if (!problem.isEmpty()) {
                error = problem;
                return false;
            }
            parsed.arguments.positional << word;
            continue;
        }
        const int equals = word.indexOf(QLatin1Char('='));
        const QString name = word.mid(2, equals < 0 ? -1 : equals - 2);
        if (name == QLatin1String("help") && equals < 0) {
            parsed.helpAsked = true;
            continue;
        }
        const ArgumentField* field = FindOption(fields, name);
        if (!field) {
            error = IsToolOption(name)
                ? QStringLiteral("%1 is an option of tavrel-cli itself: write it before the command")
                      .arg(QuotedWord(word))
                : UnknownOptionText(fields, word, name);
            return false;
        }
        if (parsed.arguments.named.contains(field->name)) {
            error = QStringLiteral("--%1 is given twice").arg(field->name);
            return false;
        }
        QString value;
        if (equals >= 0) {
            value = word.mid(equals + 1);
        } else if (field->kind == Kind::CheckBox) {
            // --enable 0: the check box's value, or the next field's? Either
            // reading is a guess.
            const QString next = words.value(i + 1);
            if (next == QLatin1String("0") || next == QLatin1String("1")) {
                error = QStringLiteral("--%1 %2 is unclear: write --%1=%2 for the check box, or the %2 before --%1 "
                                       "for the next field")
                            .arg(field->name, next);
                return false;
            }
            value = QStringLiteral("1");
        } else if (i + 1 < words.size()) {
            value = words.at(++i);
        } else {
            error = QStringLiteral("--%1 needs a value").arg(field->name);
            if (!field->choices.isEmpty())
                error += QStringLiteral(" (one of %1)").arg(ChoicesText(field->choices));
            return false;
        }
        const QString problem = ChoiceProblem(AsDialogField(*field, value));
        if (!problem.isEmpty()) {
            error = problem;
            return false;
        }
        parsed.arguments.named.insert(field->name, value);
    }
    if (parsed.helpAsked)
        return true;
    for (int i = int(parsed.arguments.positional.size()); i < texts.size(); ++i) {
        const ArgumentField& field = *texts.at(i);
        if (!field.required)
            continue;
        error = field.choices.isEmpty()
            ? QStringLiteral("%1 is missing").arg(FieldMetavar(command, field))
            : MissingChoiceText(AsDialogField(field, QString()));
        return false;
    }
    return true;
}

QStringList OwnArgumentWords(const CommandInfo& command, const CommandArguments& arguments)
{
    QStringList words;
    for (const ArgumentField& field : CommandArgumentFields(command)) {
        const auto named = arguments.named.find(field.name);
        if (named == arguments.named.end())
            continue;
        if (field.kind != Kind::CheckBox)
            words << QStringLiteral("--%1=%2").arg(field.name, named.value());
        else if (named.value().trimmed() == QLatin1String("1"))
            words << QStringLiteral("--") + field.name;
    }
    return words << QStringLiteral("--") << arguments.positional;
}

} // namespace tavrel
