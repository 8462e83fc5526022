#include <iostream>
#include <string>
#include <vector>

#include "tools/zolvik_sim/commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunTool(args, std::cout, std::cerr);
}
