#pragma once
// The program's own icons, painted in code. The dialogs ask for them by the resource IDs
// the design gives them.

#include <QIcon>

enum ProgramIconId : int {
    kIconDelete = 600,  // a waste bin
    kIconEdit = 601,    // a pencil
    kIconAdd = 602,     // a plus sign in a circle
    kIconCopy = 603,    // two overlapping sheets
    kIconPipes = 610,   // a bundle of pipes: the program's icon
};

// The icon with that resource ID at 16, 24, 32 and 48 pixels; a null icon for an unknown ID.
QIcon LoadProgramIcon(int resourceId);
