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

// An output channel of a child process that the test holds: a named pipe
// of one page that the child writes to (QProcess::setStandardOutputFile or
// setStandardErrorFile with path()) and that only the test reads, when it
// chooses. A child that has filled the page waits in its next write until
// the test reads: a point that the child cannot pass before the test lets
// it, however loaded the machine. POSIX only; isValid() is false elsewhere.
class HeldPipe {
public:
    // Makes the pipe at the path; `full` fills its page at once, so that
    // the child's first write already waits.
    HeldPipe(const QString& path, bool full);
    ~HeldPipe();

    HeldPipe(const HeldPipe&) = delete;
    HeldPipe& operator=(const HeldPipe&) = delete;

    bool isValid() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    // What the child has written so far, without waiting; the filling is
    // read away first.
    QByteArray take();
    // Everything up to the child's end of the pipe (all writers gone), read
    // as it comes; waits at most timeoutMs.
    QByteArray takeToEnd(int timeoutMs);

private:
    QString m_path;
    int m_fd = -1;
    qsizetype m_filling = 0;
};

