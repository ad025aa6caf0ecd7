#pragma once
// Shared inputs and fakes of the diagram tests.

#include "diagram/diagraminputs.h"
#include "diagram/dxfoutput.h"
#include "diagram/springdiagram.h"
#include "services/folders.h"
#include "services/ui.h"
#include "support/sandbox.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace tolvane::test {

// A sandbox whose log folder exists, as it does once the program has started.
class LogSandbox : public Sandbox {
public:
    LogSandbox() { ExistLogFolder(); }
};

// A result of the all-values mode with a processing start (three-line
// block); the block argument switches mode and processing start.
inline DiagramInputs sampleInputs(ReportBlock block = ReportBlock::AllThreeLine)
{
    DiagramInputs in;
    in.PlateThickness = QStringLiteral("1.6");
    in.Stroke = QStringLiteral("24");
    in.ProcessingLength = QStringLiteral("120");
    in.StrippingPercent = QStringLiteral("5");
    in.InitialCompression = QStringLiteral("5");
    in.SpringCount = QStringLiteral("2");
    in.Bite = QStringLiteral("2");
    in.StartBeforeBottom = QString();
    in.Option1 = true;
    in.Option2 = false;
    in.SpringNo = QStringLiteral("SWL 30-50");
    in.FreeLength = QStringLiteral("50.8");
    in.RateN = QStringLiteral("24.5");
    in.RateKgf = QStringLiteral("2.5");
    in.PressureDisplay = QStringLiteral("6720 kgf");
    in.StrippingForceDisplay = QStringLiteral("336 kgf");
    in.SpringCountDisplay = QStringLiteral("2");
    in.InitialLoadKgf = QStringLiteral("25");
    in.FinalLoadKgf = QStringLiteral("145");
    in.StartLoadKgf = QStringLiteral("127");
    in.InitialLoadN = QStringLiteral("245");
    in.StartLoadN = QStringLiteral("1245.46");
    in.FinalLoadN = QStringLiteral("1421.98");
    in.InitialSpringLoadKgf = QStringLiteral("12.5");
    in.StartSpringLoadKgf = QStringLiteral("63.5");
    in.FinalSpringLoadKgf = QStringLiteral("72.5");
    in.CompressedLength = QStringLiteral("21.8");
    in.InitialSpringLoadN = QStringLiteral("122.5");
    in.StartSpringLoadN = QStringLiteral("622.73");
    in.FinalSpringLoadN = QStringLiteral("710.99");
    in.CompStartText = QStringLiteral("25.4");
    in.CompFinalText = QStringLiteral("29");
    in.PartStartSpringLoadN = QStringLiteral("622.7333");
    in.UseCountText = QStringLiteral("100万回");
    switch (block) {
    case ReportBlock::AllTwoLine:
        in.Bite = QStringLiteral("0");
        in.StartLoadKgf = in.StartSpringLoadKgf = in.StartLoadN = QStringLiteral("---");
        break;
    case ReportBlock::PressureTwoLine:
    case ReportBlock::PressureThreeLine:
        in.Option1 = false;
        in.Option2 = true;
        in.PlateThickness.clear();
        in.ProcessingLength.clear();
        in.Bite = QStringLiteral("0");
        in.StartBeforeBottom = block == ReportBlock::PressureThreeLine ? QStringLiteral("3.6") : QString();
        break;
    default:
        break;
    }
    return in;
}

inline const std::vector<ReportBlock>& allBlocks()
{
    static const std::vector<ReportBlock> blocks = {ReportBlock::AllTwoLine, ReportBlock::AllThreeLine,
                                                    ReportBlock::PressureTwoLine, ReportBlock::PressureThreeLine};
    return blocks;
}

// The rows of a drawing, without their CR LF.
inline QStringList rowsOf(const QString& text)
{
    QStringList rows = text.split(QStringLiteral("\r\n"));
    if (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

// The value rows after each "  5" of the ENTITIES section, in order.
inline QStringList entityHandles(const QStringList& rows)
{
    QStringList handles;
    const auto start = rows.indexOf(QStringLiteral("ENTITIES")) + 1;  // the code row after it
    for (qsizetype i = start; i + 1 < rows.size(); i += 2) {
        if (rows[i] == QLatin1String("  5"))
            handles << rows[i + 1];
    }
    return handles;
}

// The text row of the entity with this handle ("" and a failure when none).
inline QString textOf(const QStringList& rows, const QString& handle)
{
    const auto start = rows.indexOf(QStringLiteral("ENTITIES")) + 1;  // the code row after it
    for (qsizetype i = start; i + 1 < rows.size(); i += 2) {
        if (rows[i] == QLatin1String("  5") && rows[i + 1] == handle) {
            for (qsizetype j = i + 2; j + 1 < rows.size(); j += 2) {
                if (rows[j] == QLatin1String("  1"))
                    return rows[j + 1];
            }
        }
    }
    ADD_FAILURE() << "no text entity " << handle.toStdString();
    return {};
}

// The value row of a group code inside the entity with this handle.
inline QString groupOf(const QStringList& rows, const QString& handle, const QString& code)
{
    const auto start = rows.indexOf(QStringLiteral("ENTITIES")) + 1;  // the code row after it
    for (qsizetype i = start; i + 1 < rows.size(); i += 2) {
        if (rows[i] == QLatin1String("  5") && rows[i + 1] == handle) {
            for (qsizetype j = i + 2; j + 1 < rows.size() && rows[j] != QLatin1String("  0"); j += 2) {
                if (rows[j] == code)
                    return rows[j + 1];
            }
        }
    }
    ADD_FAILURE() << "no group " << code.toStdString() << " in " << handle.toStdString();
    return {};
}

struct MsgBoxCall {
    QString prompt;
    int style;
    QString title;
};

class FakeUi final : public UserInterface {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        boxes.push_back({prompt, style, title});
        if (onMsgBox)
            onMsgBox();
        return kIdOk;
    }
    void beep() override {}
    std::optional<QString> askSaveFile(const FileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        if (onSave)
            onSave();
        if (saveAnswers.isEmpty())
            return std::nullopt;
        const QString answer = saveAnswers.takeFirst();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString&) override { return true; }

    std::vector<MsgBoxCall> boxes;
    std::vector<FileDialogRequest> saveRequests;
    QStringList saveAnswers;  // a null text: cancelled
    std::function<void()> onSave;
    std::function<void()> onMsgBox;
};

class FakeView final : public DxfOutputView {
public:
    void setProgressRange(int minimum, int maximum) override { ranges.push_back({minimum, maximum}); }
    void setProgressValue(int value) override
    {
        lastValue = value;
        ++valueCalls;
    }
    void processEvents() override
    {
        ++eventPasses;
        if (onEvents)
            onEvents();
    }
    void focusDiagramName() override { ++focusCalls; }
    void setWriting(bool on) override { writingStates.push_back(on); }
    void closeDialog() override { ++closeCalls; }

    std::vector<std::pair<int, int>> ranges;
    int lastValue = -1;
    int valueCalls = 0;
    int eventPasses = 0;
    int focusCalls = 0;
    int closeCalls = 0;
    std::vector<bool> writingStates;
    std::function<void()> onEvents;
};

}  // namespace tolvane::test
