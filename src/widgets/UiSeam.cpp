// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/UiSeam.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QMessageBox>

namespace tavrel {

namespace {

struct Handlers {
    UiSeam::MessageHandler message;
    UiSeam::FileNameHandler openFileName;
    UiSeam::FileNameHandler saveFileName;
    UiSeam::FileNamesHandler openFileNames;
    UiSeam::ColourHandler colour;
    UiSeam::QuestionHandler question;
    UiSeam::FolderMemory folders;
};

Handlers& handlers()
{
    static Handlers instance;
    return instance;
}

template <typename Handler>
Handler replace(Handler& slot, Handler handler)
{
    Handler previous = std::move(slot);
    slot = std::move(handler);
    return previous;
}

QColor ToQColor(HostColour c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

HostColour FromQColor(const QColor& c)
{
    return MakeHostColour(c.red(), c.green(), c.blue());
}

void StandardMessage(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool StandardColour(QWidget* parent, HostColour initial, CustomColours& customColours, HostColour& chosen)
{
    // QColorDialog keeps one application-wide set of custom colours; each
    // picker lends its own for the time of the dialog.
    for (int i = 0; i < int(customColours.size()); ++i)
        QColorDialog::setCustomColor(i, ToQColor(customColours[i]));
    const QColor colour = QColorDialog::getColor(ToQColor(initial), parent);
    if (!colour.isValid())
        return false;
    for (int i = 0; i < int(customColours.size()); ++i)
        customColours[i] = FromQColor(QColorDialog::customColor(i));
    chosen = FromQColor(colour);
    return true;
}

// The folder a dialog starts in: the one given, or where files of its kind
// were last chosen when it names none.
QString StartingPlace(const QString& filter, const QString& directory)
{
    const UiSeam::FolderMemory& memory = handlers().folders;
    if (!memory.recall || QFileInfo(directory).fileName() != directory)
        return directory;
    const QString folder = memory.recall(UiSeam::folderKind(filter));
    if (folder.isEmpty() || !QDir(folder).exists())
        return directory;
    return directory.isEmpty() ? folder : QDir(folder).filePath(directory);
}

void RememberPlace(const QString& filter, const QString& chosen)
{
    const UiSeam::FolderMemory& memory = handlers().folders;
    if (memory.remember && !chosen.isEmpty())
        memory.remember(UiSeam::folderKind(filter), QFileInfo(chosen).absolutePath());
}

} // namespace

QString UiSeam::folderKind(const QString& filter)
{
    const QString first = filter.section(QStringLiteral(";;"), 0, 0);
    const int patterns = first.indexOf(QLatin1Char('('));
    const QString kind = (patterns < 0 ? first : first.left(patterns)).trimmed();
    return kind.isEmpty() ? QStringLiteral("Files") : kind;
}

UiSeam::FolderMemory UiSeam::setFolderMemory(FolderMemory memory)
{
    return replace(handlers().folders, std::move(memory));
}

void UiSeam::showMessage(QWidget* parent, const QString& text, const QString& caption)
{
    if (handlers().message)
        handlers().message(parent, text, caption);
    else
        StandardMessage(parent, text, caption);
}

QString UiSeam::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                const QString& filter)
{
    const QString start = StartingPlace(filter, directory);
    const QString chosen = handlers().openFileName ? handlers().openFileName(parent, caption, start, filter)
                                                   : QFileDialog::getOpenFileName(parent, caption, start, filter);
    RememberPlace(filter, chosen);
    return chosen;
}

QString UiSeam::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                const QString& filter)
{
    const QString start = StartingPlace(filter, directory);
    const QString chosen = handlers().saveFileName ? handlers().saveFileName(parent, caption, start, filter)
                                                   : QFileDialog::getSaveFileName(parent, caption, start, filter);
    RememberPlace(filter, chosen);
    return chosen;
}

QStringList UiSeam::getOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                     const QString& filter)
{
    const QString start = StartingPlace(filter, directory);
    const QStringList chosen = handlers().openFileNames
        ? handlers().openFileNames(parent, caption, start, filter)
        : QFileDialog::getOpenFileNames(parent, caption, start, filter);
    RememberPlace(filter, chosen.value(0));
    return chosen;
}

bool UiSeam::getColour(QWidget* parent, HostColour initial, CustomColours& customColours, HostColour& chosen)
{
    if (handlers().colour)
        return handlers().colour(parent, initial, customColours, chosen);
    return StandardColour(parent, initial, customColours, chosen);
}

UiSeam::Answer UiSeam::askYesNoCancel(QWidget* parent, const QString& text, const QString& caption)
{
    if (handlers().question)
        return handlers().question(parent, text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    parent);
    box.setObjectName(QStringLiteral("questionBox"));
    box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("yesButton"));
    box.button(QMessageBox::No)->setObjectName(QStringLiteral("noButton"));
    box.button(QMessageBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Cancel;
}

UiSeam::Answer UiSeam::askYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    if (handlers().question)
        return handlers().question(parent, text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("questionBox"));
    box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("yesButton"));
    box.button(QMessageBox::No)->setObjectName(QStringLiteral("noButton"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes) ? Answer::Yes : Answer::No;
}

UiSeam::QuestionHandler UiSeam::setQuestionHandler(QuestionHandler handler)
{
    return replace(handlers().question, std::move(handler));
}

UiSeam::MessageHandler UiSeam::setMessageHandler(MessageHandler handler)
{
    return replace(handlers().message, std::move(handler));
}

UiSeam::FileNameHandler UiSeam::setOpenFileNameHandler(FileNameHandler handler)
{
    return replace(handlers().openFileName, std::move(handler));
}

UiSeam::FileNameHandler UiSeam::setSaveFileNameHandler(FileNameHandler handler)
{
    return replace(handlers().saveFileName, std::move(handler));
}

UiSeam::FileNamesHandler UiSeam::setOpenFileNamesHandler(FileNamesHandler handler)
{
    return replace(handlers().openFileNames, std::move(handler));
}

UiSeam::ColourHandler UiSeam::setColourHandler(ColourHandler handler)
{
    return replace(handlers().colour, std::move(handler));
}

} // namespace tavrel
