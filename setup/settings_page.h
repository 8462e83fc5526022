#pragma once
// The page "Einstellungen": every flag of the settings key, the umlaut
// table, the "DecimalDot" text, and the current user's Run entry that
// starts Zolvik32.exe with Windows.
#include <string>
#include <vector>

#include "common/option_names.h"
#include "setup/value_slot.h"

struct TFlagLabel {
    TOption Option;
    const char* Label;  // code page 1252, with its mnemonic
};

// The flags in the order the page shows them.
extern const TFlagLabel SettingFlags[9];

inline constexpr const char* RunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* RunValueName = "Zolvik32";

enum class TUmlautTable { Ascii = 0, Html = 1, None = 2 };

class TSettingsPage {
public:
    // The folder of the programs, with its final backslash.
    explicit TSettingsPage(const std::string& programFolder);

    void Load(const TRegAccess& registry);

    bool Flag(TOption option) const;
    void SetFlag(TOption option, bool on);
    TUmlautTable UmlautTable() const;
    void SetUmlautTable(TUmlautTable table);
    std::wstring DecimalDot() const { return decimalDot_.WideText(); }
    void SetDecimalDot(const std::wstring& text) { decimalDot_.SetWideText(text); }
    bool StartWithWindows() const { return !run_.Text().empty(); }
    void SetStartWithWindows(bool on);
    // The command line of the Run entry: the quoted path of Zolvik32.exe.
    const std::string& RunCommand() const { return runCommand_; }

    bool HideIconChanged() const;
    std::vector<TSlot*> Slots();

private:
    TSlot& FlagSlot(TOption option);
    const TSlot& FlagSlot(TOption option) const;

    std::vector<TSlot> flags_;
    TSlot umlautMode_;
    TSlot decimalDot_;
    TSlot run_;
    std::string runCommand_;
};
