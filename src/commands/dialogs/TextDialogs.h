// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"
#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace tavrel {

class CEnterTextEdit;

// "Text Character": the point, the character and whether the point is a
// column and row (formatted) or pixels. Nothing is validated here.
class CTextCharacterDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CTextCharacterDialog(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;
    QString m_character;
    int m_formatted = 0;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_characterEdit = nullptr;
    QCheckBox* m_formattedCheck = nullptr;
};

// The common form of "Print Text" and "Text Button": X, Y, the two size
// factors, one check box, the text and a note. Line breaks in the text are
// kept as CR LF, the way they go out on the line.
class CTextEntryDialog : public CParameterDialog {
    Q_OBJECT
protected:
    CTextEntryDialog(const QString& title, const QString& checkCaption, const QString& checkName, const QString& note,
                     QWidget* parent);

    void pushCommon(const QString& x, const QString& y, const QString& width, const QString& height, int checked,
                    const QString& text);
    void commitCommon(QString& x, QString& y, QString& width, QString& height, int& checked, QString& text) const;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QCheckBox* m_check = nullptr;
    CEnterTextEdit* m_textEdit = nullptr;
};

// "Print Text": a string at a point, formatted (column and row) or free
// (pixels, with size factors).
class CPrintTextDialog : public CTextEntryDialog {
    Q_OBJECT
public:
    explicit CPrintTextDialog(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;
    QString m_widthFactor = QStringLiteral("1");
    QString m_heightFactor = QStringLiteral("1");
    int m_formatted = 0;
    QString m_text;

protected:
    void push() override;
    bool commit() override;
};

// "Text Button": a labelled button with its top-left corner at a point,
// drawn up or down.
class CTextButtonDialog : public CTextEntryDialog {
    Q_OBJECT
public:
    explicit CTextButtonDialog(QWidget* parent = nullptr);

    QString m_text;
    QString m_x;
    QString m_y;
    QString m_widthFactor;
    QString m_heightFactor;
    int m_buttonDown = 0;

protected:
    void push() override;
    bool commit() override;
};

// "Display User Character": the point and the character's number. The
// number field starts at 0 every time the dialog opens.
class CDisplayCharacter : public CParameterDialog {
    Q_OBJECT
public:
    explicit CDisplayCharacter(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;
    QString m_charNumber;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_charNumberEdit = nullptr;
};

// Shows the dialog of a text command's request (the character editor for
// Add User Char) and copies the entries back. Requests of the font and
// text-mode buttons have no dialog and are answered as they are. Returns
// false on cancel or for a request that is not a text command's.
bool RunTextDialog(QWidget* parent, DialogRequest& request);

} // namespace tavrel
