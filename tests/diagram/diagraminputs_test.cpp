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
    EXPECT_FALSE(in.Option1);
    EXPECT_TRUE(in.Option2);
}

}  // namespace
}  // namespace tolvane
