#pragma once
// The five pages of Zolsetup.exe.
#include <memory>

#include "setup/win32/ui.h"

std::unique_ptr<TPage> MakeSettingsPage(TSetupConfig& config);
std::unique_ptr<TPage> MakeMacroPage(TSetupConfig& config, HWND& captureField);
std::unique_ptr<TPage> MakeUmlautPage(TSetupConfig& config);
std::unique_ptr<TPage> MakeSoundPage(TSetupConfig& config);
// After an import the pages show the model again through reload.
std::unique_ptr<TPage> MakeFilePage(TSetupConfig& config, void (*reload)(void*), void* context);
