// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs quennel-emu --headless (plus extra arguments) for the life of the
// object. The constructor waits, bounded, for the pseudo-terminal path that
// the emulator prints first; the destructor terminates it (and kills it if it
// does not stop in time).
class EmulatorProcess {
public:
    static constexpr int kStartTimeoutMs = 10000;

    explicit EmulatorProcess(const QStringList& extraArguments = {}, int startTimeoutMs = kStartTimeoutMs);
    ~EmulatorProcess();

    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool isReady() const { return !m_ptyPath.isEmpty(); }
    QString ptyPath() const { return m_ptyPath; }
    QString errorString() const { return m_error; }
    QProcess& process() { return m_process; }

    // Sends SIGTERM and waits (bounded); true when the emulator ended by
    // itself with exit status 0.
    bool terminateCleanly(int timeoutMs = 5000);

private:
    QProcess m_process;
    QString m_ptyPath;
    QString m_error;
};

// A pseudo-terminal opened in-process whose master side never answers: a
// module that is switched off. Both ends stay open for the object's life, so
// a client may open and close slavePath() freely.
class SilentPty {
public:
    SilentPty();
    ~SilentPty();

    SilentPty(const SilentPty&) = delete;
    SilentPty& operator=(const SilentPty&) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Whatever clients have written so far (non-blocking; empty if nothing).
    QByteArray drainMaster();
    // Sends bytes to whoever has the slave open, as a module would.
    bool writeToMaster(const QByteArray& bytes);
    // The pty's own handle on the slave, for looking at its line settings.
    int slaveFd() const { return m_slave; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
