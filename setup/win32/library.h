#pragma once
// The hook library beside Zolsetup.exe, which the running system maps into
// this process anyway: asked to step aside here, and to try macros out in
// the test field. Without the library nothing needs to step aside and
// nothing can be tried.
#include <windows.h>

#include <string>

void LoadLibraryBeside(const std::string& folder);
// The system acts on no key typed into this program, except in the test
// field.
void StepAsideInLibrary(HWND testField);
// Types a stored macro text into the window that has the focus; false
// without the library.
bool TryMacroInLibrary(const std::wstring& storedText);
