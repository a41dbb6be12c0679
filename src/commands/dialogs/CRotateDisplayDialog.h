// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

class QButtonGroup;

namespace tavrel {

// "Rotate Display": normal or upside-down. The portrait button exists but is
// never shown, so only orientations 0 and 1 can be chosen.
class CRotateDisplayDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CRotateDisplayDialog(QWidget* parent = nullptr);

    int m_orientation = 0;  // index of the chosen radio button

protected:
    void push() override;
    bool commit() override;

private:
    QButtonGroup* m_orientations = nullptr;
};

} // namespace tavrel
