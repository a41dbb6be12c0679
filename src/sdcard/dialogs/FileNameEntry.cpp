// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/FileNameEntry.h"

#include "widgets/UiSeam.h"
#include "sdcard/SdPackets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

QLabel* AddHeading(QWidget* dialog, QGridLayout* form)
{
    auto* heading = new QLabel(dialog);
    heading->setObjectName(QStringLiteral("headingLabel"));
    heading->setProperty("controlId", 1043);
    heading->setWordWrap(true);
    form->addWidget(heading, form->rowCount(), 0, 1, -1);
    return heading;
}

QLineEdit* AddFileNameEntry(QWidget* dialog, QGridLayout* form)
{
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QStringLiteral("filenameEdit"));
    edit->setProperty("controlId", 1018);
    edit->setMaxLength(kMaxFileNameLength);
    auto* label = new QLabel(QObject::tr("Enter Filename (in DOS, 8.3 format):"), dialog);
    label->setObjectName(QStringLiteral("filenameLabel"));
    label->setBuddy(edit);
    const int row = form->rowCount();
    form->addWidget(label, row, 0, 1, -1);
    form->addWidget(edit, row + 1, 0, 1, -1);
    return edit;
}

bool CommitFileName(QWidget* dialog, QLineEdit* edit)
{
    if (edit->text().size() <= kMaxFileNameLength)
        return true;
    UiSeam::showMessage(dialog, TooManyCharactersText(kMaxFileNameLength), AppTitle());
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

} // namespace tavrel
