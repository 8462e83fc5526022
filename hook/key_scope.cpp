#include "hook/key_scope.h"

#include "common/cp1252.h"
#include "common/module_path.h"
#include "platform/win_constants.h"

using namespace win;

namespace {

// An edit control that holds a password tells Windows so by its style. The
// bit means other things in other classes, so the class is asked too: the
// standard class the window was made from, which is "Edit" also when a
// program superclassed the edit control under a name of its own.
bool IsPasswordField(WindowApi& windows, Window focus) {
    if (focus == 0 || !(static_cast<std::uint32_t>(windows.GetWindowLongA(focus, GWL_STYLE)) & ES_PASSWORD)) {
        return false;
    }
    char name[16];
    std::uint32_t length = windows.RealGetWindowClassA(focus, name, sizeof name);
    return length > 0 && UpperCase(std::string_view(name, length)) == "EDIT";
}

// The configuration program asked for it, outside its test field.
bool AsideInConfiguration(const TStepAside& aside, Window focus) {
    return aside.Active && (aside.TestField == 0 || focus != aside.TestField);
}

const std::string& ProgramFileHere(THookProcess& process) {
    if (!process.ProgramFile) {
        process.ProgramFile = ProgramFileOf(process.Api.system, process.Api.system.GetCurrentProcess());
    }
    return *process.ProgramFile;
}

}  // namespace

TKeyScope ScopeOfKey(THookProcess& process, const std::string& programFile, Window focus) {
    if (AsideInConfiguration(process.StepAside, focus)) return TKeyScope{true, false};
    std::uint8_t leftAlone = process.ProgramRules.LeftAlone(programFile);
    if (leftAlone == AllProgramFeatures) return TKeyScope{false};
    TKeyScope scope;
    scope.Macros = !(leftAlone & pfMacros);
    scope.Umlauts = !(leftAlone & pfUmlauts);
    scope.Keypad = scope.DecimalText = !(leftAlone & pfKeypad);
    scope.EasyBackslash = !(leftAlone & pfEasyBackslash);
    bool convertible = scope.Umlauts || scope.DecimalText || scope.EasyBackslash;
    if (convertible && IsPasswordField(process.Api.windows, focus) &&
        process.OptionsRegistry.ReadOption(opSparePasswordFields) != 0) {
        scope.Umlauts = scope.DecimalText = scope.EasyBackslash = false;
    }
    return scope;
}

TKeyScope ScopeOfKeyHere(THookProcess& process) {
    return ScopeOfKey(process, ProgramFileHere(process), process.Api.windows.GetFocus());
}
