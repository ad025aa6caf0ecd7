#pragma once
// The snapshot of the diagram's inputs from the calculation model.

#include "calc/calcmodel.h"
#include "diagram/diagraminputs.h"

namespace tolvane {

inline DiagramInputs diagramInputs(const CalcModel& model)
{
    DiagramInputs in;
    readDiagramControls(model.form(), in);
    in.InitialSpringLoadN = model.forces.InitialSpringLoadN;
    in.StartSpringLoadN = model.forces.StartSpringLoadN;
    in.FinalSpringLoadN = model.forces.FinalSpringLoadN;
    in.CompStartText = model.CompStartText;
    in.CompFinalText = model.CompFinalText;
    in.PartStartSpringLoadN = model.PartStartSpringLoadN;
    in.UseCountText = model.UseCountText;
    return in;
}

}  // namespace tolvane
