#pragma once
// What the two DXF outputs (the spring pressure diagram and the total
// diagram) have in common: making a value safe for a row, the save dialog,
// the save itself and the boxes around it.

#include "services/ui.h"
#include "services/vberror.h"

#include <QString>

#include <optional>

namespace tolvane {

// The text with every control character (row breaks, tabs, ...) turned into
// a blank: a row break inside a value would shift every later pair of the
// drawing. Characters that code page 932 cannot hold become "?" only when
// the drawing is encoded.
QString dxfSafeText(const QString& text);

// The save dialog both outputs show: the DXF filter preselected, an existing
// file replaced only when the user agrees.
FileDialogRequest dxfSaveRequest();

// Encodes the drawing in code page 932 and replaces the file atomically: a
// failed save leaves the earlier file untouched. Nothing on success, else why.
std::optional<VbError> saveDxf(const QString& path, const QString& text);

// A warning of either output dialog: OK only, exclamation mark, titled
// "Information".
void showDxfWarning(UserInterface& ui, const QString& text);

// The event line of a drawing that was not saved.
void logDxfNotSaved(const QString& diagramName);

// The box that reports a saved drawing; the user's answer. A note (what was
// not saved with it, and why) turns it into a warning.
int showDxfSaved(UserInterface& ui, const QString& path, const QString& note = QString());

}  // namespace tolvane
