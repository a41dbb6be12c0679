// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/EmulatorProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tavrel::testing {

// quennel-emu with a card folder of its own, keeping a PNG of its display
// (--frame-file) and a log of every byte it received (--received-file), so
// that two runs can be compared by what they left and what they sent.
struct LoggingEmulator {
    QTemporaryDir root;
    QString card = root.filePath(QStringLiteral("card"));
    QString frame = root.filePath(QStringLiteral("frame.png"));
    QString received = root.filePath(QStringLiteral("received.bin"));
    std::unique_ptr<EmulatorProcess> emulator;

    LoggingEmulator()
    {
        QDir().mkpath(card);
        emulator = std::make_unique<EmulatorProcess>(QStringList{QStringLiteral("--card"), card,
                                                                 QStringLiteral("--frame-file"), frame,
                                                                 QStringLiteral("--received-file"), received});
    }
    bool isReady() const { return emulator->isReady(); }
    QString ptyPath() const { return emulator->ptyPath(); }
    QStringList port() const { return {QStringLiteral("--port"), emulator->ptyPath()}; }
    QImage frameImage() const { return QImage(frame); }
    QByteArray receivedBytes() const
    {
        QFile file(received);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace tavrel::testing
