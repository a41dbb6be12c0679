// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/PictureDialogRunner.h"

#include "commands/script/ScriptRecorder.h"
#include "imaging/dialogs/CDisplayImageDialog.h"
#include "imaging/dialogs/CSlideShowDialog.h"

namespace tavrel {

bool RunPictureDialog(QWidget* parent, DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::DisplayImage: {
        CDisplayImageDialog dialog(parent);
        dialog.m_x = request.value(QStringLiteral("x"));
        dialog.m_y = request.value(QStringLiteral("y"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("x"), dialog.m_x);
        request.setValue(QStringLiteral("y"), dialog.m_y);
        request.setValue(QStringLiteral("depth"), QString::number(dialog.m_bitDepth));
        request.setValue(QStringLiteral("dither"), dialog.m_dither ? QStringLiteral("1") : QStringLiteral("0"));
        request.picture = dialog.convertedPicture();
        // Where the picture came from, so that the command can be written
        // as a line of a script.
        const ResizeRule rule = dialog.convertedRule();
        const QString resize = rule.mode == ResizeMode::Maximize ? QStringLiteral("maximize")
            : rule.mode == ResizeMode::ResizeTo ? QStringLiteral("%1x%2").arg(rule.width).arg(rule.height)
                                                : QStringLiteral("no-resize");
        request.fields.push_back({kPictureFileField, dialog.convertedFile(), false});
        request.fields.push_back({kPictureResizeField, resize, false});
        return true;
    }
    case DialogKind::Slideshow: {
        CSlideShowDialog dialog(parent);
        dialog.m_fileName = request.value(QStringLiteral("name"));
        dialog.m_x = request.value(QStringLiteral("x"));
        dialog.m_y = request.value(QStringLiteral("y"));
        dialog.m_delay = request.value(QStringLiteral("delay"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("name"), dialog.m_fileName);
        request.setValue(QStringLiteral("x"), dialog.m_x);
        request.setValue(QStringLiteral("y"), dialog.m_y);
        request.setValue(QStringLiteral("delay"), dialog.m_delay);
        return true;
    }
    default:
        return false;
    }
}

} // namespace tavrel
