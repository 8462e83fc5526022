#include "common/option_names.h"

namespace {

// The configuration program writes these exact names; they are never
// translated.
constexpr const char* OptionValueNames[OptionCount] = {
    "Zolvik eingeschaltet",
    "Zolvik-Symbol verstecken",
    "NUM Punkt",
    "EasyBackslash",
    "EasyTab",
    "NUM Umschaltung sperren",
    "Piepsen bei Umschaltungen",
    "Speaker benutzen",
    "Umlautwandlung",
    "UmlautMode",
    "DecimalDot",
    "In Kennwortfeldern nicht umwandeln",
};

}  // namespace

const char* OptionValueName(TOption option) { return OptionValueNames[option]; }

std::uint8_t OptionDefault(TOption option) { return option == opSparePasswordFields ? 1 : 0; }
