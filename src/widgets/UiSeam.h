// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/HostColour.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QWidget;

namespace tavrel {

using CustomColours = std::array<HostColour, 16>;

// The one place where the panel asks the user something outside its own
// dialogs: message boxes, file names and the system colour dialog. Each call
// goes through a replaceable handler, so tests answer them without a window
// and no native dialog can block a test run.
class UiSeam {
public:
    using MessageHandler = std::function<void(QWidget* parent, const QString& text, const QString& caption)>;
    // Returns the chosen file name, or an empty text when the user cancelled.
    using FileNameHandler = std::function<QString(QWidget* parent, const QString& caption, const QString& directory,
                                                  const QString& filter)>;
    // Several files at once: every chosen file's full path; empty when cancelled.
    using FileNamesHandler = std::function<QStringList(QWidget* parent, const QString& caption,
                                                       const QString& directory, const QString& filter)>;
    // Returns true and sets chosen when the user confirmed a colour; the
    // custom colours are shown in the dialog and updated on confirmation.
    using ColourHandler =
        std::function<bool(QWidget* parent, HostColour initial, CustomColours& customColours, HostColour& chosen)>;

    // A box with the caption, the text, only an OK button and no icon.
    static void showMessage(QWidget* parent, const QString& text, const QString& caption);
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& directory,
                                        const QString& filter);
    static bool getColour(QWidget* parent, HostColour initial, CustomColours& customColours, HostColour& chosen);
    // A question with Yes, No and Cancel (Yes the default; Escape and the
    // close box answer Cancel).
    enum class Answer { Yes, No, Cancel };
    using QuestionHandler = std::function<Answer(QWidget* parent, const QString& text, const QString& caption)>;
    static Answer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption);
    // A question with Yes and No, No the default (Escape and the close box
    // answer No). Tests answer it with the same handler.
    static Answer askYesNo(QWidget* parent, const QString& text, const QString& caption);
    static QuestionHandler setQuestionHandler(QuestionHandler handler);

    // Where the file dialogs remember their folders: one folder per kind of
    // file, the kind being the dialog's first filter name ("Pictures",
    // "Tavrel Scripts"). A dialog asked for without a folder (no folder at
    // all, or only a file name) starts in the folder its kind last used.
    // Without a memory (the default) nothing is remembered.
    struct FolderMemory {
        std::function<QString(const QString& kind)> recall;
        std::function<void(const QString& kind, const QString& folder)> remember;
    };
    static FolderMemory setFolderMemory(FolderMemory memory);
    // The kind a filter names.
    static QString folderKind(const QString& filter);

    // Each setter returns the handler it replaces; an empty handler brings
    // back the standard dialog.
    static MessageHandler setMessageHandler(MessageHandler handler);
    static FileNameHandler setOpenFileNameHandler(FileNameHandler handler);
    static FileNameHandler setSaveFileNameHandler(FileNameHandler handler);
    static FileNamesHandler setOpenFileNamesHandler(FileNamesHandler handler);
    static ColourHandler setColourHandler(ColourHandler handler);
};

} // namespace tavrel
