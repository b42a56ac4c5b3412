// Velmora: the pipe-material catalog. The editing dialog is the program's only window.

#include "Application.h"

int main(int argc, char** argv)
{
    return RunApplication(argc, argv);
}
