// From two springs to their total: the spring-diagram dialog saves each
// spring's drawing with its data file, and the total output dialog totals
// the two data files into the pressure-only drawing.
#include "total/pressureonly.h"

#include "calc/springrecord.h"
#include "diagram/diagram_fixtures.h"
#include "services/cp932.h"
#include "services/folders.h"
#include "total/totaloutput.h"
#include "total/vornreader.h"
#include "totaltestsupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// The record the main window fills for a pressure-only result
// ("スプリングの圧力だけを計算") without a processing start: no start load and
// no start distance, so the data file is of kind "SppOnly".
SpringRecord pressureOnlyRecord(const QString& initialLoad, const QString& finalLoad)
{
    SpringRecord r;
    r.DxfKind = "SppOnly", r.FreeLength = "50.8", r.InitialCompression = "5", r.Stroke = "24", r.SetLength = "45.8";
    r.CompressedLength = "21.8", r.InitialLoadKgf = initialLoad, r.FinalLoadKgf = finalLoad;
    return r;
}

// Saves one spring's drawing as base + ".dxf" through the diagram dialog; returns its data file.
QString saveSpring(FakeUi& ui, const QString& base, const QString& initialLoad, const QString& finalLoad)
{
    FakeView view;
    DxfOutput dialog(sampleInputs(ReportBlock::PressureTwoLine), pressureOnlyRecord(initialLoad, finalLoad), true, ui,
                     view);
    dialog.formLoad();
    dialog.setDiagramName(QFileInfo(base).fileName());
    dialog.setCreateVornFile(true);
    ui.saveAnswers.append(base + QStringLiteral(".dxf"));
    dialog.imgOk_Click();
    EXPECT_TRUE(dialog.closed());
    return base + QStringLiteral(".vorn");
}

}  // namespace

TEST(PressureOnlyEndToEnd, TwoSpringsDataFilesAreTotalledIntoThePressureOnlyDrawing)
{
    Sandbox box;
    ExistLogFolder();
    totalDiagramValues().clear();
    FakeUi ui;
    const QString docs = DocumentsFolder();
    const QString a = saveSpring(ui, docs + QStringLiteral("/ばね A"), QStringLiteral("12.5"), QStringLiteral("72.5"));
    const QString b = saveSpring(ui, docs + QStringLiteral("/ばね B"), QStringLiteral("7.5"), QStringLiteral("23.45"));
    QString first;
    ASSERT_EQ(readVornFirstLine(a, &first), VornLineStatus::Ok);
    EXPECT_EQ(first, QStringLiteral("CreatedByVORN,SppOnly,50.8,5,24,45.8,21.8,12.5,,72.5,"));

    TotalOutput total(ui);
    total.Form_Load();
    ui.openAnswers.append(QStringList{a, b});
    total.imgSelectFiles_Click();
    ASSERT_TRUE(total.outputEnabled());
    const QString name = QStringLiteral("合計 プレス型");
    total.setDiagramName(name);
    const QString out = box.root() + QStringLiteral("/合計.dxf");
    ui.saveAnswers.append(out);
    total.imgOutputDXF_Click();

    EXPECT_EQ(totalDiagramValues(), (QStringList{"50.8", "5", "24", "45.8", "21.8", "20", "0", "95.95", ""}));
    EXPECT_EQ(readAll(out), encodeCp932(CreateDxfDataB(totalDiagramValues(), name)));
    EXPECT_TRUE(total.closeRequested());
    EXPECT_EQ(box.logMessages().filter(QStringLiteral("■Err")), QStringList());
}
