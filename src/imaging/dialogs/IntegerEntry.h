// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;
class QWidget;

namespace tavrel {

// Takes an integer entry back from its edit as the picture dialogs validate
// it: text that is no integer gives "Please enter an integer.", a number
// outside low..high "Please enter an integer between low and high.". On
// failure the message is shown, the edit gets the focus with its text
// selected, `value` is left as it was and false is returned.
bool CommitIntegerEntry(QWidget* dialog, QLineEdit* edit, int low, int high, int& value);
// The same check without a word to the user, for following an entry as it
// is typed: true and `value` set when the text is an integer in low..high.
bool ReadIntegerEntry(const QLineEdit* edit, int low, int high, int& value);

} // namespace tavrel
