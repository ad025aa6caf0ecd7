#include "diagram/fromcalc.h"

#include "calc/form.h"
#include "support/printers.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Each value is read from its own control: a mix-up of two labels would
// draw one load in the place of another.
TEST(DiagramInputs, EachValueComesFromItsOwnControl)
{
    Form form;
    const std::pair<Ctl, QString DiagramInputs::*> controls[] = {
        {Ctl::Text2, &DiagramInputs::PlateThickness},
        {Ctl::Text3, &DiagramInputs::Stroke},
        {Ctl::Text4, &DiagramInputs::ProcessingLength},
        {Ctl::Text8, &DiagramInputs::StrippingPercent},
        {Ctl::Text9, &DiagramInputs::InitialCompression},
        {Ctl::Text10, &DiagramInputs::SpringCount},
        {Ctl::Text11, &DiagramInputs::Bite},
        {Ctl::Text12, &DiagramInputs::StartBeforeBottom},
        {Ctl::Label21, &DiagramInputs::SpringNo},
        {Ctl::Label24, &DiagramInputs::FreeLength},
        {Ctl::Label26, &DiagramInputs::RateN},
        {Ctl::Label27, &DiagramInputs::RateKgf},
        {Ctl::Label43, &DiagramInputs::PressureDisplay},
        {Ctl::Label44, &DiagramInputs::StrippingForceDisplay},
        {Ctl::Label45, &DiagramInputs::SpringCountDisplay},
        {Ctl::Label46, &DiagramInputs::InitialLoadKgf},
        {Ctl::Label47, &DiagramInputs::FinalLoadKgf},
        {Ctl::Label49, &DiagramInputs::StartLoadKgf},
        {Ctl::Label59, &DiagramInputs::InitialLoadN},
        {Ctl::Label60, &DiagramInputs::StartLoadN},
        {Ctl::Label61, &DiagramInputs::FinalLoadN},
        {Ctl::Label66, &DiagramInputs::InitialSpringLoadKgf},
        {Ctl::Label67, &DiagramInputs::StartSpringLoadKgf},
        {Ctl::Label68, &DiagramInputs::FinalSpringLoadKgf},
        {Ctl::Label83, &DiagramInputs::CompressedLength},
    };
    for (const auto& [ctl, field] : controls)
        form.setText(ctl, controlName(ctl) + QStringLiteral(" text"));
    form.setValue(Ctl::Option1, false);
    form.setValue(Ctl::Option2, true);

    DiagramInputs in;
    in.UseCountText = QStringLiteral("50万回");
    readDiagramControls(form, in);
    for (const auto& [ctl, field] : controls)
        EXPECT_EQ(in.*field, controlName(ctl) + QStringLiteral(" text"));
    EXPECT_FALSE(in.Option1);
    EXPECT_TRUE(in.Option2);
    EXPECT_EQ(in.UseCountText, QStringLiteral("50万回"));  // program-wide values are left alone
}

}  // namespace
}  // namespace tolvane
