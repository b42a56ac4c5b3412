// velmora_host: picks a pipe material and profile from the user catalog and prints them.

#include "HostSelection.h"

int main(int argc, char** argv)
{
    return RunHost(argc, argv);
}
