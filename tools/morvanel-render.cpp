// morvanel-render IN.png OUT.png [options] [KEY=VALUE ...]: see RenderCommand.h.
#include <iostream>
#include <string>
#include <vector>

#include "RenderCommand.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RenderCommand(args, std::cout, std::cerr);
}
