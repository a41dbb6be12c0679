// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace quennel {

class Emulator;

// Serves the emulator on a pseudo-terminal. Clients open slavePath() like a
// serial port, talk, close, and the next one may come; the emulator's state
// carries over from one client to the next.
//
// The server keeps a descriptor of the slave open itself, so a client that
// closes never hangs up the master. Should the master still report EIO or
// end-of-file (no slave open), it is taken as "no client" and reading pauses
// for a short moment instead of spinning.
class PtyServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kNoClientBackOffMs = 20;
    static constexpr int kWriteTimeoutMs = 1000;

    explicit PtyServer(Emulator& emulator, QObject* parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal (slave in raw mode) and starts serving.
    bool open(QString* errorText = nullptr);
    QString slavePath() const { return m_slavePath; }

signals:
    // Bytes a client wrote, as they arrive, before the emulator takes them.
    void received(const QByteArray& bytes);

private:
    void readAvailable();
    void pauseReading();
    void writeReply(const QByteArray& reply);
    void closeDescriptors();

    Emulator& m_emulator;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_resume = nullptr;
    // A reply was dropped because the client did not read within
    // kWriteTimeoutMs, and nothing has been written since.
    bool m_clientStalled = false;
};

} // namespace quennel
