// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace tavrel {

enum class RepeatAnswer { Yes, No, Cancel };

// The application's question "Repeat Device Info on Display?" with Yes, No
// and Cancel; Escape and the close box answer Cancel.
RepeatAnswer AskRepeatDeviceInfo(QWidget* parent);

} // namespace tavrel
