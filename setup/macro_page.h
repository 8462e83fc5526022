#pragma once
// The page "Makros": the bindings of the macro key, each a key combination
// and a text. Values whose names are not value names of a combination are
// never shown, changed or deleted.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "setup/key_combo.h"
#include "setup/value_slot.h"

struct TMacroEntry {
    TKeyCombo Combo;
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
};

struct TConflict {
    bool Refused = false;  // the binding could never act, or the combination is taken
    std::string Reason;    // empty when there is no conflict
};

class TMacroPage {
public:
    void Load(const TRegAccess& registry);

    const std::vector<std::unique_ptr<TMacroEntry>>& Entries() const { return entries_; }
    // Why a combination cannot be or may not work as a binding. The entry
    // being changed (or none) does not count as taking its own combination.
    TConflict Check(const TKeyCombo& combo, const TRuleState& rules,
                    const TMacroEntry* changing = nullptr) const;

    // Add and Rebind refuse a combination that Check refuses; the result is
    // the reason, empty on success.
    std::string Add(const TKeyCombo& combo, const std::string& text, const TRuleState& rules);
    std::string Rebind(TMacroEntry& entry, const TKeyCombo& combo, const TRuleState& rules);
    void SetText(TMacroEntry& entry, const std::string& text) { entry.Slot.SetText(text); }
    void Remove(TMacroEntry& entry);

    std::vector<TSlot*> Slots();

private:
    TSlot TakeSlot(const TKeyCombo& combo);

    std::vector<std::unique_ptr<TMacroEntry>> entries_;
    std::vector<TSlot> removed_;  // to be deleted on saving
};
