#pragma once
// The fixed rows of the spring pressure diagram, one fragment per writing
// step and one per report block, made into data at build time from the files
// in diagram/data (cmake/tools/diagramfragments.cpp): nothing is parsed when
// the first drawing is made.

#include "diagram/springdiagram.h"

#include <span>
#include <string_view>

namespace tolvane {

// A run of literal rows, CR LF included, or (literal empty) the row of one
// value.
struct DiagramPiece {
    std::u16string_view literal;
    int value;
};

// In the order diagram/CMakeLists.txt lists the files.
enum DiagramFragment : int {
    kHeader1, kTables1, kTables2, kEntities3, kEntities4, kEntities5, kEntities6, kWorking7, kWorking8,
    kReportAll2, kReportAll3, kReportPart2, kReportPart3, kClosing12, kDiagramFragmentCount
};

extern const std::span<const DiagramPiece> kDiagramFragments[kDiagramFragmentCount];

}  // namespace tolvane
