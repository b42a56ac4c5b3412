#pragma once
// What differs between a material of the main list and one of the same name that a reading
// brings, for the overwrite question's details and `ptq merge --dry-run`.

#include <string>
#include <vector>

class CWexMaterial;

// One line per differing field ("Výrobce: „A“ → „B“", the main list's value first), one per
// size both have with other values ("DN 100: ID 96.8 → 96.6 ..."), then one listing the sizes
// only the incoming material has and one those only the main list's has. Fields in the order
// of the editing dialog, sizes in DN order. Empty when the two agree in every field and size.
std::vector<std::u16string> DescribeDifferences(const CWexMaterial& mainList, const CWexMaterial& incoming);

// The lines under the heading "Obecný seznam → projekt:", one per line; empty when there are none.
std::u16string DifferencesText(const CWexMaterial& mainList, const CWexMaterial& incoming);
