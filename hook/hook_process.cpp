#include "hook/hook_process.h"

#include "common/platform_detection.h"
#include "hook/low_level_hook.h"
#include "platform/win_constants.h"

THookProcess::THookProcess(win::Platform& platform, win::Instance module)
    : Api(platform),
      Module(module),
      IsWinNT(DetectWinNT(platform.system)),
      IsWine(DetectWine(platform.system)),
      PCSpeaker(platform.ports, platform.system),
      OptionsRegistry(platform.registry, win::HKEY_CURRENT_USER),
      Regional(ReadRegionalFormats(platform.system)),
      ProgramRules(platform.registry) {
    OpenSettingsKey(OptionsRegistry);
}

THookProcess::~THookProcess() = default;
