#include "setup/macro_page.h"

#include <algorithm>

#include "hook/macro_store.h"
#include "setup/macro_text.h"

namespace {

constexpr std::uint8_t CtrlAltAltGr = (1u << kfCtrl) | (1u << kfAlt) | (1u << kfAltGr);

// The built-in rules that act before the macro lookup, in their order.
std::string RuleClaim(const TKeyCombo& combo, const TRuleState& rules, bool& always) {
    std::uint8_t key = combo.KeyCode & 0xFF;
    TKeyFlags flags = combo.Flags;
    always = false;
    if (flags.Contains(kfAltGr)) {
        always = true;
        if (key == 0x70) return "AltGr+F1 schaltet Zolvik ein und aus.";
        if (key == 0x90) return "AltGr+Num schaltet NUM Punkt um.";
        always = false;
        if (key == 0xBF && rules.EasyBackslash) return "AltGr+# schreibt # (EasyBackslash).";
        return std::string();
    }
    if (flags.ContainsAny(CtrlAltAltGr)) return std::string();
    if (rules.UmlautNames.count(MacroValueName(key, flags))) {
        return "Die Umlautwandlung belegt diese Taste.";
    }
    bool shift = flags.Contains(kfShift);
    if (key == 0x6E && rules.NumDot) return "NUM Punkt belegt die Komma-Taste des Ziffernblocks.";
    if ((key == 0x6B || key == 0x6D) && rules.EasyTab && !shift) {
        return "EasyTab belegt Plus und Minus des Ziffernblocks.";
    }
    if (key == 0xBF && rules.EasyBackslash && !shift) return "EasyBackslash belegt die Taste #.";
    return std::string();
}

}  // namespace

void TMacroPage::Load(const TRegAccess& registry) {
    entries_.clear();
    removed_.clear();
    for (const std::string& name : registry.ValueNames(AltGrMacroKey)) {
        std::optional<TKeyCombo> combo = ParseValueName(name);
        if (!combo) continue;
        auto entry = std::make_unique<TMacroEntry>(
            TMacroEntry{*combo, TSlot(AltGrMacroKey, name, TSlotKind::Text)});
        entry->Slot.Load(registry);
        entries_.push_back(std::move(entry));
    }
    std::sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        return a->Slot.Name() < b->Slot.Name();
    });
}

TConflict TMacroPage::Check(const TKeyCombo& combo, const TRuleState& rules,
                            const TMacroEntry* changing) const {
    std::string name = ValueNameOf(combo);
    for (const auto& entry : entries_) {
        if (entry.get() != changing && entry->Slot.Name() == name) {
            return {true, ComboName(combo) + " ist schon belegt: " + DescribeMacro(entry->Slot.Text())};
        }
    }
    bool always = false;
    std::string claim = RuleClaim(combo, rules, always);
    return {always, claim};
}

TSlot TMacroPage::TakeSlot(const TKeyCombo& combo) {
    // A binding removed and made again keeps its stored value, so that only
    // a changed text is written.
    std::string name = ValueNameOf(combo);
    auto found = std::find_if(removed_.begin(), removed_.end(),
                              [&](const TSlot& slot) { return slot.Name() == name; });
    if (found == removed_.end()) return TSlot(AltGrMacroKey, name, TSlotKind::Text);
    TSlot slot = std::move(*found);
    removed_.erase(found);
    return slot;
}

std::string TMacroPage::Add(const TKeyCombo& combo, const std::string& text,
                            const TRuleState& rules) {
    TConflict conflict = Check(combo, rules);
    if (conflict.Refused) return conflict.Reason;
    auto entry = std::make_unique<TMacroEntry>(TMacroEntry{combo, TakeSlot(combo)});
    entry->Slot.SetText(text);
    entries_.push_back(std::move(entry));
    return std::string();
}

std::string TMacroPage::Rebind(TMacroEntry& entry, const TKeyCombo& combo,
                               const TRuleState& rules) {
    if (ValueNameOf(combo) == entry.Slot.Name()) return std::string();
    TConflict conflict = Check(combo, rules, &entry);
    if (conflict.Refused) return conflict.Reason;
    std::string text = entry.Slot.Text();
    TSlot slot = TakeSlot(combo);
    entry.Slot.Remove();
    removed_.push_back(std::move(entry.Slot));
    entry.Slot = std::move(slot);
    entry.Slot.SetText(text);
    entry.Combo = combo;
    return std::string();
}

void TMacroPage::Remove(TMacroEntry& entry) {
    entry.Slot.Remove();
    removed_.push_back(std::move(entry.Slot));
    entries_.erase(std::find_if(entries_.begin(), entries_.end(),
                                [&](const auto& held) { return held.get() == &entry; }));
}

std::vector<TSlot*> TMacroPage::Slots() {
    std::vector<TSlot*> slots;
    for (TSlot& slot : removed_) slots.push_back(&slot);
    for (auto& entry : entries_) slots.push_back(&entry->Slot);
    return slots;
}
