// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureCli.h"

#include "commands/script/CommandGrammar.h"
#include "imaging/DisplayImageCommand.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"
#include "imaging/PixelQuantiser.h"
#include "imaging/SlideshowBuilder.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tavrel {

namespace {

// An integer entry as the dialogs validate it, with their messages.
bool ParseBoundedInteger(const QString& text, int low, int high, int& value, QString& error)
{
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (!ok) {
        error = QStringLiteral("Please enter an integer.");
        return false;
    }
    if (parsed < low || parsed > high) {
        error = QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
        return false;
    }
    value = parsed;
    return true;
}

bool ParseResize(const QString& text, ResizeRule& rule, QString& error)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([^xX]*)[xX]([^xX]*)$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch()) {
        error = QStringLiteral("--resize takes WIDTHxHEIGHT, e.g. 48x32, not %1").arg(QuotedWord(text));
        return false;
    }
    QString why;
    if (!ParseBoundedInteger(match.captured(1), 1, kPictureMaxWidth, rule.width, why)) {
        error = QStringLiteral("--resize width: ") + why;
        return false;
    }
    if (!ParseBoundedInteger(match.captured(2), 1, kPictureMaxHeight, rule.height, why)) {
        error = QStringLiteral("--resize height: ") + why;
        return false;
    }
    rule.mode = ResizeMode::ResizeTo;
    return true;
}

bool WrongCount(const PictureArguments& parsed, int least, int most, const QString& usage, QString& error)
{
    const int n = int(parsed.positional.size());
    if (n >= least && (most < 0 || n <= most))
        return false;
    error = QStringLiteral("usage: ") + usage;
    return true;
}

// --as-module belongs to save-bmp alone.
bool AsModuleMisplaced(const PictureArguments& parsed, QString& error)
{
    if (!parsed.asModule)
        return false;
    error = QStringLiteral("--as-module is an option of save-bmp only");
    return true;
}

CommandOutcome Report(PanelSession& session, const SaveResult& result)
{
    if (result.status == SaveStatus::Saved) {
        session.host().setStatusText(SaveResultText(result));
        return CommandOutcome::Sent;
    }
    session.host().showMessage(SaveResultText(result), PictureMessageCaption());
    return CommandOutcome::Refused;
}

} // namespace

bool ParsePictureArguments(const QStringList& arguments, PictureArguments& parsed, QString& usageError)
{
    parsed = PictureArguments();
    int resizeOptions = 0;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            parsed.positional << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const bool takesValue = name == QLatin1String("--resize") || name == QLatin1String("--depth");
        QString value;
        if (takesValue) {
            if (equals >= 0) {
                value = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                usageError = name + QStringLiteral(" needs a value");
                return false;
            }
        } else if (equals >= 0) {
            usageError = name + QStringLiteral(" takes no value");
            return false;
        }
        if (name == QLatin1String("--no-resize")) {
            parsed.rule.mode = ResizeMode::NoResize;
            ++resizeOptions;
        } else if (name == QLatin1String("--maximize")) {
            parsed.rule.mode = ResizeMode::Maximize;
            ++resizeOptions;
        } else if (name == QLatin1String("--resize")) {
            if (!ParseResize(value, parsed.rule, usageError))
                return false;
            ++resizeOptions;
        } else if (name == QLatin1String("--dither")) {
            parsed.dithering = Dithering::FloydSteinberg;
        } else if (name == QLatin1String("--as-module")) {
            parsed.asModule = true;
        } else if (name == QLatin1String("--depth")) {
            if (value != QLatin1String("16") && value != QLatin1String("8")) {
                usageError = QStringLiteral("--depth takes 16 or 8, not %1").arg(QuotedWord(value));
                return false;
            }
            parsed.depth = value.toInt();
        } else {
            usageError = QStringLiteral("unknown option ") + QuotedWord(name);
            return false;
        }
    }
    if (resizeOptions > 1) {
        usageError = QStringLiteral("choose one of --no-resize, --maximize and --resize");
        return false;
    }
    return true;
}

CommandOutcome RunConvertArguments(PanelSession& session, const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    if (!CheckConvertArguments(arguments, usageError) || !ParsePictureArguments(arguments, parsed, usageError))
        return CommandOutcome::Refused;
    const QString& in = parsed.positional.at(0);
    const QString& out = parsed.positional.at(1);
    // A target that would be refused is refused before any decoding.
    const SaveResult checked = CheckSaveTarget(out, {in});
    if (checked.status != SaveStatus::Saved)
        return Report(session, checked);
    QImage picture;
    const PictureReadResult read = ReadConvertedPicture(in, parsed.rule, picture);
    if (!read) {
        session.host().showMessage(PictureReadFailureText(read), PictureMessageCaption());
        return CommandOutcome::Refused;
    }
    return Report(session, SaveImageDataFile(out, picture, parsed.encoding(), {in}));
}

CommandOutcome RunSaveBmpArguments(PanelSession& session, const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    if (!CheckSaveBmpArguments(arguments, usageError) || !ParsePictureArguments(arguments, parsed, usageError))
        return CommandOutcome::Refused;
    const QString& in = parsed.positional.at(0);
    const QString& out = parsed.positional.at(1);
    const SaveResult checked = CheckSaveTarget(out, {in});
    if (checked.status != SaveStatus::Saved)
        return Report(session, checked);
    QImage picture;
    if (parsed.asModule) {
        // Converted as for the module, then each pixel in the colour the
        // module shows for its code.
        const PictureReadResult read = ReadConvertedPicture(in, parsed.rule, picture);
        if (!read) {
            session.host().showMessage(PictureReadFailureText(read), PictureMessageCaption());
            return CommandOutcome::Refused;
        }
        return Report(session, SaveBmpFile(out, ModuleView(picture, parsed.encoding()), {in}));
    }
    // As stored: the largest pictures are written without a converted copy.
    const PictureReadResult read = ReadPictureAsStored(in, picture);
    if (!read) {
        session.host().showMessage(PictureReadFailureText(read), PictureMessageCaption());
        return CommandOutcome::Refused;
    }
    return Report(session, SaveBmpFile(out, picture, {in}));
}

CommandOutcome RunBuildSlideshowArguments(PanelSession& session, const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    if (!CheckBuildSlideshowArguments(arguments, usageError) || !ParsePictureArguments(arguments, parsed, usageError))
        return CommandOutcome::Refused;
    // The builder's list holds full paths.
    QStringList pictures;
    for (const QString& path : parsed.positional.mid(1))
        pictures << QFileInfo(path).absoluteFilePath();
    // A picture that cannot be read still leaves its (black or empty) frame
    // in the file, as in the dialog; the exit status tells scripts.
    bool allRead = true;
    SlideshowSaveHooks hooks;
    hooks.message = [&session, &allRead](const QString& text) {
        allRead = false;
        session.host().showMessage(text, PictureMessageCaption());
    };
    const CommandOutcome outcome = Report(session, BuildSlideshowFile(parsed.positional.at(0),
                                                                      SortedPicturePaths(pictures), parsed.rule,
                                                                      parsed.encoding(), hooks));
    return allRead ? outcome : CommandOutcome::Refused;
}

bool CheckConvertArguments(const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    return ParsePictureArguments(arguments, parsed, usageError) && !AsModuleMisplaced(parsed, usageError)
        && !WrongCount(parsed, 2, 2, QStringLiteral("convert IN OUT.dat [options]"), usageError);
}

bool CheckSaveBmpArguments(const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    if (!ParsePictureArguments(arguments, parsed, usageError)
        || WrongCount(parsed, 2, 2, QStringLiteral("save-bmp IN OUT.bmp [--as-module [options]]"), usageError))
        return false;
    if (!parsed.asModule && parsed.dithering != Dithering::Off) {
        usageError = QStringLiteral("--dither needs --as-module: without it save-bmp writes the picture as opened");
        return false;
    }
    return true;
}

bool CheckBuildSlideshowArguments(const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    return ParsePictureArguments(arguments, parsed, usageError) && !AsModuleMisplaced(parsed, usageError)
        && !WrongCount(parsed, 1, -1, QStringLiteral("build-slideshow OUT.dat IN... [options]"), usageError);
}

bool CheckDisplayImageArguments(const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    return ParsePictureArguments(arguments, parsed, usageError) && !AsModuleMisplaced(parsed, usageError)
        && !WrongCount(parsed, 1, 3, QStringLiteral("display-image IN [X Y] [options]"), usageError);
}

CommandOutcome RunDisplayImageArguments(PanelSession& session, const QStringList& arguments, QString& usageError)
{
    PictureArguments parsed;
    if (!CheckDisplayImageArguments(arguments, usageError) || !ParsePictureArguments(arguments, parsed, usageError))
        return CommandOutcome::Refused;
    QImage picture;
    const PictureReadResult read = ReadConvertedPicture(parsed.positional.at(0), parsed.rule, picture);
    if (!read) {
        session.host().showMessage(PictureReadFailureText(read), PictureMessageCaption());
        return CommandOutcome::Refused;
    }
    // Like the dialog, X and Y start from slot 0.
    const QString x = parsed.positional.value(1, session.m_lastX[0]);
    const QString y = parsed.positional.value(2, session.m_lastY[0]);
    return SendDisplayImage(session, x, y, picture, parsed.encoding());
}

} // namespace tavrel
