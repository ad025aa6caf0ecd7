#pragma once
// A person at the screen who answers as the test scripts and remembers every
// question: message boxes, file dialogs, opened links, beeps, the wait cursor.

#include "services/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>

namespace tolvane::test {

struct MsgBoxCall {
    QString prompt;
    int style = 0;
    QString title;
    bool operator==(const MsgBoxCall&) const = default;
};

inline void PrintTo(const MsgBoxCall& b, std::ostream* os)
{
    *os << '{' << b.prompt.toStdString() << " | " << b.style << " | " << b.title.toStdString() << '}';
}

class ScriptedUi final : public UserInterface {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        boxes.append({prompt, style, title});
        return answers.isEmpty() ? int(kIdOk) : answers.takeFirst();
    }
    void beep() override { ++beeps; }
    std::optional<QString> askSaveFile(const FileDialogRequest& request) override
    {
        saveRequests.append(request);
        const QString answer = saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest& request) override
    {
        openRequests.append(request);
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.takeFirst();
    }
    bool openUrl(const QString& url) override
    {
        opened.append(url);
        return true;
    }
    void setWaitCursor(bool on) override { waitCursor.append(on); }

    QList<MsgBoxCall> boxes;
    QList<int> answers;                             // one per box, front first; none left: OK
    QStringList saveAnswers;                        // one per save dialog; a null text or none left: cancelled
    QList<std::optional<QStringList>> openAnswers;  // one per open dialog; none left: cancelled
    QList<FileDialogRequest> saveRequests;
    QList<FileDialogRequest> openRequests;
    QStringList opened;
    QList<bool> waitCursor;  // every change of the cursor, in turn
    int beeps = 0;
};

}  // namespace tolvane::test
