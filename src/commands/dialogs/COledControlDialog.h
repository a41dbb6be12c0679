// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tavrel {

// "Oled Control Functions": display on/off, contrast or power on/off. OK
// insists on a whole contrast from 0 to 15, whichever function is chosen,
// and otherwise keeps the dialog open with the contrast field focused.
class COledControlDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit COledControlDialog(QWidget* parent = nullptr);

    int m_displayOff = 0;                    // "Turn Display Off (uncheck to turn on)"
    int m_contrast = 0;                      // "Enter value from 0 to 15"
    int m_powerOff = 0;                      // "Power Off (uncheck to power on)"
    QRadioButton* m_firstFunction = nullptr; // "Display On/Off", first of the group
    int m_function = 0;                      // index of the chosen radio button

protected:
    void push() override;
    bool commit() override;

private:
    QButtonGroup* m_functions = nullptr;
    QCheckBox* m_displayOffBox = nullptr;
    QLineEdit* m_contrastEdit = nullptr;
    QCheckBox* m_powerOffBox = nullptr;
};

} // namespace tavrel
