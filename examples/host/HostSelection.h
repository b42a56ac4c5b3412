#pragma once
// What a host program does to let its user choose a pipe: read the user catalog, run the
// selection dialog in profile mode, take the two records it hands back.

#include <ostream>

class CWexSezMaterialu;

enum HostResult : int {
    HostPicked = 0,    // a material and a profile were chosen and printed
    HostCancelled = 1, // the user closed the dialog without choosing
    HostFailed = 2,    // the dialog could not be opened
};

// Runs the selection dialog on `catalog` (every material, a profile must be chosen) and
// prints the choice to `out`: "Materiál: <name>", "Profil: <label>" and "DN: <DN label>".
HostResult PickMaterialAndProfile(CWexSezMaterialu& catalog, std::ostream& out);

// The whole host: Qt application, window services, the user catalog, the choice. Returns the
// HostResult as the exit code.
int RunHost(int argc, char** argv);
