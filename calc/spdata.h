#pragma once
// Filling and emptying the spring record around the DXF output dialog. Reads
// only the window's texts, so it runs (and is tested) without a screen.

#include "calc/form.h"

#include <QString>

namespace tolvane {

// Fills springRecord() from the window. In mode "part" the processing-start
// distance is the distance before bottom dead centre; the plate thickness
// and the bite are not read there, since that mode leaves them empty. True when every field the record's kind needs was filled; false
// after an error, which is logged, with the fields stored before it kept.
bool setSpData(const Form& form, const QString& inputMode);

// The set length and the compressed length the record holds: the free
// length less the initial compression, that text less the stroke, each read
// strictly. Throws VbError, with the set length written when only the
// compressed length fails.
void recordLengths(const Form& form, QString& setLength, QString& compressedLength);

// Empties the ten fields and erases the total-diagram values.
void ClearGlobalValue();

}  // namespace tolvane
