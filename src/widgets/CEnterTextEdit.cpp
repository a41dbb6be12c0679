// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CEnterTextEdit.h"

#include <QKeyEvent>

namespace tavrel {

CEnterTextEdit::CEnterTextEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
}

void CEnterTextEdit::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ControlModifier)) {
        insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    if (enter) {
        // Left to the dialog, which presses its default button.
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace tavrel
