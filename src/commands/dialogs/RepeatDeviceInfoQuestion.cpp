#include "commands/dialogs/RepeatDeviceInfoQuestion.h"

#include "commands/ChoiceFields.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace tavrel {

RepeatAnswer AskRepeatDeviceInfo(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, ApplicationCaption(), QObject::tr("Repeat Device Info on Display?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("repeatDeviceInfoQuestion"));
    box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("yesButton"));
    box.button(QMessageBox::No)->setObjectName(QStringLiteral("noButton"));
    box.button(QMessageBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return RepeatAnswer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return RepeatAnswer::No;
    return RepeatAnswer::Cancel;
}

} // namespace tavrel
