// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/dialogs/CComPortSettingsDialog.h"

#include "link/PortNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace tavrel {

int FindItemByPrefix(const QStringList& items, const QString& prefix, int startAfter)
{
    const int count = int(items.size());
    if (count == 0)
        return -1;
    if (startAfter < -1 || startAfter >= count)
        startAfter = -1;
    for (int step = 1; step <= count; ++step) {
        const int index = (startAfter + step) % count;
        if (items[index].startsWith(prefix, Qt::CaseInsensitive))
            return index;
    }
    return -1;
}

void SelectItemByPrefix(QComboBox* list, const QString& prefix)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    const int index = FindItemByPrefix(items, prefix, 0);
    if (index >= 0)
        list->setCurrentIndex(index);
}

namespace {

QComboBox* MakeList(QWidget* parent, const QString& objectName, int controlId)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(objectName);
    list->setProperty("controlId", controlId);
    list->setEditable(false);
    list->setMaxVisibleItems(12);
    return list;
}

} // namespace

CComPortSettingsDialog::CComPortSettingsDialog(QWidget* parent)
    : CParameterDialog(tr("Com Port Settings"), QSize(190, 108), parent)
{
    m_portCombo = MakeList(this, QStringLiteral("portCombo"), 1002);
    m_baudCombo = MakeList(this, QStringLiteral("baudCombo"), 1001);

    auto* portLabel = new QLabel(tr("Com Port Select:"), this);
    portLabel->setBuddy(m_portCombo);
    auto* baudLabel = new QLabel(tr("Select Baud Rate:"), this);
    baudLabel->setBuddy(m_baudCombo);

    form()->addWidget(portLabel, 0, 0, 1, 2);
    form()->addWidget(m_portCombo, 1, 0, 1, 2);
    form()->addWidget(baudLabel, 2, 0, 1, 2);
    form()->addWidget(m_baudCombo, 3, 0, 1, 2);
}

void CComPortSettingsDialog::push()
{
    // The port list is read now rather than at start-up, so that adapters
    // plugged in since show up. The current port stays choosable even when
    // the system no longer reports it.
    m_portCombo->clear();
    int current = -1;
    for (const PortEntry& port : AvailablePorts()) {
        if (current < 0 && SamePortName(port.name, m_portName))
            current = m_portCombo->count();
        m_portCombo->addItem(port.displayText(), port.name);
    }
    if (current < 0 && !m_portName.isEmpty()) {
        current = m_portCombo->count();
        m_portCombo->addItem(m_portName, m_portName);
    }

    m_baudCombo->clear();
    for (const QString& baud : BaudRateChoices())
        m_baudCombo->addItem(baud, baud);

    SelectItemByPrefix(m_baudCombo, m_baudRate);
    // The current port by its name: a prefix search would take COM10 for
    // COM1, or /dev/ttyS10 for /dev/ttyS1.
    if (current >= 0)
        m_portCombo->setCurrentIndex(current);
}

bool CComPortSettingsDialog::commit()
{
    m_portSelection = m_portCombo->currentData().toString();
    m_baudSelection = m_baudCombo->currentData().toString();
    m_baudRate = m_baudSelection;
    m_portName = m_portSelection;
    return true;
}

} // namespace tavrel
