// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Link.h"

namespace tavrel {

QString OpenFailureText(OpenFailure failure)
{
    switch (failure) {
    case OpenFailure::None: return QString();
    case OpenFailure::Create: return QStringLiteral("Error Creating Com Port Interface.");
    case OpenFailure::Setup: return QStringLiteral("Error Setting up Com Port");
    case OpenFailure::GetState: return QStringLiteral("Error Getting Port State.");
    case OpenFailure::SetState: return QStringLiteral("Error Setting Port State.");
    case OpenFailure::SetTimeouts: return QStringLiteral("Error Setting Port Timeouts");
    }
    return QString();
}

} // namespace tavrel
