#pragma once
// Shared inputs and fakes of the diagram tests.

#include "support/scripted_ui.h"
#include "diagram/diagraminputs.h"
#include "diagram/dxfoutput.h"
#include "diagram/springdiagram.h"
#include "services/folders.h"
#include "services/ui.h"
#include "support/sandbox.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
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
    in.PlateThickness = "1.6", in.Stroke = "24", in.ProcessingLength = "120", in.StrippingPercent = "5";
    in.InitialCompression = "5", in.SpringCount = "2", in.Bite = "2";
    in.SpringNo = "SWL 30-50", in.FreeLength = "50.8", in.RateN = "24.5", in.RateKgf = "2.5";
    in.PressureDisplay = "6720 kgf", in.StrippingForceDisplay = "336 kgf", in.SpringCountDisplay = "2";
    in.InitialLoadKgf = "25", in.FinalLoadKgf = "145", in.StartLoadKgf = "127";
    in.InitialLoadN = "245", in.StartLoadN = "1245.46", in.FinalLoadN = "1421.98";
    in.InitialSpringLoadKgf = "12.5", in.StartSpringLoadKgf = "63.5", in.FinalSpringLoadKgf = "72.5";
    in.CompressedLength = "21.8", in.InitialSpringLoadN = "122.5", in.StartSpringLoadN = "622.73";
    in.FinalSpringLoadN = "710.99", in.CompStartText = "25.4", in.CompFinalText = "29";
    in.PartStartSpringLoadN = "622.7333", in.UseCountText = QStringLiteral("100万回");
    if (block == ReportBlock::AllTwoLine)
        in.Bite = "0";
    if (block == ReportBlock::PressureTwoLine || block == ReportBlock::PressureThreeLine) {
        in.ModeAll = false, in.ModePart = true;
        in.PlateThickness.clear(), in.ProcessingLength.clear(), in.Bite = "0";
        in.StartBeforeBottom = block == ReportBlock::PressureThreeLine ? "3.6" : "";
    }
    return in;
}

inline const std::vector<ReportBlock> kAllBlocks = {ReportBlock::AllTwoLine, ReportBlock::AllThreeLine,
                                                    ReportBlock::PressureTwoLine, ReportBlock::PressureThreeLine};

// The rows of a drawing, without their CR LF.
inline QStringList rowsOf(const QString& text)
{
    QStringList rows = text.split(QStringLiteral("\r\n"));
    if (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

// The value row of a group code (the text by default) in the entity with this handle.
inline QString groupOf(const QStringList& rows, const QString& handle, const QString& code = "  1")
{
    for (qsizetype i = rows.indexOf(QStringLiteral("ENTITIES")) + 1; i + 1 < rows.size(); i += 2) {
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

// What Debian's python3-ezdxf, as a CAD reader, makes of these DXF files:
// the exit code (77: ezdxf is missing) and check_dxf.py's rows.
inline std::pair<int, QString> readInEzdxf(const QStringList& files)
{
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start("/usr/bin/python3", QStringList{QStringLiteral(TOLVANE_SOURCE_DIR "/tests/diagram/check_dxf.py")} + files);
    EXPECT_TRUE(check.waitForFinished(120000));
    return {check.exitCode(), QString::fromUtf8(check.readAll())};
}

using FakeUi = ScriptedUi;

class FakeView final : public DxfOutputView {
public:
    void setProgressRange(int minimum, int maximum) override { ranges.push_back({minimum, maximum}); }
    void setProgressValue(int value) override { lastValue = value; }
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
    int lastValue = -1, eventPasses = 0, focusCalls = 0, closeCalls = 0;
    std::vector<bool> writingStates;
    std::function<void()> onEvents;
};

}  // namespace tolvane::test
