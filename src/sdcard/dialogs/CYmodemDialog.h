// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

namespace tavrel {

// "Start YModem Session": explains the hand-over to a terminal program; OK
// goes ahead, Escape or the close box cancel.
class CYmodemDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CYmodemDialog(QWidget* parent = nullptr);

protected:
    void push() override {}
    bool commit() override { return true; }
};

} // namespace tavrel
