#pragma once
// The plausibility checks of `ptq check` on the values of a catalog: dimensions against each
// other, against the SDR series and the DN, pressure classes against the SDR series,
// duplicate price-list codes and names that differ only in case or accents.

#include <map>
#include <string>
#include <utility>
#include <vector>

class CWexSezMaterialu;

// Outer diameters that a table or JSON file states beside the inner diameter and the wall,
// by material name and DN index (a catalog file stores none).
using StatedOuterDiameters = std::map<std::pair<std::u16string, int>, float>;

// One line of text per finding, in material order.
std::vector<std::string> CheckDimensions(const CWexSezMaterialu& catalog, const StatedOuterDiameters& stated = {});
