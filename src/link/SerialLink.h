// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DeviceIdentity.h"
#include "link/Link.h"

#ifndef Q_OS_WIN
#include <QSerialPort>
#endif

#include <memory>

namespace tavrel {

// A Link over a serial port with the module's fixed line settings: 8 data
// bits, no parity, one stop bit at the chosen baud rate, everything else as
// the driver had it. Opening is exclusive; the settings found at open are put
// back at close.
//
// On Windows the port is driven with the system's own communications calls,
// synchronously, with the time-outs handed to the driver (SerialLinkWindows.cpp);
// elsewhere QSerialPort carries it and the time-outs are kept here.
class SerialLink final : public Link {
public:
    static OpenResult open(const QString& portName, qint32 baudRate, const LinkTimeouts& timeouts = {});
    ~SerialLink() override;

    qint64 write(const QByteArray& bytes) override;
#ifndef Q_OS_WIN
    // (On Windows every write is handed to the driver at once and waits only
    // as long as the driver takes to accept it: the Link's own write-through
    // is what it needs.)
    qint64 writeUnwaited(const QByteArray& bytes) override;
    qint64 drainOutput() override;
#endif
    QByteArray read(int count) override;
    void purgeInput() override;
    void close() override;
    bool isLost() const override { return m_dead; }
    QString lossReason() const override { return m_lossReason; }

private:
    explicit SerialLink(const LinkTimeouts& timeouts);
    // True while the port can still carry data; a vanished device or a
    // hang-up turns the link dead until it is reopened.
    bool usable();
    // The link is gone for good; the first reason given is kept.
    void markLost(const QString& reason);
    // After a time-out or a write the line would not take: the device is
    // gone after all when its node was removed or now names another device.
    void checkDeviceNode();
#ifdef Q_OS_WIN
    // The port's handle and the line settings found at open.
    struct Port;
    std::unique_ptr<Port> m_port;
#else
    // After a failed wait: a time-out is normal, any other error of the port
    // means the device is gone. Returns true for a loss.
    bool noteWaitFailure();
    // Waits until what QSerialPort holds has reached the driver or budgetMs
    // is spent; what is still waiting then is dropped, so that it cannot
    // trail into the next command. Returns how many bytes were dropped.
    qint64 sendPendingWithin(qint64 budgetMs);

    QSerialPort m_port;
#endif
    LinkTimeouts m_timeouts;
    QString m_path;
    DeviceNode m_node;
    bool m_dead = false;
    QString m_lossReason;
};

} // namespace tavrel
