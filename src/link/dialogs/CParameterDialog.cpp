// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/dialogs/CParameterDialog.h"

#include "widgets/DialogUnits.h"
#include "widgets/FittingScrollArea.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace tavrel {

CParameterDialog::CParameterDialog(const QString& title, QSize templateSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_templateSize(templateSize)
{
    setWindowTitle(title);

    // The fields scroll where the screen is too small for them; the row
    // of OK stays in view below them.
    auto* outer = new QVBoxLayout(this);
    auto* fields = new FittingScrollArea(this);
    fields->setObjectName(QStringLiteral("fieldsArea"));
    auto* host = new QWidget(fields);
    host->setObjectName(QStringLiteral("fields"));
    m_fields = host;
    m_fieldsArea = fields;
    auto* hostLayout = new QVBoxLayout(host);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    m_form = new QGridLayout;
    m_form->setColumnStretch(1, 1);
    hostLayout->addLayout(m_form);
    hostLayout->addStretch(1);
    fields->setWidget(host);
    outer->addWidget(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_okButton = new QPushButton(tr("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setProperty("controlId", 1);
    m_okButton->setDefault(true);
    buttons->addWidget(m_okButton);
    outer->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &CParameterDialog::accept);
}

QLineEdit* CParameterDialog::addLineEdit(const QString& label, const QString& objectName, int controlId)
{
    const int row = m_form->rowCount();
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setProperty("controlId", controlId);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    m_form->addWidget(caption, row, 0);
    m_form->addWidget(edit, row, 1);
    return edit;
}

void CParameterDialog::showEvent(QShowEvent* event)
{
    if (!m_pushed) {
        m_pushed = true;
        push();
        arrangeFocus();
        // The fields are all there now: what they want decides the size.
        m_fields->layout()->activate();
        m_fieldsArea->updateGeometry();
        layout()->activate();
        const DialogUnits units(font());
        const QSize wanted = sizeHint().expandedTo(units.size(m_templateSize.width(), m_templateSize.height()));
        setFixedSize(SizeFittingScreen(this, wanted));
        // The fields' own layout is apart from the dialog's: placed now, so
        // that they stand where they belong from the first paint on.
        layout()->activate();
        m_fields->layout()->activate();
    }
    QDialog::showEvent(event);
}

void CParameterDialog::arrangeFocus()
{
    // Tab order follows the form row by row and ends on OK; the first field
    // starts with the focus.
    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    QSet<QWidget*> ordered;
    for (int row = 0; row < m_form->rowCount(); ++row) {
        for (int column = 0; column < m_form->columnCount(); ++column) {
            QLayoutItem* item = m_form->itemAtPosition(row, column);
            QWidget* widget = item ? item->widget() : nullptr;
            if (!widget || widget->focusPolicy() == Qt::NoFocus || ordered.contains(widget))
                continue;
            ordered.insert(widget);
            if (previous)
                setTabOrder(previous, widget);
            else
                first = widget;
            previous = widget;
        }
    }
    if (previous)
        setTabOrder(previous, m_okButton);
    if (first)
        first->setFocus(Qt::OtherFocusReason);
}

void CParameterDialog::accept()
{
    if (!commit())
        return;
    QDialog::accept();
}

} // namespace tavrel
