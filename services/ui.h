#pragma once
// What the program's logic asks of the person at the screen, behind one
// interface so tests can script the answers. The window layer implements it
// with real message boxes and file dialogs.

#include <QString>
#include <QStringList>

#include <optional>

namespace tolvane {

// Message box styles and answers as numbers. A style is its buttons plus its
// icon, e.g. kMbYesNoCancel | kMbExclamation (51): one number names a box
// wherever the rules ask for one and the tests check it.
enum MsgBoxStyle : int {
    kMbOk = 0,
    kMbOkCancel = 1,
    kMbYesNoCancel = 3,
    kMbYesNo = 4,
    kMbCritical = 16,
    kMbQuestion = 32,
    kMbExclamation = 48,
    kMbInformation = 64,
};
inline const QString kProgramTitle = QStringLiteral("Tolvane");

enum MsgBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

struct FileDialogRequest {
    QString title;
    QString filter;          // "All files (*.*)|*.*|Text files|*.txt"
    int filterIndex = 1;     // 1-based: 2 preselects the filter's second entry
    QString defaultExt;      // without the dot
    QString fileName;        // the name the dialog starts with
    QString initialDir;
    bool overwritePrompt = true;
};

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // The title as given: an empty one shows an empty title bar; a box that
    // speaks with the program's own title passes kProgramTitle.
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    virtual void beep() = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> askSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QStringList> askOpenFiles(const FileDialogRequest& request) = 0;
    // Opens a web or file address with the desktop's own program.
    virtual bool openUrl(const QString& url) = 0;
    // The wait cursor over the program's windows while a long step runs on
    // the window's thread (on), and the usual cursor again (off).
    virtual void setWaitCursor(bool on) = 0;
};

}  // namespace tolvane
