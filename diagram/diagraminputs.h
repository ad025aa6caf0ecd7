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
    // Input boxes, as typed.
    QString PlateThickness;         // Text2
    QString Stroke;                 // Text3
    QString ProcessingLength;       // Text4
    QString StrippingPercent;       // Text8
    QString InitialCompression;     // Text9
    QString SpringCount;            // Text10
    QString Bite;                   // Text11
    QString StartBeforeBottom;      // Text12
    bool Option1 = true;            // all values entered
    bool Option2 = false;           // spring pressure only

    // Result captions, as shown.
    QString SpringNo;               // Label21
    QString FreeLength;             // Label24
    QString RateN;                  // Label26
    QString RateKgf;                // Label27
    QString PressureDisplay;        // Label43
    QString StrippingForceDisplay;  // Label44
    QString SpringCountDisplay;     // Label45
    QString InitialLoadKgf;         // Label46
    QString FinalLoadKgf;           // Label47
    QString StartLoadKgf;           // Label49
    QString InitialLoadN;           // Label59
    QString StartLoadN;             // Label60
    QString FinalLoadN;             // Label61
    QString InitialSpringLoadKgf;   // Label66
    QString StartSpringLoadKgf;     // Label67
    QString FinalSpringLoadKgf;     // Label68
    QString CompressedLength;       // Label83

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
