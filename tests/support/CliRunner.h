// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavrel::testing {

// A program of this build (tavrel, tavrel-cli, quennel-emu, tavrel-docs),
// found from the running test: the tests are built into <build>/tests and the
// programs into <build>/src. The path is not compiled into the tests, so
// that they compile alike in every checkout and the compiler cache serves
// one clone's objects to the next.
QString BuiltProgram(const QString& name);
inline QString CliProgram() { return BuiltProgram(QStringLiteral("tavrel-cli")); }

// One run of tavrel-cli: its exit status (-1 when it crashed or had to be
// killed), what it printed, and how long it took.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elapsedMs = 0;
    // Filled by RunCliWith() only: standard output exactly as written, and
    // the child's peak resident memory in KiB (0 where unknown).
    QByteArray outBytes;
    qint64 peakRssKb = 0;
    qint64 cpuMs = 0;  // the child's processor time, user and system
    bool killed = false;  // it outlived the time limit
};

// Runs tavrel-cli with these arguments, in workingDirectory when one is
// given, and waits up to a minute for it to finish.
CliRun RunCli(const QStringList& arguments, const QString& workingDirectory = QString());

// What RunCliWith() may set up for the child besides its arguments.
struct CliRunOptions {
    QString program;            // empty: tavrel-cli
    QString workingDirectory;
    QByteArray input;           // written to its standard input, which is then closed
    qint64 fileSizeLimit = -1;  // RLIMIT_FSIZE in bytes (SIGXFSZ ignored, so writes fail with EFBIG)
    int timeoutMs = 60000;      // then it is killed
    // Standard output is a pseudo-terminal (in raw mode, so that the bytes
    // read back are the bytes written) instead of a pipe, as when a user
    // runs the tool in a terminal window.
    bool outputOnTerminal = false;
};

// Like RunCli(), and also measures the child's peak memory and can limit the
// size of the files it writes. POSIX only; elsewhere it falls back to
// RunCli() without the limit or the measurement.
CliRun RunCliWith(const QStringList& arguments, const CliRunOptions& options);

} // namespace tavrel::testing
