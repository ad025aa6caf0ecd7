#pragma once
// Everything the spring pressure diagram reads of the main window, taken
// once when the DXF dialog opens. The dialog is modal, so nothing can change
// these while it is open, and the drawing never needs a widget.

#include "services/vberror.h"

#include <QString>

#include <optional>

namespace tolvane {

class Form;

struct DiagramInputs {
    // Each named as the control of the main window it is read from
    // (field:: in calc/form.h). Input boxes, as typed, and the input mode.
    QString PlateThickness, Stroke, ProcessingLength, StrippingPercent, InitialCompression, SpringCount, Bite,
        StartBeforeBottom;
    bool ModeAll = true;    // all values entered
    bool ModePart = false;  // spring pressure only

    // The chosen spring's catalogue values and the results, as shown.
    QString SpringNo, FreeLength, RateN, RateKgf;
    QString PressureDisplay, StrippingForceDisplay, SpringCountDisplay;
    QString InitialLoadKgf, StartLoadKgf, FinalLoadKgf;
    QString InitialLoadN, StartLoadN, FinalLoadN;
    QString InitialSpringLoadKgf, StartSpringLoadKgf, FinalSpringLoadKgf;
    QString CompressedLength;

    // Program-wide values of the calculation. The compressions and the
    // pressure-only start load of one spring are those a report made when
    // the output started would print.
    QString InitialSpringLoadN;
    QString StartSpringLoadN;
    QString FinalSpringLoadN;
    QString CompStartText;
    QString CompFinalText;
    QString PartStartSpringLoadN;
    QString UseCountText;
    // Set when the compressions could not be worked out from the boxes (a
    // number beyond the range of a number): nothing can be drawn.
    std::optional<VbError> CompressionError;
};

// The boxes, options and captions of the main window's model; the
// program-wide values are left as they are (see diagram/fromcalc.h).
void readDiagramControls(const Form& form, DiagramInputs& inputs);

}  // namespace tolvane
