#pragma once
// The whole configuration program's model: its pages, read together and
// written together by OK and "Übernehmen". Nothing is written before, and
// then only what changed.
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "setup/macro_page.h"
#include "setup/settings_page.h"
#include "setup/sound_page.h"
#include "setup/umlaut_page.h"

class TSetupConfig {
public:
    TSetupConfig(const win::Platform& platform, const std::string& programFolder);

    void Load();
    // Writes every changed value, page by page. At the first failed write
    // it stops: the message names the value and Windows' reason; what was
    // written before stays written, the rest stays as it was in the
    // registry and as the user left it on the pages. Empty on success.
    std::string Save();
    bool HasChanges();
    // Imports a .reg file at once and reads every page again; the running
    // tray program refreshes its icon, which the file may have hidden or
    // shown. Empty on success, otherwise the reader's message.
    std::string Import(const std::string& fileName, std::string_view bytes);

    // The values that cannot be shown, each naming its value.
    std::vector<std::string> Problems();
    // The built-in rules as the pages now set them.
    TRuleState Rules();

    TSettingsPage Settings;
    TMacroPage Macros;
    TUmlautPage Umlauts;
    TSoundPage Sounds;

    const TRegAccess& Registry() const { return registry_; }

private:
    std::vector<TSlot*> AllSlots();
    void RefreshTrayIcon();

    const win::Platform& platform_;
    TRegAccess registry_;
};

// The folder of a program's file, with its final backslash.
std::string FolderOf(const std::string& path);
