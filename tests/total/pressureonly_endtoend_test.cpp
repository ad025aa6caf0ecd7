// From two springs to their total: the spring-diagram dialog saves each
// spring's drawing with its data file, and the total output dialog totals
// the two data files into the pressure-only drawing.
#include "total/pressureonly.h"

#include "calc/springrecord.h"
#include "diagram/diagraminputs.h"
#include "diagram/dxfoutput.h"
#include "services/cp932.h"
#include "services/folders.h"
#include "total/totaloutputdialog.h"
#include "total/vornfile.h"
#include "totaltestsupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

class QuietView final : public DxfOutputView {
public:
    void setProgressRange(int, int) override {}
    void setProgressValue(int) override {}
    void processEvents() override {}
    void focusDiagramName() override {}
    void setWriting(bool) override {}
    void closeDialog() override {}
};

// A result of the pressure-only mode ("スプリングの圧力だけを計算"), without a
// processing start: the diagram dialog writes a data file of kind "SppOnly".
DiagramInputs pressureOnlyInputs(const QString& initialLoad, const QString& finalLoad)
{
    DiagramInputs in;
    in.Option1 = false;
    in.Option2 = true;
    in.Stroke = QStringLiteral("24");
    in.SpringNo = QStringLiteral("SWL 30-50");
    in.FreeLength = QStringLiteral("50.8");
    in.InitialLoadKgf = in.InitialSpringLoadKgf = initialLoad;
    in.FinalLoadKgf = in.FinalSpringLoadKgf = finalLoad;
    return in;
}

// The record the main window fills for a pressure-only result: no start
// load and no start distance.
SpringRecord pressureOnlyRecord(const QString& initialLoad, const QString& finalLoad)
{
    SpringRecord r;
    r.DxfKind = QStringLiteral("SppOnly");
    r.FreeLength = QStringLiteral("50.8");
    r.InitialCompression = QStringLiteral("5");
    r.Stroke = QStringLiteral("24");
    r.SetLength = QStringLiteral("45.8");
    r.CompressedLength = QStringLiteral("21.8");
    r.InitialLoadKgf = initialLoad;
    r.FinalLoadKgf = finalLoad;
    return r;
}

// Saves one spring's drawing through the diagram dialog; returns its data file.
QString saveSpring(FakeUi& ui, const QString& dxfPath, const QString& initialLoad, const QString& finalLoad)
{
    QuietView view;
    DxfOutput dialog(pressureOnlyInputs(initialLoad, finalLoad), pressureOnlyRecord(initialLoad, finalLoad), true, ui,
                     view);
    dialog.formLoad();
    dialog.setDiagramName(QFileInfo(dxfPath).completeBaseName());
    dialog.setCreateVornFile(true);
    ui.saveAnswers.append(dxfPath);
    dialog.imgOk_Click();
    EXPECT_TRUE(dialog.closed());
    const QString vorn = QFileInfo(dxfPath).absolutePath() + QLatin1Char('/') + QFileInfo(dxfPath).completeBaseName()
                         + QStringLiteral(".vorn");
    EXPECT_TRUE(QFileInfo::exists(vorn)) << vorn.toStdString();
    return vorn;
}

}  // namespace

TEST(PressureOnlyEndToEnd, TwoSpringsDataFilesAreTotalledIntoThePressureOnlyDrawing)
{
    Sandbox box;
    ExistLogFolder();
    totalDiagramValues().clear();
    FakeUi ui;
    const QString docs = DocumentsFolder();
    const QString a = saveSpring(ui, docs + QStringLiteral("/ばね A.dxf"), QStringLiteral("12.5"), QStringLiteral("72.5"));
    const QString b = saveSpring(ui, docs + QStringLiteral("/ばね B.dxf"), QStringLiteral("7.5"), QStringLiteral("23.45"));
    QString first;
    ASSERT_EQ(readVornFirstLine(a, &first), VornLineStatus::Ok);
    EXPECT_EQ(first, QStringLiteral("CreatedByVORN,SppOnly,50.8,5,24,45.8,21.8,12.5,,72.5,"));

    ui.boxes.clear();
    TotalOutputDialog total(ui);
    total.Form_Load();
    ui.openAnswers.append(QStringList{a, b});
    total.imgSelectFiles_Click();
    ASSERT_TRUE(total.outputEnabled());
    const QString name = QStringLiteral("合計 プレス型");
    total.setDiagramName(name);
    const QString out = box.root() + QStringLiteral("/合計.dxf");
    ui.saveAnswers.append(out);
    total.imgOutputDXF_Click();

    EXPECT_EQ(totalDiagramValues(),
              (QStringList{QStringLiteral("50.8"), QStringLiteral("5"), QStringLiteral("24"), QStringLiteral("45.8"),
                           QStringLiteral("21.8"), QStringLiteral("20"), QStringLiteral("0"), QStringLiteral("95.95"),
                           QString()}));
    const QByteArray saved = readAll(out);
    EXPECT_EQ(saved, encodeCp932(CreateDxfDataB(totalDiagramValues(), name)));
    EXPECT_TRUE(saved.contains("\r\n  1\r\n95.95\r\n"));
    EXPECT_TRUE(total.closeRequested());
    EXPECT_EQ(box.logMessages().filter(QStringLiteral("■Err")), QStringList());
}
