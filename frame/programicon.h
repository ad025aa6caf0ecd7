#pragma once
// The program's icon, the one its desktop entry names: a die spring pressed
// between two die plates. The pictures travel inside the program.

#include <QIcon>
#include <QPixmap>

namespace tolvane {

// The icon drawn at 48 or 64 pixels.
QPixmap programPicture(int pixels);
// Every size the program carries, for its windows' title bars.
QIcon programIcon();

}  // namespace tolvane
