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
        {field::PlateThickness, &D::PlateThickness}, {field::Stroke, &D::Stroke},
        {field::ProcessingLength, &D::ProcessingLength}, {field::StrippingPercent, &D::StrippingPercent},
        {field::InitialCompression, &D::InitialCompression}, {field::SpringCount, &D::SpringCount},
        {field::Bite, &D::Bite}, {field::StartBeforeBottom, &D::StartBeforeBottom}, {field::SpringNo, &D::SpringNo},
        {field::FreeLength, &D::FreeLength}, {field::RateN, &D::RateN}, {field::RateKgf, &D::RateKgf},
        {field::PressureDisplay, &D::PressureDisplay}, {field::StrippingForceDisplay, &D::StrippingForceDisplay},
        {field::SpringCountDisplay, &D::SpringCountDisplay}, {field::InitialLoadKgf, &D::InitialLoadKgf},
        {field::FinalLoadKgf, &D::FinalLoadKgf}, {field::StartLoadKgf, &D::StartLoadKgf},
        {field::InitialLoadN, &D::InitialLoadN}, {field::StartLoadN, &D::StartLoadN},
        {field::FinalLoadN, &D::FinalLoadN}, {field::InitialSpringLoadKgf, &D::InitialSpringLoadKgf},
        {field::StartSpringLoadKgf, &D::StartSpringLoadKgf}, {field::FinalSpringLoadKgf, &D::FinalSpringLoadKgf},
        {field::CompressedLength, &D::CompressedLength},
    };
    Form form;
    for (const auto& [ctl, member] : controls)
        form.setText(ctl, controlName(ctl) + QStringLiteral(" text"));
    form.setValue(field::ModeAll, false);
    form.setValue(field::ModePart, true);

    DiagramInputs in;
    readDiagramControls(form, in);
    for (const auto& [ctl, member] : controls)
        EXPECT_EQ(in.*member, controlName(ctl) + QStringLiteral(" text"));
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
    for (const Case& c : {Case{"plate thickness", false, field::PlateThickness, "2.5"},
                          Case{"distance before bottom dead centre", true, field::StartBeforeBottom, "5"}}) {
        SCOPED_TRACE(c.what);
        if (c.pressureOnly) {
            click(field::ModePart);
            type(field::StartBeforeBottom, "3");
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

    // Boxes the report refuses, no number or one too large: nothing is drawn.
    const std::pair<QString, int> refused[] = {{"1.2.3", kErrTypeMismatch}, {"1" + QString(309, u'0'), kErrOverflow}};
    for (const auto& [bad, number] : refused) {
        type(field::StartBeforeBottom, bad);
        try {
            buildSpringDiagram(diagramInputs(*model), QStringLiteral("a"));
            ADD_FAILURE() << "drawn";
        } catch (const DiagramError& e) {
            EXPECT_EQ(e.writer, QStringLiteral("Dxf_Data11"));
            EXPECT_EQ(e.error.number(), number);
        }
    }
}

}  // namespace
}  // namespace tolvane
