#pragma once
// The page "Makros": the bindings of the macro key, each a key combination
// and a text. Values whose names are not value names of a combination are
// never shown, changed or deleted.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "setup/key_combo.h"
#include "setup/value_slot.h"

struct TMacroEntry {
    TMacroKey Combo;
    TSlot Slot;
};

// The state of the built-in rules that claim combinations before the macro
// lookup does.
struct TRuleState {
    bool EasyBackslash = false;
    bool NumDot = false;
    bool EasyTab = false;
    // The value names of the umlaut table in use while the conversion is on.
    std::set<std::string> UmlautNames;
    // What the keyboard layout types: the key code as VkKeyScanA gives it
    // (shift state above the virtual key) and its character.
    std::map<std::uint16_t, char> LayoutCharacters;
};

// Asks the layout for the key of every character from the blank up.
std::map<std::uint16_t, char> ReadLayoutCharacters(win::KeyboardApi& keyboard);

struct TConflict {
    // The binding could never act, would take a key that types, or the
    // combination is taken.
    bool Refused = false;
    // Empty when there is no conflict; without Refused a warning.
    std::string Reason;
};

class TMacroPage {
public:
    void Load(const TRegAccess& registry);

    // Sorted by the combinations' names.
    const std::vector<std::unique_ptr<TMacroEntry>>& Entries() const { return entries_; }
    // The binding of a combination; value names match in either case.
    TMacroEntry* Find(const TMacroKey& combo) const;
    // Why a combination cannot be or may not work as a binding. The entry
    // being changed (or none) does not count as taking its own combination.
    TConflict Check(const TMacroKey& combo, const TRuleState& rules,
                    const TMacroEntry* changing = nullptr) const;

    // Add and Rebind refuse a combination that Check refuses; the result is
    // the reason, empty on success.
    std::string Add(const TMacroKey& combo, const std::wstring& text, const TRuleState& rules);
    std::string Rebind(TMacroEntry& entry, const TMacroKey& combo, const TRuleState& rules);
    void SetText(TMacroEntry& entry, const std::wstring& text) { entry.Slot.SetWideText(text); }
    // A removed binding can be brought back until the page is saved.
    void Remove(TMacroEntry& entry);
    bool CanUndoRemove() const { return !undo_.empty(); }
    // The binding removed last; none when its keys were bound again since
    // (the reason is then given).
    TMacroEntry* UndoRemove(std::string& reason);
    // After saving nothing is left to undo.
    void Saved();

    std::vector<TSlot*> Slots();

private:
    TSlot TakeSlot(const TMacroKey& combo);
    TMacroEntry& Insert(std::unique_ptr<TMacroEntry> entry);

    struct TRemoved {
        TMacroKey Combo;
        std::wstring Text;
    };

    std::vector<std::unique_ptr<TMacroEntry>> entries_;
    std::vector<TSlot> removed_;  // to be deleted on saving
    std::vector<TRemoved> undo_;
};
