// The catalogue lookups: the size and diameter lists of a series, narrowing by
// diameter, and the choice of a size.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

namespace tolvane {

using namespace calcdetail;

void CalcModel::DataSearch() {}
void CalcModel::Dsize_DataSearch() {}
void CalcModel::List2_Click() {}
void CalcModel::List1_Click() {}

}  // namespace tolvane
