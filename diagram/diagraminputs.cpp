#include "diagram/diagraminputs.h"

#include "calc/form.h"

namespace tolvane {

void readDiagramControls(const Form& form, DiagramInputs& in)
{
    in.PlateThickness = form.text(Ctl::Text2);
    in.Stroke = form.text(Ctl::Text3);
    in.ProcessingLength = form.text(Ctl::Text4);
    in.StrippingPercent = form.text(Ctl::Text8);
    in.InitialCompression = form.text(Ctl::Text9);
    in.SpringCount = form.text(Ctl::Text10);
    in.Bite = form.text(Ctl::Text11);
    in.StartBeforeBottom = form.text(Ctl::Text12);
    in.Option1 = form[Ctl::Option1].value;
    in.Option2 = form[Ctl::Option2].value;

    in.SpringNo = form.text(Ctl::Label21);
    in.FreeLength = form.text(Ctl::Label24);
    in.RateN = form.text(Ctl::Label26);
    in.RateKgf = form.text(Ctl::Label27);
    in.PressureDisplay = form.text(Ctl::Label43);
    in.StrippingForceDisplay = form.text(Ctl::Label44);
    in.SpringCountDisplay = form.text(Ctl::Label45);
    in.InitialLoadKgf = form.text(Ctl::Label46);
    in.FinalLoadKgf = form.text(Ctl::Label47);
    in.StartLoadKgf = form.text(Ctl::Label49);
    in.InitialLoadN = form.text(Ctl::Label59);
    in.StartLoadN = form.text(Ctl::Label60);
    in.FinalLoadN = form.text(Ctl::Label61);
    in.InitialSpringLoadKgf = form.text(Ctl::Label66);
    in.StartSpringLoadKgf = form.text(Ctl::Label67);
    in.FinalSpringLoadKgf = form.text(Ctl::Label68);
    in.CompressedLength = form.text(Ctl::Label83);
}

}  // namespace tolvane
