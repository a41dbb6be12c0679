// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tavrel {

// When the serial device `portName` cannot be opened because this user lacks
// read or write access to it, one sentence on how to get that access, naming
// the group that owns the device; empty when access is not the problem (or
// the platform grants access some other way).
QString SerialAccessAdvice(const QString& portName);

// The sentence for `device` owned by `group`. `groupMayReadWrite` says
// whether the device lets its group read and write it, so that joining the
// group is enough.
QString SerialAccessAdviceText(const QString& device, const QString& group, bool groupMayReadWrite);

} // namespace tavrel
