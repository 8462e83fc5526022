#include "setup/settings_page.h"

#include "settings/options_registry.h"

const TFlagLabel SettingFlags[9] = {
    {opEnabled, "Zolvik &eingeschaltet (AltGr+F1 schaltet um)"},
    {opHideIcon, "Zolvik-Symbol &verstecken"},
    {opNumDot, "&NUM Punkt: die Komma-Taste des Ziffernblocks schreibt den Text unten"},
    {opEasyBackslash, "Easy&Backslash: die Taste # schreibt \\, AltGr+# schreibt #"},
    {opEasyTab, "Easy&Tab: Plus und Minus des Ziffernblocks wechseln das Feld"},
    {opNumLockLock, "NUM-Umschaltung s&perren (Num bleibt an)"},
    {opBeepOnToggle, "P&iepsen bei Umschaltungen"},
    {opUseSpeaker, "Speaker ben&utzen (PC-Lautsprecher statt Windows-Kl\xE4nge)"},
    {opUmlautConversion, "U&mlautwandlung"},
};

TSettingsPage::TSettingsPage(const std::string& programFolder)
    : umlautMode_(SettingsKeyPath, OptionValueName(opUmlautMode), TSlotKind::Byte),
      decimalDot_(SettingsKeyPath, OptionValueName(opDecimalDot), TSlotKind::Text),
      run_(RunKeyPath, RunValueName, TSlotKind::Text),
      runCommand_("\"" + programFolder + "Zolvik32.exe\"") {
    for (const TFlagLabel& flag : SettingFlags) {
        flags_.emplace_back(SettingsKeyPath, OptionValueName(flag.Option), TSlotKind::Flag);
    }
}

void TSettingsPage::Load(const TRegAccess& registry) {
    for (TSlot* slot : Slots()) slot->Load(registry);
}

TSlot& TSettingsPage::FlagSlot(TOption option) {
    for (std::size_t i = 0; i < flags_.size(); ++i) {
        if (SettingFlags[i].Option == option) return flags_[i];
    }
    return flags_.front();
}

const TSlot& TSettingsPage::FlagSlot(TOption option) const {
    return const_cast<TSettingsPage*>(this)->FlagSlot(option);
}

bool TSettingsPage::Flag(TOption option) const { return FlagSlot(option).IsOn(); }
void TSettingsPage::SetFlag(TOption option, bool on) { FlagSlot(option).SetOn(on); }

// A missing "UmlautMode" is the table the library reads then, ASCII; every
// byte but 0 and 1 selects none, and so does a value the library cannot read.
TUmlautTable TSettingsPage::UmlautTable() const {
    if (!umlautMode_.Problem().empty()) return TUmlautTable::None;
    if (!umlautMode_.HasValue()) return TUmlautTable::Ascii;
    std::uint8_t mode = umlautMode_.Byte();
    return mode == 0 ? TUmlautTable::Ascii : mode == 1 ? TUmlautTable::Html : TUmlautTable::None;
}

void TSettingsPage::SetUmlautTable(TUmlautTable table) {
    if (table == UmlautTable()) return;
    // "No table" keeps a stored byte other than 0 and 1; otherwise 2.
    umlautMode_.SetByte(table == TUmlautTable::None ? 2 : static_cast<std::uint8_t>(table));
}

void TSettingsPage::SetStartWithWindows(bool on) {
    if (on == StartWithWindows()) return;
    if (on) {
        run_.SetText(runCommand_);
    } else {
        run_.Remove();
    }
}

bool TSettingsPage::HideIconChanged() const { return FlagSlot(opHideIcon).Changed(); }

std::vector<TSlot*> TSettingsPage::Slots() {
    std::vector<TSlot*> slots;
    for (TSlot& flag : flags_) slots.push_back(&flag);
    slots.push_back(&umlautMode_);
    slots.push_back(&decimalDot_);
    slots.push_back(&run_);
    return slots;
}
