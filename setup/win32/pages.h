#pragma once
// The six pages of Zolsetup.exe.
#include <memory>

#include "setup/win32/ui.h"

std::unique_ptr<TPage> MakeSettingsPage(TSetupConfig& config, TPageHost& host);
std::unique_ptr<TPage> MakeMacroPage(TSetupConfig& config, TPageHost& host);
std::unique_ptr<TPage> MakeUmlautPage(TSetupConfig& config, TPageHost& host);
std::unique_ptr<TPage> MakeSoundPage(TSetupConfig& config, TPageHost& host);
std::unique_ptr<TPage> MakeProgramPage(TSetupConfig& config, TPageHost& host);
std::unique_ptr<TPage> MakeFilePage(TSetupConfig& config, TPageHost& host);
