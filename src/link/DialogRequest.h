#pragma once

#include <QString>
#include <QVector>

namespace tavrel {

// The parameter dialogs a command can ask for. The panel shows the matching
// dialog class; the command-line tool fills the fields from its arguments.
enum class DialogKind {
    Pixel,   // CPIxelDialog, "Enter Pixel Coordinates": x, y
    // Drawing commands

    // Text commands and the character editor

    // Display-control commands

    // SD card commands

    // Pictures
};

struct DialogField {
    QString name;   // stable key, also the argument name in the CLI's help
    QString value;  // the text in the field (check boxes and radio buttons: "0"/"1" or an index)
    // Text fields are the CLI's positional arguments, in dialog order; check
    // boxes and radio buttons are not positional: the CLI sets them by name
    // with --name (meaning "1") or --name=VALUE.
    bool positional = true;
};

// A request to show one parameter dialog pre-filled with the given texts.
// The answer comes back in the same fields.
struct DialogRequest {
    DialogKind kind;
    QVector<DialogField> fields;

    void setValue(const QString& name, const QString& text)
    {
        for (auto& f : fields)
            if (f.name == name)
                f.value = text;
    }

    QString value(const QString& name) const
    {
        for (const auto& f : fields)
            if (f.name == name)
                return f.value;
        return QString();
    }
};

} // namespace tavrel
