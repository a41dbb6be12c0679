// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-docs: writes the manual pages and the bash completion script from
// the command table, at build time.
//
//   tavrel-docs --version V --date YYYY-MM-DD OUTDIR
//
// writes OUTDIR/tavrel.1, OUTDIR/tavrel-cli.1, OUTDIR/quennel-emu.1 and
// OUTDIR/tavrel-cli.bash-completion.

#include "cli/manual/ManualPages.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <cstdio>

namespace {

bool Write(const QDir& folder, const QString& name, const QString& text)
{
    QSaveFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "tavrel-docs: cannot write %s: %s\n", qPrintable(file.fileName()),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption versionOption(QStringLiteral("version"), QStringLiteral("The release's version."),
                                           QStringLiteral("V"));
    const QCommandLineOption dateOption(QStringLiteral("date"), QStringLiteral("The release's date."),
                                        QStringLiteral("YYYY-MM-DD"));
    parser.addOption(versionOption);
    parser.addOption(dateOption);
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("Where the files are written."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "usage: tavrel-docs --version V --date YYYY-MM-DD OUTDIR\n");
        return 2;
    }
    const QDir folder(parser.positionalArguments().first());
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "tavrel-docs: cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    const tavrel::ManualHeading heading{parser.value(versionOption), parser.value(dateOption)};
    const bool written = Write(folder, QStringLiteral("tavrel.1"), tavrel::TavrelPage(heading))
        && Write(folder, QStringLiteral("tavrel-cli.1"), tavrel::TavrelCliPage(heading))
        && Write(folder, QStringLiteral("quennel-emu.1"), tavrel::QuennelEmuPage(heading))
        && Write(folder, QStringLiteral("tavrel-cli.bash-completion"), tavrel::BashCompletion());
    return written ? 0 : 1;
}
