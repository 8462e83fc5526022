#pragma once
// What the simulated wide calls need of Windows' text conversion: the ANSI
// code page is 1252, and a character it lacks becomes "?", as the ANSI calls
// report a wide name.
#include <string>

namespace sim {

std::wstring WideText(const std::string& ansi);
std::string AnsiText(const std::wstring& wide);

}  // namespace sim
