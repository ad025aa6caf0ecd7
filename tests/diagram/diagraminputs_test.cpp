#include "diagram/fromcalc.h"

#include "calc/calc_fixture.h"
#include "calc/form.h"
#include "diagram/springdiagram.h"
#include "support/printers.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Each value is read from its own control: a mix-up of two labels would
// draw one load in the place of another.
TEST(DiagramInputs, EachValueComesFromItsOwnControl)
{
    using D = DiagramInputs;
    const std::pair<Ctl, QString D::*> controls[] = {
        {Ctl::Text2, &D::PlateThickness}, {Ctl::Text3, &D::Stroke}, {Ctl::Text4, &D::ProcessingLength},
        {Ctl::Text8, &D::StrippingPercent}, {Ctl::Text9, &D::InitialCompression}, {Ctl::Text10, &D::SpringCount},
        {Ctl::Text11, &D::Bite}, {Ctl::Text12, &D::StartBeforeBottom}, {Ctl::Label21, &D::SpringNo},
        {Ctl::Label24, &D::FreeLength}, {Ctl::Label26, &D::RateN}, {Ctl::Label27, &D::RateKgf},
        {Ctl::Label43, &D::PressureDisplay}, {Ctl::Label44, &D::StrippingForceDisplay},
        {Ctl::Label45, &D::SpringCountDisplay}, {Ctl::Label46, &D::InitialLoadKgf},
        {Ctl::Label47, &D::FinalLoadKgf}, {Ctl::Label49, &D::StartLoadKgf}, {Ctl::Label59, &D::InitialLoadN},
        {Ctl::Label60, &D::StartLoadN}, {Ctl::Label61, &D::FinalLoadN}, {Ctl::Label66, &D::InitialSpringLoadKgf},
        {Ctl::Label67, &D::StartSpringLoadKgf}, {Ctl::Label68, &D::FinalSpringLoadKgf},
        {Ctl::Label83, &D::CompressedLength},
    };
    Form form;
    for (const auto& [ctl, field] : controls)
        form.setText(ctl, controlName(ctl) + QStringLiteral(" text"));
    form.setValue(Ctl::Option1, false);
    form.setValue(Ctl::Option2, true);

    DiagramInputs in;
    readDiagramControls(form, in);
    for (const auto& [ctl, field] : controls)
        EXPECT_EQ(in.*field, controlName(ctl) + QStringLiteral(" text"));
    EXPECT_FALSE(in.ModeAll);
    EXPECT_TRUE(in.ModePart);
}

using DrawingState = test::CalcTest;

// Boxes changed after the report: the drawing takes the compressions (and
// the pressure-only start load of one spring) that a report made now would
// print, so they stand next to the loads that go with them.
TEST_F(DrawingState, TheReportTextsAreThoseOfTheBoxesWhenTheOutputStarts)
{
    struct Case {
        const char* what;
        bool pressureOnly;
        Ctl changed;
        const char* value;
    };
    for (const Case& c : {Case{"plate thickness", false, Ctl::Text2, "2.5"},
                          Case{"distance before bottom dead centre", true, Ctl::Text12, "5"}}) {
        SCOPED_TRACE(c.what);
        if (c.pressureOnly) {
            click(Ctl::Option2);
            type(Ctl::Text12, "3");
        }
        loadsExample();
        model->imgDisplayTxt_Click();
        const QStringList before = {model->CompStartText, model->CompFinalText, model->PartStartSpringLoadN};
        type(c.changed, c.value);
        const DiagramInputs in = diagramInputs(*model);
        model->imgDisplayTxt_Click();
        const QStringList now = {model->CompStartText, model->CompFinalText, model->PartStartSpringLoadN};
        EXPECT_NE(now, before);
        EXPECT_EQ((QStringList{in.CompStartText, in.CompFinalText, in.PartStartSpringLoadN}), now);
        EXPECT_FALSE(in.CompressionError);
    }

    // Boxes no compression can be worked out from: nothing is drawn.
    type(Ctl::Text12, "1" + QString(309, QLatin1Char('0')));
    try {
        buildSpringDiagram(diagramInputs(*model), QStringLiteral("a"));
        FAIL() << "drawn";
    } catch (const DiagramError& e) {
        EXPECT_EQ(e.writer, QStringLiteral("Dxf_Data11"));
        EXPECT_EQ(e.error.number(), kErrOverflow);
    }
}

}  // namespace
}  // namespace tolvane
