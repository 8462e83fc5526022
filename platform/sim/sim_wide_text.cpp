#include "platform/sim/sim_wide_text.h"

#include "tools/cp1252.h"

namespace sim {

std::wstring WideText(const std::string& ansi) {
    std::wstring wide;
    for (char c : ansi) wide += static_cast<wchar_t>(Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return wide;
}

std::string AnsiText(const std::wstring& wide) {
    std::string ansi;
    for (wchar_t c : wide) ansi += CodePointToCp1252(static_cast<char32_t>(c)).value_or('?');
    return ansi;
}

}  // namespace sim
