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
    // As a report made now would give them: the boxes may have changed since
    // the last report, and the drawing must show one state.
    try {
        const CalcModel::ReportCompressions now = model.reportCompressions();
        in.CompStartText = now.CompStartText;
        in.CompFinalText = now.CompFinalText;
        in.PartStartSpringLoadN = now.PartStartSpringLoadN;
    } catch (const VbError& e) {
        in.CompressionError = e;
    }
    in.UseCountText = model.UseCountText;
    return in;
}

}  // namespace tolvane
