// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/RepeatDeviceInfoQuestion.h"

#include "widgets/UiSeam.h"
#include "commands/ChoiceFields.h"

#include <QObject>

namespace tavrel {

RepeatAnswer AskRepeatDeviceInfo(QWidget* parent)
{
    switch (UiSeam::askYesNoCancel(parent, QObject::tr("Repeat Device Info on Display?"), ApplicationCaption())) {
    case UiSeam::Answer::Yes: return RepeatAnswer::Yes;
    case UiSeam::Answer::No: return RepeatAnswer::No;
    case UiSeam::Answer::Cancel: break;
    }
    return RepeatAnswer::Cancel;
}

} // namespace tavrel
