// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QSize>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace tavrel {

// The common shape of the small dialogs a command asks its parameters in:
// a form of labelled fields above a row with the default "OK" button.
// Escape and the close box cancel; there is no visible Cancel button.
//
// A dialog keeps its entries in plain members. The caller sets them before
// exec(); push() shows them when the dialog first appears, and commit()
// takes them back from the controls when OK is pressed.
class CParameterDialog : public QDialog {
    Q_OBJECT
public:
    QPushButton* okButton() const { return m_okButton; }

public slots:
    void accept() override;

protected:
    // templateSize: the dialog's size in dialog units; the dialog is never
    // smaller than that.
    CParameterDialog(const QString& title, QSize templateSize, QWidget* parent);

    // Members to controls.
    virtual void push() = 0;
    // Controls to members. Returning false keeps the dialog open; the dialog
    // has then told the user what is wrong.
    virtual bool commit() = 0;

    QGridLayout* form() const { return m_form; }
    // A label and a single-line edit on the next row of the form.
    QLineEdit* addLineEdit(const QString& label, const QString& objectName, int controlId);

    void showEvent(QShowEvent* event) override;

private:
    void arrangeFocus();

    QSize m_templateSize;
    QGridLayout* m_form = nullptr;
    QWidget* m_fieldsArea = nullptr;
    QWidget* m_fields = nullptr;
    QPushButton* m_okButton = nullptr;
    bool m_pushed = false;
};

} // namespace tavrel
