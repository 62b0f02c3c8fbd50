// morvanel: the command-line host of the Morvanel filter plug-in.
#include "HostCommand.h"

int main(int argc, char** argv) { return HostCommand_Run(argc, argv); }
