#pragma once
#include <ostream>
#include <string>
#include <vector>

// "zolvik-sim ARGS" (without the program name): writes the output to out
// and returns 0, or writes one line to err and returns 1.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
