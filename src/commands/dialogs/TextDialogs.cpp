// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/TextDialogs.h"

#include "commands/TextCommands.h"
#include "commands/UserCharacter.h"
#include "widgets/CEnterTextEdit.h"
#include "widgets/COledCharEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

namespace {

const QString kFormattedNote =
    QStringLiteral("If \"formatted\", then X and Y refer to column and row, else they refer to pixel coordinates");

QCheckBox* AddCheckBox(QWidget* dialog, QGridLayout* form, const QString& caption, const QString& objectName,
                       int controlId)
{
    auto* check = new QCheckBox(caption, dialog);
    check->setObjectName(objectName);
    check->setProperty("controlId", controlId);
    form->addWidget(check, form->rowCount(), 1);
    return check;
}

void AddNote(QWidget* dialog, QGridLayout* form, const QString& text)
{
    auto* note = new QLabel(text, dialog);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setWordWrap(true);
    form->addWidget(note, form->rowCount(), 0, 1, 2);
}

// The text box shows line breaks as lines; the members hold them as CR LF.
QString ToEditText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString FromEditText(QString text)
{
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString CheckValue(int checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

int CheckedFrom(const QString& value)
{
    return value.trimmed() == QLatin1String("0") || value.trimmed().isEmpty() ? 0 : 1;
}

} // namespace

// "Text Character" -----------------------------------------------------------

CTextCharacterDialog::CTextCharacterDialog(QWidget* parent)
    : CParameterDialog(tr("Text Character"), QSize(164, 113), parent)
{
    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
    m_characterEdit = addLineEdit(tr("Character:"), QStringLiteral("characterEdit"), 1013);
    m_characterEdit->setMaximumWidth(m_characterEdit->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 4 + 12);
    m_formattedCheck = AddCheckBox(this, form(), tr("Formatted"), QStringLiteral("formattedCheck"), 1023);
    AddNote(this, form(), kFormattedNote);
}

void CTextCharacterDialog::push()
{
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_characterEdit->setText(m_character);
    m_formattedCheck->setChecked(m_formatted != 0);
}

bool CTextCharacterDialog::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    m_character = m_characterEdit->text();
    m_formatted = m_formattedCheck->isChecked() ? 1 : 0;
    return true;
}

// "Print Text" and "Text Button" ---------------------------------------------

CTextEntryDialog::CTextEntryDialog(const QString& title, const QString& checkCaption, const QString& checkName,
                                   const QString& note, QWidget* parent)
    : CParameterDialog(title, QSize(232, 138), parent)
{
    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
    m_widthEdit = addLineEdit(tr("NxWidth:"), QStringLiteral("widthEdit"), 1014);
    m_heightEdit = addLineEdit(tr("NxHeight:"), QStringLiteral("heightEdit"), 1015);
    m_check = AddCheckBox(this, form(), checkCaption, checkName, 1023);

    const int row = form()->rowCount();
    // Several lines, scrolling sideways; three show at a time.
    m_textEdit = new CEnterTextEdit(this);
    m_textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_textEdit->setFixedHeight(m_textEdit->fontMetrics().lineSpacing() * 3 + 2 * m_textEdit->frameWidth() + 8);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setProperty("controlId", 1013);
    auto* caption = new QLabel(tr("Text:"), this);
    caption->setBuddy(m_textEdit);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form()->addWidget(caption, row, 0);
    form()->addWidget(m_textEdit, row, 1);

    AddNote(this, form(), note);
}

void CTextEntryDialog::pushCommon(const QString& x, const QString& y, const QString& width, const QString& height,
                                  int checked, const QString& text)
{
    m_xEdit->setText(x);
    m_yEdit->setText(y);
    m_widthEdit->setText(width);
    m_heightEdit->setText(height);
    m_check->setChecked(checked != 0);
    m_textEdit->setPlainText(ToEditText(text));
}

void CTextEntryDialog::commitCommon(QString& x, QString& y, QString& width, QString& height, int& checked,
                                    QString& text) const
{
    x = m_xEdit->text();
    y = m_yEdit->text();
    width = m_widthEdit->text();
    height = m_heightEdit->text();
    checked = m_check->isChecked() ? 1 : 0;
    text = FromEditText(m_textEdit->toPlainText());
}

CPrintTextDialog::CPrintTextDialog(QWidget* parent)
    : CTextEntryDialog(tr("Print Text"), tr("Formatted"), QStringLiteral("formattedCheck"),
                       kFormattedNote
                           + QStringLiteral(".  Note that width and height multipliers are only appled to "
                                            "non-formatted text."),
                       parent)
{
}

void CPrintTextDialog::push()
{
    pushCommon(m_x, m_y, m_widthFactor, m_heightFactor, m_formatted, m_text);
}

bool CPrintTextDialog::commit()
{
    commitCommon(m_x, m_y, m_widthFactor, m_heightFactor, m_formatted, m_text);
    return true;
}

CTextButtonDialog::CTextButtonDialog(QWidget* parent)
    : CTextEntryDialog(tr("Text Button"), tr("Button Down"), QStringLiteral("buttonDownCheck"),
                       QStringLiteral("X and Y refer to top-left corner pixel coordinates.  Note that width and "
                                      "height multipliers scale text."),
                       parent)
{
}

void CTextButtonDialog::push()
{
    pushCommon(m_x, m_y, m_widthFactor, m_heightFactor, m_buttonDown, m_text);
}

bool CTextButtonDialog::commit()
{
    commitCommon(m_x, m_y, m_widthFactor, m_heightFactor, m_buttonDown, m_text);
    return true;
}

// "Display User Character" ---------------------------------------------------

CDisplayCharacter::CDisplayCharacter(QWidget* parent)
    : CParameterDialog(tr("Display User Character"), QSize(172, 94), parent)
{
    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
    m_charNumberEdit = addLineEdit(tr("Character# (0..31)"), QStringLiteral("charNumberEdit"), 1013);
}

void CDisplayCharacter::push()
{
    // The number starts at 0 whatever was set before the dialog opened.
    m_charNumber = QStringLiteral("0");
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_charNumberEdit->setText(m_charNumber);
}

bool CDisplayCharacter::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    m_charNumber = m_charNumberEdit->text();
    return true;
}

// Requests to dialogs --------------------------------------------------------

namespace {

// Print Text and Text Button take the same fields from the request and give
// them back, but for their one check box, `checkName`, held in `checked`.
template <typename Dialog>
bool RunTextEntry(Dialog& dialog, DialogRequest& request, QLatin1String checkName, int Dialog::*checked)
{
    dialog.m_x = request.value(TextField::kX);
    dialog.m_y = request.value(TextField::kY);
    dialog.m_widthFactor = request.value(TextField::kWidth);
    dialog.m_heightFactor = request.value(TextField::kHeight);
    dialog.*checked = CheckedFrom(request.value(checkName));
    dialog.m_text = request.value(TextField::kText);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.setValue(TextField::kX, dialog.m_x);
    request.setValue(TextField::kY, dialog.m_y);
    request.setValue(TextField::kWidth, dialog.m_widthFactor);
    request.setValue(TextField::kHeight, dialog.m_heightFactor);
    request.setValue(checkName, CheckValue(dialog.*checked));
    request.setValue(TextField::kText, dialog.m_text);
    return true;
}

} // namespace

bool RunTextDialog(QWidget* parent, DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::TextCharacter: {
        CTextCharacterDialog dialog(parent);
        dialog.m_x = request.value(TextField::kX);
        dialog.m_y = request.value(TextField::kY);
        dialog.m_character = request.value(TextField::kCharacter);
        dialog.m_formatted = CheckedFrom(request.value(TextField::kFormatted));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(TextField::kX, dialog.m_x);
        request.setValue(TextField::kY, dialog.m_y);
        request.setValue(TextField::kCharacter, dialog.m_character);
        request.setValue(TextField::kFormatted, CheckValue(dialog.m_formatted));
        return true;
    }
    case DialogKind::PrintText: {
        CPrintTextDialog dialog(parent);
        return RunTextEntry(dialog, request, TextField::kFormatted, &CPrintTextDialog::m_formatted);
    }
    case DialogKind::TextButton: {
        CTextButtonDialog dialog(parent);
        return RunTextEntry(dialog, request, TextField::kButtonDown, &CTextButtonDialog::m_buttonDown);
    }
    case DialogKind::DisplayCharacter: {
        CDisplayCharacter dialog(parent);
        dialog.m_x = request.value(TextField::kX);
        dialog.m_y = request.value(TextField::kY);
        dialog.m_charNumber = request.value(TextField::kNumber);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(TextField::kX, dialog.m_x);
        request.setValue(TextField::kY, dialog.m_y);
        request.setValue(TextField::kNumber, dialog.m_charNumber);
        return true;
    }
    case DialogKind::UserCharacter: {
        // The editor always starts blank; its packet comes back byte by byte.
        COledCharEdit editor(parent);
        if (editor.exec() != QDialog::Accepted || editor.m_userCharPacket.size() != kUserCharPacketSize)
            return false;
        const QByteArray& packet = editor.m_userCharPacket;
        request.setValue(TextField::kNumber, QString::number(quint8(packet.at(1))));
        for (int y = 0; y < kUserCharSize; ++y)
            request.setValue(TextField::Row(y), QString::number(quint8(packet.at(2 + y))));
        return true;
    }
    case DialogKind::FontChoice:
    case DialogKind::TextModeChoice:
        return true;
    default:
        return false;
    }
}

} // namespace tavrel
