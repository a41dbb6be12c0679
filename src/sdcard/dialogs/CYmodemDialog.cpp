// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CYmodemDialog.h"

#include <QGridLayout>
#include <QLabel>

namespace tavrel {

CYmodemDialog::CYmodemDialog(QWidget* parent)
    : CParameterDialog(tr("Start YModem Session"), QSize(260, 120), parent)
{
    const QString texts[] = {
        tr("Press OK to start a Ymodem file transfer session with a terminal program (such as Hyperterminal).  "),
        tr("Note:  You must close the serial port before using a terminal application."),
        tr("Warning:  Closing the serial port may cause the Quennel-Oled device to reset if using a DTR enabled "
           "connection (such as Tethra).  Therefore, you may wish to physically disconnect the serial line before "
           "closing the port."),
    };
    int row = 0;
    for (const QString& text : texts) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("textLabel%1").arg(row + 1));
        label->setWordWrap(true);
        form()->addWidget(label, row++, 0, 1, -1);
    }
}

} // namespace tavrel
