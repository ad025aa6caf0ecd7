#include "diagram/diagraminputs.h"

#include "calc/form.h"

namespace tolvane {

void readDiagramControls(const Form& form, DiagramInputs& in)
{
    in.PlateThickness = form.text(field::PlateThickness);
    in.Stroke = form.text(field::Stroke);
    in.ProcessingLength = form.text(field::ProcessingLength);
    in.StrippingPercent = form.text(field::StrippingPercent);
    in.InitialCompression = form.text(field::InitialCompression);
    in.SpringCount = form.text(field::SpringCount);
    in.Bite = form.text(field::Bite);
    in.StartBeforeBottom = form.text(field::StartBeforeBottom);
    in.ModeAll = form[field::ModeAll].value;
    in.ModePart = form[field::ModePart].value;

    in.SpringNo = form.text(field::SpringNo);
    in.FreeLength = form.text(field::FreeLength);
    in.RateN = form.text(field::RateN);
    in.RateKgf = form.text(field::RateKgf);
    in.PressureDisplay = form.text(field::PressureDisplay);
    in.StrippingForceDisplay = form.text(field::StrippingForceDisplay);
    in.SpringCountDisplay = form.text(field::SpringCountDisplay);
    in.InitialLoadKgf = form.text(field::InitialLoadKgf);
    in.FinalLoadKgf = form.text(field::FinalLoadKgf);
    in.StartLoadKgf = form.text(field::StartLoadKgf);
    in.InitialLoadN = form.text(field::InitialLoadN);
    in.StartLoadN = form.text(field::StartLoadN);
    in.FinalLoadN = form.text(field::FinalLoadN);
    in.InitialSpringLoadKgf = form.text(field::InitialSpringLoadKgf);
    in.StartSpringLoadKgf = form.text(field::StartSpringLoadKgf);
    in.FinalSpringLoadKgf = form.text(field::FinalSpringLoadKgf);
    in.CompressedLength = form.text(field::CompressedLength);
}

}  // namespace tolvane
