// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CardDialogRunner.h"

#include "sdcard/SdPackets.h"
#include "sdcard/dialogs/CFileDirectoryDialog.h"
#include "sdcard/dialogs/CGetFilename1.h"
#include "sdcard/dialogs/CGetFilenameDialog.h"
#include "sdcard/dialogs/CReadSdDialog.h"
#include "sdcard/dialogs/CWriteSdDialog.h"
#include "sdcard/dialogs/CYmodemDialog.h"

namespace tavrel {

bool RunCardDialog(QWidget* parent, DialogRequest& request)
{
    switch (request.kind) {
    case DialogKind::SdFilename: {
        CGetFilename1 dialog(parent);
        dialog.m_prompt = request.value(QStringLiteral("prompt"));
        dialog.m_filename = request.value(QStringLiteral("name"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("name"), dialog.m_filename);
        return true;
    }
    case DialogKind::SdFilenameAndOrigin: {
        CGetFilenameDialog dialog(parent);
        dialog.m_heading = request.value(QStringLiteral("heading"));
        dialog.m_filename = request.value(QStringLiteral("name"));
        dialog.m_x = request.value(QStringLiteral("x"));
        dialog.m_y = request.value(QStringLiteral("y"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("name"), dialog.m_filename);
        request.setValue(QStringLiteral("x"), dialog.m_x);
        request.setValue(QStringLiteral("y"), dialog.m_y);
        return true;
    }
    case DialogKind::SdWriteText: {
        CWriteSdDialog dialog(parent);
        dialog.m_text = request.value(QStringLiteral("text"));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("text"), dialog.m_text);
        return true;
    }
    case DialogKind::SdReadCount: {
        CReadSdDialog dialog(parent);
        qint32 count = 0;
        dialog.m_count = ParseLeadingInteger(request.value(QStringLiteral("count")), count) ? count : 0;
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.setValue(QStringLiteral("count"), QString::number(dialog.m_count));
        return true;
    }
    case DialogKind::SdYModem: {
        CYmodemDialog dialog(parent);
        return dialog.exec() == QDialog::Accepted;
    }
    default:
        return false;
    }
}

void ShowCardText(QWidget* parent, const QString& title, const QString& text)
{
    CFileDirectoryDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.m_text = text;
    dialog.exec();
}

} // namespace tavrel
