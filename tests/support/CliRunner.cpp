// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>
#if defined(Q_OS_MACOS)
#include <util.h>
#else
#include <pty.h>
#endif
#endif

namespace tavrel::testing {

QString BuiltProgram(const QString& name)
{
#ifdef Q_OS_WIN
    const QString file = name + QStringLiteral(".exe");
#else
    const QString& file = name;
#endif
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../src/") + file);
}

CliRun RunCli(const QStringList& arguments, const QString& workingDirectory)
{
    CliRun run;
    QProcess cli;
    if (!workingDirectory.isEmpty())
        cli.setWorkingDirectory(workingDirectory);
    QElapsedTimer clock;
    clock.start();
    cli.start(CliProgram(), arguments);
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.outBytes = cli.readAllStandardOutput();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

#ifdef Q_OS_UNIX

namespace {

void SetNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

CliRun RunCliWith(const QStringList& arguments, const CliRunOptions& options)
{
    CliRun run;
    const QByteArray program = (options.program.isEmpty() ? CliProgram() : options.program).toLocal8Bit();
    std::vector<QByteArray> argStorage{program};
    for (const QString& a : arguments)
        argStorage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : argStorage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray directory = options.workingDirectory.toLocal8Bit();

    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(err) != 0)
        return run;
    if (options.outputOnTerminal) {
        // out[0] is the master the test reads, out[1] the child's terminal.
        if (::openpty(&out[0], &out[1], nullptr, nullptr, nullptr) != 0)
            return run;
        termios tio {};
        ::tcgetattr(out[1], &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(out[1], TCSANOW, &tio);
    } else if (::pipe(out) != 0) {
        return run;
    }
    // A child that stops reading its input early must not take this
    // process with it: the write then fails instead.
    ::signal(SIGPIPE, SIG_IGN);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        // Child: only async-signal-safe calls until exec.
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            ::close(fd);
        if (!directory.isEmpty() && ::chdir(directory.constData()) != 0)
            ::_exit(127);
        if (options.fileSizeLimit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max = rlim_t(options.fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    SetNonBlocking(in[1]);
    SetNonBlocking(out[0]);
    SetNonBlocking(err[0]);

    QByteArray pendingInput = options.input;
    int inFd = in[1];
    if (pendingInput.isEmpty()) {
        ::close(inFd);
        inFd = -1;
    }
    QByteArray errBytes;
    int outFd = out[0];
    int errFd = err[0];
    while (outFd >= 0 || errFd >= 0) {
        const qint64 left = options.timeoutMs - clock.elapsed();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            run.killed = true;
            break;
        }
        pollfd fds[3];
        int n = 0;
        if (outFd >= 0)
            fds[n++] = {outFd, POLLIN, 0};
        if (errFd >= 0)
            fds[n++] = {errFd, POLLIN, 0};
        if (inFd >= 0)
            fds[n++] = {inFd, POLLOUT, 0};
        if (::poll(fds, nfds_t(n), int(qMin<qint64>(left, 200))) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents)
                continue;
            if (fds[i].fd == inFd) {
                const ssize_t w = ::write(inFd, pendingInput.constData(), size_t(pendingInput.size()));
                if (w > 0)
                    pendingInput.remove(0, w);
                if (w < 0 && errno != EAGAIN)
                    pendingInput.clear();
                if (pendingInput.isEmpty()) {
                    ::close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buffer[65536];
            const ssize_t r = ::read(fds[i].fd, buffer, sizeof buffer);
            QByteArray& sink = fds[i].fd == outFd ? run.outBytes : errBytes;
            if (r > 0) {
                sink.append(buffer, r);
            } else if (r == 0 || errno != EAGAIN) {
                ::close(fds[i].fd);
                (fds[i].fd == outFd ? outFd : errFd) = -1;
            }
        }
    }
    for (int fd : {inFd, outFd, errFd})
        if (fd >= 0)
            ::close(fd);

    // The child may outlive its output streams; it still gets no more than
    // the time limit.
    int status = 0;
    struct rusage usage {};
    for (;;) {
        const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid || (done < 0 && errno != EINTR))
            break;
        if (done == 0 && clock.elapsed() > options.timeoutMs && !run.killed) {
            ::kill(pid, SIGKILL);
            run.killed = true;
        }
        ::usleep(5000);
    }
    run.elapsedMs = clock.elapsed();
    run.exitCode = (!run.killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    run.peakRssKb = usage.ru_maxrss;
    run.cpuMs = qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(errBytes);
    return run;
}

#else

CliRun RunCliWith(const QStringList& arguments, const CliRunOptions& options)
{
    return RunCli(arguments, options.workingDirectory);
}

#endif

} // namespace tavrel::testing
