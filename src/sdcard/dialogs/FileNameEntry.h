// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tavrel {

// The parts the two file-name dialogs share.

// The heading static (control 1043) on the next row of the form; its text is
// replaced by the caller's heading when the dialog opens.
QLabel* AddHeading(QWidget* dialog, QGridLayout* form);

// "Enter Filename (in DOS, 8.3 format):" over the file-name edit (control
// 1018), limited to twelve characters.
QLineEdit* AddFileNameEntry(QWidget* dialog, QGridLayout* form);

// Refuses a name longer than twelve characters with the framework's message
// and puts the focus back into the edit.
bool CommitFileName(QWidget* dialog, QLineEdit* edit);

} // namespace tavrel
