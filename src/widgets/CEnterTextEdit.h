// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

namespace tavrel {

// A text box of several lines inside a dialog that behaves as a dialog's
// multi-line edit does: Enter presses the dialog's default button, as in a
// one-line field, and Ctrl+Enter starts a new line; Tab moves on to the next
// control. Lines do not wrap; the box scrolls sideways instead.
class CEnterTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CEnterTextEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tavrel
