#include "setup/win32/library.h"

namespace {

HMODULE Library = nullptr;

// GetProcAddress gives every export the same type; the cast through void*
// to the export's own is how Windows means it to be used.
template <typename Function>
Function Export(const char* name) {
    return Library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(Library, name))) : nullptr;
}

}  // namespace

void LoadLibraryBeside(const std::string& folder) {
    Library = GetModuleHandleA("Zolhook.dll");
    if (!Library) Library = LoadLibraryA((folder + "Zolhook.dll").c_str());
}

void StepAsideInLibrary(HWND testField) {
    if (auto stepAside = Export<void(WINAPI*)(HWND)>("StepAside")) stepAside(testField);
}

bool TryMacroInLibrary(const std::wstring& storedText) {
    auto tryMacro = Export<void(WINAPI*)(const wchar_t*)>("TryMacroW");
    if (!tryMacro) return false;
    tryMacro(storedText.c_str());
    return true;
}
