// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/DisplayDialogRunner.h"

#include "commands/dialogs/CDimAreaDialog.h"
#include "commands/dialogs/COledControlDialog.h"
#include "commands/dialogs/CRotateDisplayDialog.h"
#include "commands/dialogs/CScrollDialog.h"
#include "commands/dialogs/CWriteCommandDialog.h"
#include "commands/dialogs/RepeatDeviceInfoQuestion.h"
#include "link/ParseDecimal.h"

namespace tavrel {

namespace {

QString Flag(int value)
{
    return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

bool RunRepeatQuestion(QWidget* parent, DialogRequest& r)
{
    const RepeatAnswer answer = AskRepeatDeviceInfo(parent);
    if (answer == RepeatAnswer::Cancel)
        return false;
    r.setValue(QStringLiteral("repeat"), Flag(answer == RepeatAnswer::Yes));
    return true;
}

bool RunOledControl(QWidget* parent, DialogRequest& r)
{
    COledControlDialog dialog(parent);
    dialog.m_function = ParseDecimal(r.value(QStringLiteral("function")));
    dialog.m_displayOff = ParseDecimal(r.value(QStringLiteral("display-off")));
    dialog.m_contrast = ParseDecimal(r.value(QStringLiteral("contrast")));
    dialog.m_powerOff = ParseDecimal(r.value(QStringLiteral("power-off")));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("function"), QString::number(dialog.m_function));
    r.setValue(QStringLiteral("display-off"), Flag(dialog.m_displayOff));
    r.setValue(QStringLiteral("contrast"), QString::number(dialog.m_contrast));
    r.setValue(QStringLiteral("power-off"), Flag(dialog.m_powerOff));
    return true;
}

bool RunRotateDisplay(QWidget* parent, DialogRequest& r)
{
    CRotateDisplayDialog dialog(parent);
    dialog.m_orientation = ParseDecimal(r.value(QStringLiteral("orientation")));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("orientation"), QString::number(dialog.m_orientation));
    return true;
}

bool RunDimArea(QWidget* parent, DialogRequest& r)
{
    CDimAreaDialog dialog(parent);
    dialog.m_x = r.value(QStringLiteral("x"));
    dialog.m_y = r.value(QStringLiteral("y"));
    dialog.m_width = r.value(QStringLiteral("width"));
    dialog.m_height = r.value(QStringLiteral("height"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("x"), dialog.m_x);
    r.setValue(QStringLiteral("y"), dialog.m_y);
    r.setValue(QStringLiteral("width"), dialog.m_width);
    r.setValue(QStringLiteral("height"), dialog.m_height);
    return true;
}

bool RunScroll(QWidget* parent, DialogRequest& r)
{
    CScrollDialog dialog(parent);
    dialog.m_function = ParseDecimal(r.value(QStringLiteral("function")));
    dialog.m_enable = ParseDecimal(r.value(QStringLiteral("enable")));
    dialog.m_speed = r.value(QStringLiteral("speed"));
    dialog.m_horizontalStep = r.value(QStringLiteral("horizontal-step"));
    dialog.m_startRow = r.value(QStringLiteral("start-row"));
    dialog.m_rowCount = r.value(QStringLiteral("row-count"));
    dialog.m_verticalStep = r.value(QStringLiteral("vertical-step"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("function"), QString::number(dialog.m_function));
    r.setValue(QStringLiteral("enable"), Flag(dialog.m_enable));
    r.setValue(QStringLiteral("speed"), dialog.m_speed);
    r.setValue(QStringLiteral("horizontal-step"), dialog.m_horizontalStep);
    r.setValue(QStringLiteral("start-row"), dialog.m_startRow);
    r.setValue(QStringLiteral("row-count"), dialog.m_rowCount);
    r.setValue(QStringLiteral("vertical-step"), dialog.m_verticalStep);
    return true;
}

bool RunWriteCommand(QWidget* parent, DialogRequest& r)
{
    CWriteCommandDialog dialog(parent);
    dialog.m_command = r.value(QStringLiteral("command"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    r.setValue(QStringLiteral("command"), dialog.m_command);
    return true;
}

} // namespace

bool RunDisplayDialog(QWidget* parent, DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::RepeatDeviceInfo: return RunRepeatQuestion(parent, request);
    case DialogKind::OledControl: return RunOledControl(parent, request);
    case DialogKind::RotateDisplay: return RunRotateDisplay(parent, request);
    case DialogKind::DimArea: return RunDimArea(parent, request);
    case DialogKind::Scroll: return RunScroll(parent, request);
    case DialogKind::WriteCommand: return RunWriteCommand(parent, request);
    default: return false;
    }
}

} // namespace tavrel
