// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-cli on a serial device this user may not open: the status text stays
// the open failure's, and the message on standard error adds what to do,
// naming the group that owns the device. Run as root, the programs run as
// "nobody" so that the device really is refused.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/CliRunner.h"

using tavrel::testing::CliProgram;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestSerialAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Everyone may enter the folder; only the device in it is guarded.
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        m_cli = CliProgram();
        if (::geteuid() == 0) {
            // "nobody" may not be able to reach the build tree; a copy of the
            // program in the open folder it can run.
            const QString copy = m_dir.filePath(QStringLiteral("tavrel-cli"));
            QVERIFY(QFile::copy(m_cli, copy));
            QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0755) == 0);
            m_cli = copy;
        }
    }

    void refusedDeviceNamesItsGroup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("advice");
        // The group may read and write: joining it is enough.
        QTest::newRow("group may use it") << 0060
            << "To use %1, add your user to its group \"%2\" (sudo usermod -aG %2 $USER), "
               "then log out and log in again.";
        // Nobody may: the group must be given access first.
        QTest::newRow("nobody may use it") << 0000
            << "To use %1, give its group \"%2\" read and write access (sudo chmod g+rw %1), "
               "add your user to that group (sudo usermod -aG %2 $USER), then log out and log in again.";
    }
    void refusedDeviceNamesItsGroup()
    {
        QFETCH(int, mode);
        QFETCH(QString, advice);
        const QString device = makeDevice(QStringLiteral("ttyGUARDED%1").arg(mode, 0, 8), mode);
        const QString group = QFileInfo(device).group();
        QVERIFY(!group.isEmpty());

        const Run run = runCli({"--port", device, "set-pixel", "1", "2"});
        QCOMPARE(run.out, QStringLiteral("Error Creating Com Port Interface.\n"));
        QCOMPARE(run.err, QStringLiteral("Error Creating Com Port Interface.\n") + advice.arg(device, group)
                              + QLatin1Char('\n'));
        QCOMPARE(run.exitCode, 1);
    }

    void otherOpenFailuresGiveNoAdvice()
    {
        // A missing device, and a file that opens but is no terminal.
        const Run missing = runCli({"--port", m_dir.filePath("ttyMISSING"), "set-pixel", "1", "2"});
        QCOMPARE(missing.out, QStringLiteral("Error Creating Com Port Interface.\n"));
        QCOMPARE(missing.err, QString());
        QCOMPARE(missing.exitCode, 1);

        const QString plain = makeDevice(QStringLiteral("ttyPLAIN"), 0666);
        const Run notATerminal = runCli({"--port", plain, "set-pixel", "1", "2"});
        QVERIFY2(notATerminal.out.startsWith(QStringLiteral("Error ")), qPrintable(notATerminal.out));
        QCOMPARE(notATerminal.err, QString());
        QCOMPARE(notATerminal.exitCode, 1);
    }

private:
    // A stand-in for a serial device node with the given permission bits,
    // owned (when we are root) by the group a serial device has on Debian.
    QString makeDevice(const QString& name, int mode)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.close();
        const QByteArray native = QFile::encodeName(path);
        if (::geteuid() == 0) {
            const struct group* dialout = ::getgrnam("dialout");
            if (::chown(native.constData(), 0, dialout ? dialout->gr_gid : 0) != 0)
                return QString();
        }
        if (::chmod(native.constData(), mode_t(mode)) != 0)
            return QString();
        return path;
    }

    Run runCli(const QStringList& arguments)
    {
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_dir.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        cli.setProcessEnvironment(environment);
        if (::geteuid() == 0) {
            cli.setChildProcessModifier([] {
                // Only async-signal-safe calls here; a failure ends the child.
                if (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)
                    ::_exit(126);
            });
        }
        cli.start(m_cli, arguments);
        Run run;
        if (!cli.waitForFinished(60000)) {
            cli.kill();
            cli.waitForFinished();
            return run;
        }
        run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        run.out = QString::fromUtf8(cli.readAllStandardOutput());
        run.err = QString::fromUtf8(cli.readAllStandardError());
        return run;
    }

    QTemporaryDir m_dir;
    QString m_cli;
};

QTEST_GUILESS_MAIN(TestSerialAccess)
#include "tst_serial_access.moc"
