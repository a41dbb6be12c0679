// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Link.h"

#include <QPointer>

namespace quennel {
class Emulator;
}

namespace tavrel {

// A Link to the in-process emulator. The emulator answers synchronously, so a
// read returns at once with whatever the emulator has replied so far.
class EmulatorLink final : public Link {
public:
    explicit EmulatorLink(quennel::Emulator& emulator);

    qint64 write(const QByteArray& bytes) override;
    QByteArray read(int count) override;
    void purgeInput() override;
    void close() override;

private:
    QPointer<quennel::Emulator> m_emulator;
    QByteArray m_received;
};

} // namespace tavrel
