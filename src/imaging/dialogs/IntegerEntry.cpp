// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/IntegerEntry.h"

#include "widgets/UiSeam.h"
#include "imaging/ImageFiles.h"

#include <QLineEdit>

namespace tavrel {

bool CommitIntegerEntry(QWidget* dialog, QLineEdit* edit, int low, int high, int& value)
{
    bool ok = false;
    const int parsed = edit->text().trimmed().toInt(&ok);
    QString problem;
    if (!ok)
        problem = QStringLiteral("Please enter an integer.");
    else if (parsed < low || parsed > high)
        problem = QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
    if (problem.isEmpty()) {
        value = parsed;
        return true;
    }
    UiSeam::showMessage(dialog, problem, PictureMessageCaption());
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

bool ReadIntegerEntry(const QLineEdit* edit, int low, int high, int& value)
{
    bool ok = false;
    const int parsed = edit->text().trimmed().toInt(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace tavrel
