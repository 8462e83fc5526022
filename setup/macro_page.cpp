#include "setup/macro_page.h"

#include <algorithm>

#include "common/cp1252.h"
#include "common/key_bits.h"
#include "common/registry_paths.h"
#include "setup/macro_text.h"

namespace {

constexpr std::uint8_t CtrlAltAltGr = FlagMask({kfCtrl, kfAlt, kfAltGr});
constexpr std::uint8_t ShiftOnly = FlagMask({kfShift});
constexpr std::uint8_t ShiftAndAltGr = FlagMask({kfShift, kfAltGr});
constexpr std::uint16_t LayoutShift = 0x0100;
constexpr std::uint16_t LayoutCtrlAlt = 0x0600;
constexpr std::uint8_t KeyF1 = 0x70;
constexpr std::uint8_t KeyF4 = 0x73;
constexpr std::uint8_t KeyNumLock = 0x90;
constexpr std::uint8_t KeyHash = 0xBF;

// The built-in rules that act before the macro lookup, in their order.
std::string RuleClaim(const TMacroKey& combo, const TRuleState& rules, bool& always) {
    std::uint8_t key = combo.KeyCode & 0xFF;
    TKeyFlags flags = combo.Flags;
    always = false;
    if (flags.Contains(kfAltGr)) {
        always = true;
        if (key == KeyF1) return "AltGr+F1 schaltet Zolvik ein und aus.";
        if (key == KeyNumLock) return "AltGr+Num schaltet NUM Punkt um.";
        always = false;
        if (key == KeyHash && rules.EasyBackslash) return "AltGr+# schreibt # (EasyBackslash).";
        return std::string();
    }
    if (flags.ContainsAny(CtrlAltAltGr)) return std::string();
    if (rules.UmlautNames.count(ValueNameOf(combo))) return "Die Umlautwandlung belegt diese Taste.";
    bool shift = flags.Contains(kfShift);
    if (key == 0x6E && rules.NumDot) return "NUM Punkt belegt die Komma-Taste des Ziffernblocks.";
    if ((key == 0x6B || key == 0x6D) && rules.EasyTab && !shift) {
        return "EasyTab belegt Plus und Minus des Ziffernblocks.";
    }
    if (key == KeyHash && rules.EasyBackslash && !shift) return "EasyBackslash belegt die Taste #.";
    return std::string();
}

// The character the combination types on the layout, if any: alone or
// with Shift, or with AltGr (which the layout gives as Ctrl+Alt).
std::optional<char> TypedCharacter(const TMacroKey& combo, const TRuleState& rules) {
    if (combo.KeyCode & ExtendedKeyCodeBit) return std::nullopt;
    std::uint16_t code = combo.KeyCode & 0xFF;
    if (combo.Flags.Contains(kfShift)) code |= LayoutShift;
    if (combo.Flags.Contains(kfAltGr)) code |= LayoutCtrlAlt;
    auto found = rules.LayoutCharacters.find(code);
    if (found == rules.LayoutCharacters.end()) return std::nullopt;
    return found->second;
}

std::string Quoted(char character) { return std::string("\"") + character + "\""; }

// Keys whose usual meaning a binding takes away everywhere.
std::string CommonShortcut(const TMacroKey& combo) {
    std::uint8_t key = combo.KeyCode & 0xFF;
    if (combo.Flags.Bits == 0 && key == KeyF4) {
        return "F4 gilt auch f\xFCr Alt+F4, das Fenster schlie\xDF" "t: Zolvik32 unterscheidet Alt nicht.";
    }
    if (combo.Flags.Bits != FlagMask({kfCtrl})) return std::string();
    switch (key) {
        case 'C': return "Strg+C kopiert in fast allen Programmen.";
        case 'V': return "Strg+V f\xFCgt in fast allen Programmen ein.";
        case 'X': return "Strg+X schneidet in fast allen Programmen aus.";
        case 'Z': return "Strg+Z macht in fast allen Programmen r\xFC" "ckg\xE4ngig.";
        case 'S': return "Strg+S speichert in fast allen Programmen.";
        case 'A': return "Strg+A markiert in fast allen Programmen alles.";
        case 'P': return "Strg+P druckt in fast allen Programmen.";
        default: return std::string();
    }
}

bool SameCombo(const TMacroKey& a, const TMacroKey& b) { return ValueNameOf(a) == ValueNameOf(b); }

bool ByName(const std::unique_ptr<TMacroEntry>& a, const std::unique_ptr<TMacroEntry>& b) {
    std::string first = UpperCase(ComboName(a->Combo));
    std::string second = UpperCase(ComboName(b->Combo));
    return first != second ? first < second : ValueNameOf(a->Combo) < ValueNameOf(b->Combo);
}

}  // namespace

std::map<std::uint16_t, char> ReadLayoutCharacters(win::KeyboardApi& keyboard) {
    std::map<std::uint16_t, char> characters;
    for (int c = 0x20; c <= 0xFF; ++c) {
        auto code = static_cast<std::uint16_t>(keyboard.VkKeyScanA(static_cast<char>(c)));
        if (code != 0xFFFF) characters.emplace(code, static_cast<char>(c));
    }
    return characters;
}

void TMacroPage::Load(const TRegAccess& registry) {
    entries_.clear();
    removed_.clear();
    undo_.clear();
    for (const std::string& name : registry.ValueNames(AltGrMacroKey)) {
        std::optional<TMacroKey> combo = ParseValueName(name);
        if (!combo) continue;
        auto entry = std::make_unique<TMacroEntry>(
            TMacroEntry{*combo, TSlot(AltGrMacroKey, name, TSlotKind::Text)});
        entry->Slot.Load(registry);
        entries_.push_back(std::move(entry));
    }
    std::sort(entries_.begin(), entries_.end(), ByName);
}

TMacroEntry* TMacroPage::Find(const TMacroKey& combo) const {
    for (const auto& entry : entries_) {
        if (SameCombo(entry->Combo, combo)) return entry.get();
    }
    return nullptr;
}

TConflict TMacroPage::Check(const TMacroKey& combo, const TRuleState& rules,
                            const TMacroEntry* changing) const {
    const TMacroEntry* bound = Find(combo);
    if (bound && bound != changing) {
        return {true, ComboName(combo) + " ist schon belegt: " + WideToCp1252(DescribeMacro(bound->Slot.WideText()))};
    }
    bool always = false;
    std::string claim = RuleClaim(combo, rules, always);
    if (always) return {true, claim};
    std::optional<char> typed = TypedCharacter(combo, rules);
    if (typed && (combo.Flags.Bits & ~ShiftOnly) == 0) {
        return {true, ComboName(combo) + " tippt " + Quoted(*typed) +
                          ": eine Taste, die Zeichen tippt, kann nicht belegt werden."};
    }
    if (!claim.empty()) return {false, claim};
    if (typed && (combo.Flags.Bits & ~ShiftAndAltGr) == 0) {
        return {false, ComboName(combo) + " tippt auf dieser Tastatur " + Quoted(*typed) +
                           "; mit der Belegung tippt es das nicht mehr."};
    }
    return {false, CommonShortcut(combo)};
}

TSlot TMacroPage::TakeSlot(const TMacroKey& combo) {
    // A binding removed and made again keeps its stored value, so that only
    // a changed text is written.
    auto found = std::find_if(removed_.begin(), removed_.end(), [&](const TSlot& slot) {
        std::optional<TMacroKey> removed = ParseValueName(slot.Name());
        return removed && SameCombo(*removed, combo);
    });
    if (found == removed_.end()) return TSlot(AltGrMacroKey, ValueNameOf(combo), TSlotKind::Text);
    TSlot slot = std::move(*found);
    removed_.erase(found);
    return slot;
}

TMacroEntry& TMacroPage::Insert(std::unique_ptr<TMacroEntry> entry) {
    TMacroEntry& inserted = *entry;
    entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), entry, ByName), std::move(entry));
    return inserted;
}

std::string TMacroPage::Add(const TMacroKey& combo, const std::wstring& text,
                            const TRuleState& rules) {
    TConflict conflict = Check(combo, rules);
    if (conflict.Refused) return conflict.Reason;
    Insert(std::make_unique<TMacroEntry>(TMacroEntry{combo, TakeSlot(combo)})).Slot.SetWideText(text);
    return std::string();
}

std::string TMacroPage::Rebind(TMacroEntry& entry, const TMacroKey& combo,
                               const TRuleState& rules) {
    if (SameCombo(combo, entry.Combo)) return std::string();
    TConflict conflict = Check(combo, rules, &entry);
    if (conflict.Refused) return conflict.Reason;
    auto held = std::find_if(entries_.begin(), entries_.end(),
                             [&](const auto& candidate) { return candidate.get() == &entry; });
    std::unique_ptr<TMacroEntry> moved = std::move(*held);
    entries_.erase(held);
    std::wstring text = moved->Slot.WideText();
    TSlot slot = TakeSlot(combo);
    moved->Slot.Remove();
    removed_.push_back(std::move(moved->Slot));
    moved->Slot = std::move(slot);
    moved->Slot.SetWideText(text);
    moved->Combo = combo;
    Insert(std::move(moved));
    return std::string();
}

void TMacroPage::Remove(TMacroEntry& entry) {
    undo_.push_back({entry.Combo, entry.Slot.WideText()});
    entry.Slot.Remove();
    removed_.push_back(std::move(entry.Slot));
    entries_.erase(std::find_if(entries_.begin(), entries_.end(),
                                [&](const auto& held) { return held.get() == &entry; }));
}

TMacroEntry* TMacroPage::UndoRemove(std::string& reason) {
    if (undo_.empty()) return nullptr;
    TRemoved removed = undo_.back();
    undo_.pop_back();
    if (Find(removed.Combo)) {
        reason = ComboName(removed.Combo) + " ist inzwischen neu belegt.";
        return nullptr;
    }
    TMacroEntry& entry = Insert(std::make_unique<TMacroEntry>(TMacroEntry{removed.Combo, TakeSlot(removed.Combo)}));
    entry.Slot.SetWideText(removed.Text);
    return &entry;
}

void TMacroPage::Saved() {
    undo_.clear();
    removed_.erase(std::remove_if(removed_.begin(), removed_.end(), [](const TSlot& slot) { return !slot.Changed(); }),
                   removed_.end());
}

std::vector<TSlot*> TMacroPage::Slots() {
    std::vector<TSlot*> slots;
    for (TSlot& slot : removed_) slots.push_back(&slot);
    for (auto& entry : entries_) slots.push_back(&entry->Slot);
    return slots;
}
