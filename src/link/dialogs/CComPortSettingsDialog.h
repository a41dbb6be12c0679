// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>
#include <QStringList>

class QComboBox;

namespace tavrel {

// The index of the first item that begins with prefix (ignoring case),
// searching from the item after startAfter to the end and then from the top
// round to startAfter itself; -1 when none does. With startAfter -1 the whole
// list is searched from the top.
int FindItemByPrefix(const QStringList& items, const QString& prefix, int startAfter);

// Selects the first item of the list that begins with prefix, searching as a
// drop-down list does: from the second item on, wrapping round to the first.
// Leaves the selection as it is when no item matches.
void SelectItemByPrefix(QComboBox* list, const QString& prefix);

// "Com Port Settings": the port and baud rate used at the next Open Port.
class CComPortSettingsDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CComPortSettingsDialog(QWidget* parent = nullptr);

    QComboBox* m_portCombo = nullptr;
    QComboBox* m_baudCombo = nullptr;
    // In: the current settings; out (after OK): the chosen ones.
    QString m_baudRate;
    QString m_portName;
    // The selected items when OK was pressed.
    QString m_portSelection;
    QString m_baudSelection;

protected:
    void push() override;
    bool commit() override;
};

} // namespace tavrel
